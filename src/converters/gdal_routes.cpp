#include "converters/gdal_routes.h"

#include <dlfcn.h>
#include <unistd.h>

#include <type_traits>
#include <vector>

#include "converters/crs_mapping.h"
#include "converters/dgn_converter.h"
#include "converters/tab_converter.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

constexpr const char* kModuleName = "libvx_gdal_routes.so";

using Route = int (*)(const std::string&, const std::string&, std::string*);
using TextRoute = int (*)(const std::string&, std::string*, std::string*);
using PlaceRoute = decltype(&VxGdalPlaceDistance);

struct GdalRoutes {
    Route dgnImport = nullptr;
    Route tabConvert = nullptr;
    TextRoute prjToCoordSys = nullptr;
    TextRoute coordSysToPrj = nullptr;
    PlaceRoute placeDistance = nullptr;
    std::string error;  // why the module could not be loaded
};

// The folder of the running program.
std::string ProgramFolder() {
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    return FolderOf(std::string(path.data(), static_cast<std::size_t>(length)));
}

// The module is looked for in the lib folder beside the program's folder (build/bin and
// build/tests next to build/lib), then in the lib folder of the build that made the program.
GdalRoutes LoadRoutes() {
    GdalRoutes routes;
    std::vector<std::string> candidates;
    const std::string folder = ProgramFolder();
    if (!folder.empty())
        candidates.push_back(JoinPath(JoinPath(FolderOf(folder), "lib"), kModuleName));
    candidates.push_back(JoinPath(VX_MODULE_DIR, kModuleName));
    void* module = nullptr;
    for (const std::string& candidate : candidates) {
        if (!FileExists(candidate)) continue;
        // Never closed: GDAL keeps its drivers registered for the rest of the run.
        module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module != nullptr) break;
        routes.error = "the GDAL routes cannot be loaded: " + std::string(dlerror());
        return routes;
    }
    if (module == nullptr) {
        routes.error = "the GDAL routes cannot be found: there is no " + candidates.front();
        return routes;
    }
    bool complete = true;
    auto find = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(module, name));
        complete = complete && entry != nullptr;
    };
    find(routes.dgnImport, "VxGdalDgnImport");
    find(routes.tabConvert, "VxGdalTabConvert");
    find(routes.prjToCoordSys, "VxGdalPrjToCoordSys");
    find(routes.coordSysToPrj, "VxGdalCoordSysToPrj");
    find(routes.placeDistance, "VxGdalPlaceDistance");
    if (!complete) {
        routes = GdalRoutes{};
        routes.error = "the GDAL routes module lacks its entry points";
    }
    return routes;
}

const GdalRoutes& Routes() {
    static const GdalRoutes routes = LoadRoutes();
    return routes;
}

// Runs one route of the module, or gives its failure result with the reason the module
// could not be loaded.
int RunRoute(Route GdalRoutes::*route, int failed, const std::string& source,
             const std::string& target, std::string* reason) {
    const GdalRoutes& routes = Routes();
    if (routes.*route == nullptr) {
        if (reason != nullptr) *reason = routes.error;
        return failed;
    }
    return (routes.*route)(source, target, reason);
}

// A route that hands back a text: the clause or the WKT.
bool RunTextRoute(TextRoute GdalRoutes::*route, const std::string& in, std::string& out,
                  std::string& reason) {
    const GdalRoutes& routes = Routes();
    if (routes.*route == nullptr) {
        reason = routes.error;
        return false;
    }
    return (routes.*route)(in, &out, &reason) == 0;
}

}  // namespace

int DGNImport(const std::string& source, const std::string& target, std::string* reason) {
    return RunRoute(&GdalRoutes::dgnImport, 0, source, target, reason);
}

std::vector<std::string> DgnOutputFiles(const std::string& target) {
    return LayerSetFiles(target);
}

bool PrjToCoordSys(const std::string& prj, std::string& clause, std::string& reason) {
    return RunTextRoute(&GdalRoutes::prjToCoordSys, prj, clause, reason);
}

bool CoordSysToPrj(const std::string& clause, std::string& prj, std::string& reason) {
    return RunTextRoute(&GdalRoutes::coordSysToPrj, clause, prj, reason);
}

bool PlaceDistance(const std::string& firstCrs, const std::vector<Vertex>& first,
                   const std::string& secondCrs, const std::vector<Vertex>& second, double& degrees,
                   std::string& reason) {
    const GdalRoutes& routes = Routes();
    if (routes.placeDistance == nullptr) {
        reason = routes.error;
        return false;
    }
    return routes.placeDistance(firstCrs, first, secondCrs, second, &degrees, &reason) == 0;
}

int main1(const std::string& source, const std::string& target, std::string* reason) {
    return RunRoute(&GdalRoutes::tabConvert, 1, source, target, reason);
}

}  // namespace vx
