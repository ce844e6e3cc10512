#pragma once

#include "mif/mif_input.h"
#include "mif/mif_reader.h"

// The data section of a MIF file: the graphic objects and their style clauses, read into the
// points, lines and regions of the layer model.
namespace vx {

// Reads the file again from its first line and stores every object after the Data line in
// source order, with one entry of ObjectOrder each, so that the n-th MID row stays with the
// n-th object: an object of a kind not read is skipped with its row and reported. The object words
// of the lines after the current position are counted on the way, and each object array ends at
// least as long as its kind's count. A malformed object reports "Error Reading MIF Data" and sets
// the failure flag; the result is false then.
bool ReadMifData(MifReadState& ctx, MifInput& in);

// One reader per object keyword, each called with the object's first line in the line buffer.
// They read the geometry and the clauses after it; the first line that belongs to neither is
// handed back (in.reuseLine). All but ReadMifPline throw MifReadError on a malformed object;
// a malformed PLINE ends quietly with what it has read.
void ReadMifRegion(MifReadState& ctx, MifInput& in);
void ReadMifPline(MifReadState& ctx, MifInput& in);
void ReadMifPoint(MifReadState& ctx, MifInput& in);
void ReadMifLine(MifReadState& ctx, MifInput& in);
void ReadMifNone(MifReadState& ctx, MifInput& in);
void ReadMifArc(MifReadState& ctx, MifInput& in);
void ReadMifText(MifReadState& ctx, MifInput& in);
void ReadMifRect(MifReadState& ctx, MifInput& in);
void ReadMifRoundRect(MifReadState& ctx, MifInput& in);
void ReadMifEllipse(MifReadState& ctx, MifInput& in);
// A MULTIPOINT is one point object holding all its points.
void ReadMifMultiPoint(MifReadState& ctx, MifInput& in);
// A COLLECTION gives its region, polyline and multipoint to the objects of their kinds; its
// one entry of ObjectOrder (kOrderCollection with the bits of those kinds) ties its row to
// each of them.
void ReadMifCollection(MifReadState& ctx, MifInput& in);

}  // namespace vx
