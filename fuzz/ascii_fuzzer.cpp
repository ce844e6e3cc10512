// The converter's ASCII coordinate text reader, writing its layer and numbering table. The
// input's first byte chooses the kind (points, lines, regions) and the header lines to skip.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "converters/ascii_converter.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    if (size < 1) return 0;
    fuzz::ClearWorkFolder();
    const int kind = 1 + data[0] % 3;
    const int headerLines = (data[0] >> 2) % 4;
    const std::string source = fuzz::WorkPath("in.txt");
    fuzz::WriteWhole(source, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    std::string reason;
    TxtToVXV(source, fuzz::WorkPath("out.vxv"), kind, headerLines, 3, &reason);
    return 0;
}
