#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/projection_catalogue.h"

namespace vx::ui {

// The projection and datum names the projection dialog lists. A name's 1-based index is the
// code stored in a layer: projection codes as the MIF writer reads them (1 longitude/latitude,
// 21 transverse Mercator, ...), datum codes as it maps them to MapInfo datum numbers
// (226 is WGS 84, MapInfo datum 104).
class ProjectionCatalogue {
  public:
    static std::int32_t ProjectionCount();
    // Empty for an index outside 1..ProjectionCount() and for a projection no layer can be
    // written with, so that the dialog does not offer it.
    static std::string ProjectionName(std::int32_t index);
    // The parameters the projection takes (universal transverse Mercator takes its zone only).
    static std::vector<ProjectionParameter> Parameters(std::int32_t index);
    static std::int32_t DatumCount();
    static std::string DatumName(std::int32_t index);
    // The MapInfo datum number a datum code stands for; 0 for none.
    static std::int32_t MapInfoDatum(std::int32_t index);
};

}  // namespace vx::ui
