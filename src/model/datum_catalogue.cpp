#include "model/datum_catalogue.h"

#include <array>
#include <initializer_list>
#include <map>
#include <vector>

namespace vx {

namespace {

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

// MapInfo datums the first 228 entries lack, by MapInfo number.
struct AddedDatum {
    std::int32_t mapInfo;
    const char* name;  // nullptr: MapInfo's published name above
};

constexpr AddedDatum kAddedDatums[] = {
    {32, nullptr},
    {33, nullptr},
    {36, nullptr},
    {49, nullptr},
    {53, nullptr},
    {62, nullptr},
    {73, nullptr},
    {94, nullptr},
    {95, nullptr},
    {101, nullptr},
    {102, nullptr},
    {107, "NTF (Greenwich meridian)"},
    {108, "European 1987"},
    {109, "Netherlands Bessel"},
    {110, "Belgium Hayford"},
    {111, "NWGL 10"},
    {112, "RT 90 (Sweden)"},
    {113, "Lisboa (DLx)"},
    {114, "Melrica 1973 (D73)"},
    {115, "ETRS 89"},
    {116, "GDA 94"},
    {117, "NZGD 2000"},
    {118, "American Samoa 1962"},
    {119, "Antigua Island Astro 1965"},
    {120, "Ayabelle Lighthouse"},
    {121, "Bukit Rimpah"},
    {122, "Estonia 1937"},
    {123, "Dabola"},
    {124, "Deception Island"},
    {125, "Fort Thomas 1955"},
    {126, "Graciosa Base SW 1948"},
    {127, "Herat North"},
    {128, "Hermannskogel"},
    {129, "Indian (Pakistan)"},
    {130, "Indian 1954"},
    {131, "Indian 1960"},
    {132, "Indian 1975"},
    {133, "Indonesian 1974"},
    {134, "ISTS 061 Astro 1968"},
    {135, "Kusaie Astro 1951"},
    {136, "Leigon"},
    {137, "Montserrat Island Astro 1958"},
    {138, "M'Poraloko"},
    {139, "North Sahara 1959"},
    {140, "Observatorio Meteorologico 1939"},
    {141, "Point 58"},
    {142, "Pointe Noire 1948"},
    {143, "Porto Santo 1936"},
    {144, "Selvagem Grande 1938"},
    {145, "Sierra Leone 1960"},
    {146, "S-JTSK (Ferro)"},
    {147, "Tananarive Observatory 1925"},
    {148, "Voirol 1874"},
    {149, "Voirol 1960"},
    {150, "Hartebeesthoek 94"},
    {151, "ATS 77"},
    {152, "JGD 2000"},
    {153, "HGRS 87"},
    {154, "Beijing 1954"},
    {155, "Libya (LGD 2006)"},
    {156, "Dealul Piscului 1970"},
    {157, "WGS 84 (web maps)"},
    {158, "CH1903+"},
    {159, "Schwarzeck (Namibia, updated)"},
    {161, "Sphere (NOAA)"},
    {1000, "DHDN (Potsdam/Rauenberg)"},
    {1001, "Pulkovo 1942"},
    {1002, "NTF (Paris meridian)"},
    {1003, "CH 1903 (Switzerland)"},
    {1004, "Hungarian Datum 1972"},
    {1005, "Cape, 7 parameters"},
    {1006, "AGD 84, 7 parameters (Australia)"},
    {1007, "AGD 66, 7 parameters (ACT)"},
    {1008, "AGD 66, 7 parameters (Tasmania)"},
    {1009, "AGD 66, 7 parameters (Victoria and New South Wales)"},
    {1010, "NZGD 49, 7 parameters"},
    {1011, "RT 90, 7 parameters (Sweden)"},
    {1012, "PZ-90 (Russia)"},
    {1013, "SK-42 (Russia)"},
    {1014, "SK-95 (Russia)"},
    {1015, "Tokyo, 7 parameters"},
    {1016, "KKJ (Finland)"},
    {1017, "Xian 1980"},
    {1018, "Lithuanian Pulkovo 1942"},
    {1019, "Belgian 1972, 7 parameters"},
    {1020, "S-JTSK (Ferro prime meridian)"},
    {1021, "MGI 1901 (Serbia)"},
    {1022, "North Sahara, 7 parameters"},
    {1023, "HD 72 (Hungary, EOV, updated)"},
    {1024, "S-JTSK (Krovak, updated)"},
    {1025, "JTSK03 (Slovak Republic)"},
    {1028, "GDA 2020"},
    {1031, "PRS 92 (Philippines)"},
};

// The entry each MapInfo datum number 0..114 was always read as (0: MapInfo's datum 0, or no
// entry). Numbers that read 0 or -1 here but have an entry now, and the two numbers that read
// as an entry standing for another number (49 and 100), are settled by DatumsByMapInfo below.
constexpr std::array<std::int16_t, 115> kReadCodes{{
    0,   4,   8,   9,   12,  14,  23,  26,  27,  30,  28,  29,  31,  32,  34,  35,  37,
    40,  41,  43,  42,  44,  45,  46,  47,  50,  51,  52,  54,  69,  71,  72,  0,   0,
    74,  76,  0,   79,  80,  81,  82,  88,  91,  93,  94,  95,  96,  97,  100, 102, 104,
    103, 105, 0,   106, 107, 108, 110, 113, 115, 114, 116, 0,   117, 121, 134, 123, 124,
    125, 122, 127, 130, 132, 0,   137, 144, 145, 146, 156, 157, 162, 163, 167, 177, 179,
    180, 181, 182, 190, 191, 192, 193, 198, 211, 0,   0,   213, 214, 219, 220, 223, 0,
    0,   225, 226, 227, 228, -1,  0,   0,   0,   -1,  -1,  0,   0,
}};

constexpr std::int32_t kFirstCatalogue = 228;

struct DatumEntry {
    std::string name;
    std::int32_t mapInfo = 0;
};

struct Catalogue {
    std::vector<DatumEntry> entries;            // by code; entry 0 unused
    std::map<std::int32_t, std::int32_t> read;  // MapInfo number to code
};

const Catalogue& TheCatalogue() {
    static const Catalogue catalogue = [] {
        Catalogue c;
        c.entries.resize(kFirstCatalogue + 1);
        for (const auto& group : Groups()) {
            const std::string base = kMapInfoDatums[group.mapInfo];
            for (std::size_t k = 0; k < group.codes.size(); ++k) {
                std::string name = base;
                if (k < group.regions.size())
                    name += std::string(" - ") + group.regions[k];
                else if (k > 0)
                    name += ", variant " + std::to_string(k + 1);
                c.entries[group.codes[k]] = {name, group.mapInfo};
            }
        }
        for (const AddedDatum& added : kAddedDatums) {
            const std::string name =
                added.name != nullptr ? added.name : kMapInfoDatums[added.mapInfo];
            c.read[added.mapInfo] = static_cast<std::int32_t>(c.entries.size());
            c.entries.push_back({name, added.mapInfo});
        }
        // The old reading stands wherever it names an entry of the same MapInfo number.
        for (std::size_t mapInfo = 0; mapInfo < kReadCodes.size(); ++mapInfo) {
            const std::int32_t code = kReadCodes[mapInfo];
            const auto number = static_cast<std::int32_t>(mapInfo);
            if (code > 0 && c.entries[code].mapInfo == number) c.read[number] = code;
        }
        // A number whose old reading named another number's entry is read as the first entry
        // that stands for it.
        for (std::int32_t code = 1; code <= kFirstCatalogue; ++code)
            c.read.emplace(c.entries[code].mapInfo, code);
        c.read[0] = 0;
        return c;
    }();
    return catalogue;
}

}  // namespace

std::int32_t DatumCount() {
    return static_cast<std::int32_t>(TheCatalogue().entries.size()) - 1;
}

std::string DatumName(std::int32_t code) {
    if (code < 1 || code > DatumCount()) return {};
    return TheCatalogue().entries[static_cast<std::size_t>(code)].name;
}

std::int32_t MapInfoDatumOfCode(std::int32_t code) {
    if (code < 1 || code > DatumCount()) return 0;
    return TheCatalogue().entries[static_cast<std::size_t>(code)].mapInfo;
}

std::int32_t CodeOfMapInfoDatum(std::int32_t mapInfo) {
    const auto& read = TheCatalogue().read;
    const auto found = read.find(mapInfo);
    return found == read.end() ? -1 : found->second;
}

}  // namespace vx
