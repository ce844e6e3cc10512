#include "mif/mif_reader.h"

#include "mif/mif_header.h"
#include "mif/mif_input.h"
#include "mif/mif_objects.h"
#include "model/geometry.h"
#include "platform/paths.h"

namespace vx {

MifReading ReadMifFile(const std::string& path, const MifReadOptions& options,
                       StatusLines& status) {
    MifReadState state(options, status);
    // A layer whose clause names no projection or datum has none.
    state.model.Layer.lProjection = -1;
    state.model.Layer.lDatum = -1;

    // The MID is found whatever the letter case of its extension.
    state.table.midPath = FindCompanion(path, ".mid");

    MifReading reading;
    MifInput in;
    if (!in.Open(path)) return reading;
    try {
        in.ReadTextItem();  // the Version item
    } catch (const MifReadError&) {
        return reading;
    }
    // The data stage applies the factor as it reads; the offset, rarely other than none,
    // moves the whole layer afterwards.
    if (ReadMifHeader(state, in) && ReadMifData(state, in))
        ScaleAndShift(state.model, 1.0, state.coordinateOffset);
    in.Close();
    reading.ok = !state.Failed();
    reading.model = std::move(state.model);
    reading.table = std::move(state.table);
    reading.unsupportedShapes = state.unsupportedShapes;
    return reading;
}

}  // namespace vx
