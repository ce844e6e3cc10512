#pragma once

#include <cstdint>
#include <string>

// The datums a layer can name. A datum code is the 1-based index of this catalogue; it is
// what a layer file stores, what the projection dialog lists, and what the MIF reader and
// writer (and through them the .prj mapping of shapefiles) translate to and from MapInfo's
// datum numbers. One table serves them all, so that a datum read is the datum written.
namespace vx {

// Entries 1 to 228 are the catalogue layer files have always used; the entries after them
// add the MapInfo datums that had none, in the order of their MapInfo numbers.
std::int32_t DatumCount();

// The entry's name; empty for a code outside 1..DatumCount().
std::string DatumName(std::int32_t code);

// The MapInfo datum number an entry stands for. Several entries (regional solutions of one
// datum) share a number. -1, 0 and codes outside the catalogue give 0.
std::int32_t MapInfoDatumOfCode(std::int32_t code);

// The entry a MapInfo datum number is read as: 0 for MapInfo's datum 0, -1 for a number the
// catalogue has no entry for. For every number some entry stands for, the entry given here
// stands for that number, so a datum read and written again keeps its number.
std::int32_t CodeOfMapInfoDatum(std::int32_t mapInfo);

}  // namespace vx
