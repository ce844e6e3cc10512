#include "ui/projection_catalogue.h"

#include <array>
#include <initializer_list>
#include <vector>

namespace vx::ui {

namespace {

// Projection names by code. Codes the MIF writer has no MapInfo projection for (3, 4, 8, 9,
// 12, 15, 16, 17, 22) still name a projection, so the list has no gaps and a list position is
// always its code less one.
constexpr std::array<const char*, 24> kProjections = {
    "Longitude / Latitude",
    "Albers Equal-Area Conic",
    "Azimuthal Equidistant",
    "Bonne",
    "Cylindrical Equal-Area",
    "Eckert IV",
    "Eckert VI",
    "Equidistant Conic",
    "Gall Stereographic",
    "Lambert Azimuthal Equal-Area",
    "Lambert Conformal Conic",
    "Hotine Oblique Mercator",
    "Miller Cylindrical",
    "Mollweide",
    "New Zealand Map Grid",
    "Orthographic",
    "Polar Stereographic",
    "Polyconic",
    "Sinusoidal",
    "Stereographic",
    "Transverse Mercator",
    "Universal Transverse Mercator",
    "Mercator",
    "Robinson",
};

// MapInfo's published datum names by datum number (index 0 unused).
constexpr std::array<const char*, 107> kMapInfoDatums = {
    "",
    "Adindan",
    "Afgooye",
    "Ain el Abd 1970",
    "Anna 1 Astro 1965",
    "Arc 1950",
    "Arc 1960",
    "Ascension Island 1958",
    "Astro Beacon \"E\"",
    "Astro B4 Sorol Atoll",
    "Astro DOS 71/4",
    "Astronomic Station 1952",
    "Australian Geodetic 1966",
    "Australian Geodetic 1984",
    "Bellevue (IGN)",
    "Bermuda 1957",
    "Bogota Observatory",
    "Campo Inchauspe",
    "Canton Astro 1966",
    "Cape",
    "Cape Canaveral",
    "Carthage",
    "Chatham 1971",
    "Chua Astro",
    "Corrego Alegre",
    "Djakarta (Batavia)",
    "DOS 1968",
    "Easter Island 1967",
    "European 1950",
    "European 1979",
    "Gandajika Base",
    "Geodetic Datum 1949",
    "GRS 67",
    "GRS 80",
    "Guam 1963",
    "GUX 1 Astro",
    "Hito XVIII 1963",
    "Hjorsey 1955",
    "Hong Kong 1963",
    "Hu-Tzu-Shan",
    "Indian (Thailand, Vietnam)",
    "Indian (Bangladesh, India, Nepal)",
    "Ireland 1965",
    "ISTS 073 Astro 1969",
    "Johnston Island 1961",
    "Kandawala",
    "Kerguelen Island",
    "Kertau 1948",
    "L.C. 5 Astro",
    "Liberia 1964",
    "Luzon (Philippines)",
    "Luzon (Mindanao Island)",
    "Mahe 1971",
    "Marco Astro",
    "Massawa",
    "Merchich",
    "Midway Astro 1961",
    "Minna",
    "Nahrwan (Masirah Island)",
    "Nahrwan (United Arab Emirates)",
    "Nahrwan (Saudi Arabia)",
    "Naparima BWI",
    "NAD 27 (Continental US)",
    "NAD 27 (Alaska)",
    "NAD 27 (Bahamas)",
    "NAD 27 (San Salvador)",
    "NAD 27 (Canada)",
    "NAD 27 (Canal Zone)",
    "NAD 27 (Caribbean)",
    "NAD 27 (Central America)",
    "NAD 27 (Cuba)",
    "NAD 27 (Greenland)",
    "NAD 27 (Mexico)",
    "NAD 27 (Michigan)",
    "NAD 83",
    "Observatorio 1966",
    "Old Egyptian",
    "Old Hawaiian",
    "Oman",
    "Ordnance Survey of Great Britain 1936",
    "Pico de las Nieves",
    "Pitcairn Astro 1967",
    "Provisional South American 1956",
    "Puerto Rico",
    "Qatar National",
    "Qornoq",
    "Reunion",
    "Rome 1940",
    "Santo (DOS)",
    "Sao Braz",
    "Sapper Hill 1943",
    "Schwarzeck",
    "South American 1969",
    "South Asia",
    "Southeast Base",
    "Southwest Base",
    "Timbalai 1948",
    "Tokyo",
    "Tristan Astro 1968",
    "Viti Levu 1916",
    "Wake-Eniwetok 1960",
    "WGS 60",
    "WGS 66",
    "WGS 72",
    "WGS 84",
    "Yacare",
    "Zanderij",
};

// Which datum codes stand for which MapInfo datum. Several codes are regional solutions of
// one datum; where the regions are known they name the entry, otherwise the entries are
// numbered after the first.
struct DatumGroup {
    int mapInfo;
    std::vector<int> codes;
    std::vector<const char*> regions;
};

std::vector<int> Range(int first, int last, std::initializer_list<int> more = {}) {
    std::vector<int> codes;
    for (int code = first; code <= last; ++code)
        codes.push_back(code);
    codes.insert(codes.end(), more);
    return codes;
}

const std::vector<DatumGroup>& Groups() {
    static const std::vector<DatumGroup> groups = {
        {1,
         Range(1, 7),
         {"Burkina Faso", "Cameroon", "Ethiopia", "Mali", "Mean Solution", "Senegal", "Sudan"}},
        {2, {8}, {}},
        {3, {9, 10}, {"Bahrain", "Saudi Arabia"}},
        {4, {12}, {}},
        {5,
         Range(13, 22),
         {"Southern Africa", "Botswana", "Burundi", "Lesotho", "Malawi", "Mean Solution",
          "Swaziland", "Zaire", "Zambia", "Zimbabwe"}},
        {6, {23, 24, 25, 33}, {"Kenya", "Mean Solution", "Tanzania", "Djibouti"}},
        {7, {26}, {}},
        {8, {27}, {}},
        {9, {30}, {}},
        {10, {28}, {}},
        {11, {29}, {}},
        {12, {31}, {}},
        {13, {32}, {}},
        {14, {34, 36}, {}},
        {15, {35}, {}},
        {16, {37}, {}},
        {17, {40, 39}, {}},
        {18, {41}, {}},
        {19, {43}, {}},
        {20, {42}, {}},
        {21, {44}, {}},
        {22, {45}, {}},
        {23, {46}, {}},
        {24, {47}, {}},
        {25, {50}, {}},
        {26, {51}, {}},
        {27, {52}, {}},
        {28,
         Range(54, 68),
         {"Mean Solution", "Western Europe", "Cyprus", "Egypt", "England and Channel Islands",
          "Finland and Norway", "Greece", "Iran", "Sardinia", "Sicily", "Malta",
          "Portugal and Spain", "Iraq, Israel, Jordan", "Tunisia", "Ireland and Scotland"}},
        {29, {69}, {}},
        {30, {71}, {}},
        {31, {72, 73}, {}},
        {34, {74}, {}},
        {35, {76, 77}, {}},
        {37, {79}, {}},
        {38, {80}, {}},
        {39, {81, 92}, {}},
        {40, Range(82, 87), {"Thailand", "Vietnam", "1954", "1960", "1975", "Mean Solution"}},
        {41, {88, 89}, {"Bangladesh", "India and Nepal"}},
        {42, {91}, {}},
        {43, {93}, {}},
        {44, {94}, {}},
        {45, {95, 99}, {}},
        {46, {96}, {}},
        {47, {97}, {}},
        {48, {100}, {}},
        {50, {104}, {}},
        {51, {103}, {}},
        {52, {105}, {}},
        {54, {38, 53, 75, 78, 106}, {}},
        {55, {101, 102, 107, 109, 111, 112}, {}},
        {56, {108}, {}},
        {57, {110}, {}},
        {58, {113}, {}},
        {59, {115}, {}},
        {60, {114}, {}},
        {61, {116}, {}},
        {63, {117, 118, 119, 120, 11, 48, 49, 70}, {}},
        {64, {121}, {}},
        {65, {134, 135, 136}, {}},
        {66, {123}, {}},
        {67, {124}, {}},
        {68, {125, 126}, {}},
        {69, {122}, {}},
        {70, {127, 128, 129}, {}},
        {71, {130, 131}, {}},
        {72, {132, 133}, {}},
        {74,
         Range(137, 142, {196}),
         {"Alaska", "Aleutian Islands", "Canada", "Continental US", "Hawaii",
          "Mexico and Central America", "Mean Solution"}},
        {75, {144}, {}},
        {76, {145}, {}},
        {77, Range(146, 150), {"Hawaii", "Kauai", "Maui", "Mean Solution", "Oahu"}},
        {78, {143, 156, 164, 165, 195}, {}},
        {79,
         Range(157, 161),
         {"England", "England, Isle of Man, Wales", "Mean Solution", "Scotland and Shetland",
          "Wales"}},
        {80, Range(151, 155, {162}), {}},
        {81, {163}, {}},
        {82,
         Range(166, 176),
         {"Bolivia", "Northern Chile", "Southern Chile", "Colombia", "Ecuador", "Guyana",
          "Mean Solution", "Peru", "Venezuela", "Argentina", "Paraguay"}},
        {83, {177}, {}},
        {84, {179}, {}},
        {85, {180}, {}},
        {86, {181}, {}},
        {87, {182}, {}},
        {88, {190}, {}},
        {89, {191}, {}},
        {90, {192, 194}, {}},
        {91, {193}, {}},
        {92,
         Range(198, 210, {90}),
         {"Mean Solution", "Argentina", "Bolivia", "Brazil", "Chile", "Colombia", "Ecuador",
          "Baltra, Galapagos", "Guyana", "Paraguay", "Peru", "Trinidad and Tobago", "Venezuela",
          "Uruguay"}},
        {93, {211}, {}},
        {96, {213}, {}},
        {97, Range(214, 218, {197}), {}},
        {98, {212, 219}, {}},
        {99, Range(220, 222), {}},
        {100, {224}, {}},
        {103, {225}, {}},
        // 226 is the plain WGS 84 every new layer gets; the others are listed after it.
        {104, {226, 98, 178, 183, 184, 185, 186, 187, 188, 189, 223}, {}},
        {105, {227}, {}},
        {106, {228}, {}},
    };
    return groups;
}

constexpr std::int32_t kDatumCount = 228;

struct DatumEntry {
    std::string name;
    std::int32_t mapInfo = 0;
};

const std::vector<DatumEntry>& Datums() {
    static const std::vector<DatumEntry> datums = [] {
        std::vector<DatumEntry> entries(kDatumCount + 1);
        for (const auto& group : Groups()) {
            const std::string base = kMapInfoDatums[group.mapInfo];
            for (std::size_t k = 0; k < group.codes.size(); ++k) {
                std::string name = base;
                if (k < group.regions.size())
                    name += std::string(" - ") + group.regions[k];
                else if (k > 0)
                    name += ", variant " + std::to_string(k + 1);
                entries[group.codes[k]] = {name, group.mapInfo};
            }
        }
        return entries;
    }();
    return datums;
}

}  // namespace

std::int32_t ProjectionCatalogue::ProjectionCount() {
    return static_cast<std::int32_t>(kProjections.size());
}

std::string ProjectionCatalogue::ProjectionName(std::int32_t index) {
    if (index < 1 || index > ProjectionCount()) return {};
    return kProjections[index - 1];
}

std::int32_t ProjectionCatalogue::DatumCount() {
    return kDatumCount;
}

std::string ProjectionCatalogue::DatumName(std::int32_t index) {
    if (index < 1 || index > kDatumCount) return {};
    return Datums()[index].name;
}

std::int32_t ProjectionCatalogue::MapInfoDatum(std::int32_t index) {
    if (index < 1 || index > kDatumCount) return 0;
    return Datums()[index].mapInfo;
}

}  // namespace vx::ui
