// Sources are only read: every import and export route of the batch run, run on the bundled
// sample set, leaves each source file byte for byte as it was, except the files that deleting
// the sources asks to remove, and exactly those.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/batch_run.h"
#include "engine/file_tree.h"
#include "support/test_support.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

using test::TakeTree;
using test::TreeChanges;

class KeepProjection : public RunPrompt {
  public:
    void ShowMessage(const std::string& text, const std::string&) override {
        messages.push_back(text);
    }
    bool AskYesNo(const std::string&) override { return false; }
    void EditProjection(ProjectionSettings&) override {}
    std::vector<std::string> messages;
};

// One batch run of one format over `files`, attributes carried, into `outFolder`.
struct Route {
    TransferDirection direction;
    int format;  // ImportFormat or ExportFormat
    const char* name;
};

bool RunRoute(const Route& route, const std::vector<std::string>& files,
              const std::string& outFolder, bool deleteSources) {
    Import engine;
    engine.SetCreateDbf(true);
    engine.SetDeleteScrFile(deleteSources);
    BatchRun batch(engine);
    KeepProjection prompt;
    batch.SetPrompt(&prompt);
    batch.TransType = route.direction;
    if (route.direction == TransferDirection::kImport) {
        batch.BuildImportLists(static_cast<ImportFormat>(route.format), files);
    } else {
        batch.BuildExportLists(static_cast<ExportFormat>(route.format), files);
    }
    fs::create_directories(outFolder);
    if (!batch.ApplyOutputFolder(outFolder)) return false;
    return batch.RunConversion(false);
}

const Route kMifIn{TransferDirection::kImport, static_cast<int>(ImportFormat::kMif), "MIF import"};
const Route kShpIn{TransferDirection::kImport, static_cast<int>(ImportFormat::kShape),
                   "shapefile import"};
const Route kDgnIn{TransferDirection::kImport, static_cast<int>(ImportFormat::kDgn), "DGN import"};
const Route kTxtIn{TransferDirection::kImport, static_cast<int>(ImportFormat::kAscii),
                   "ASCII import"};
const Route kTabIn{TransferDirection::kImport, static_cast<int>(ImportFormat::kTab), "TAB import"};
const Route kMifOut{TransferDirection::kExport, static_cast<int>(ExportFormat::kMif), "MIF export"};
const Route kShpOut{TransferDirection::kExport, static_cast<int>(ExportFormat::kShape),
                    "shapefile export"};
const Route kTabOut{TransferDirection::kExport, static_cast<int>(ExportFormat::kTab), "TAB export"};

struct ImportCase {
    Route route;
    std::vector<std::string> files;  // in the sample set
};

const std::vector<ImportCase> kImports = {
    {kMifIn, {"town.mif"}},      {kShpIn, {"lakes.shp", "streams.shp", "wells.shp"}},
    {kDgnIn, {"network.dgn"}},   {kTxtIn, {"survey.txt"}},
    {kTabIn, {"districts.tab"}},
};

std::vector<std::string> In(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(folder + "/" + name);
    return paths;
}

// Every layer file under `folder`.
std::vector<std::string> Layers(const std::string& folder) {
    std::vector<std::string> layers;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() == ".vxv") layers.push_back(entry.path().string());
    }
    return layers;
}

TEST(SourceSafety, EveryRouteLeavesItsSourcesByteIdentical) {
    test::TempDir dir;
    const std::string sources = dir / "sources";
    fs::copy(test::SamplesFolder(), sources);
    const test::FileTree samples = TakeTree(sources);
    ASSERT_GE(samples.size(), 15u) << "the sample set is missing from " << test::SamplesFolder();

    // Every import into a folder of its own; the layers they make are the exports' sources.
    for (const ImportCase& c : kImports) {
        EXPECT_TRUE(RunRoute(c.route, In(sources, c.files), dir / "layers", false)) << c.route.name;
        EXPECT_EQ(TreeChanges(samples, TakeTree(sources)), std::vector<std::string>{})
            << c.route.name;
    }
    const std::vector<std::string> layers = Layers(dir / "layers");
    ASSERT_GE(layers.size(), 9u) << "every import makes its layers";
    const test::FileTree layerFiles = TakeTree(dir / "layers");
    for (const Route& route : {kMifOut, kShpOut, kTabOut}) {
        EXPECT_TRUE(RunRoute(route, layers, dir / route.name, false)) << route.name;
        EXPECT_EQ(TreeChanges(layerFiles, TakeTree(dir / "layers")), std::vector<std::string>{})
            << route.name;
    }
}

TEST(SourceSafety, DeletingSourcesRemovesExactlyTheConvertedFileAndItsListedCompanions) {
    // The layers the exports start from, made once.
    test::TempDir made;
    fs::copy(test::SamplesFolder(), made / "samples");
    ASSERT_TRUE(RunRoute(kMifIn, {made / "samples/town.mif"}, made / "layers", false));

    struct Case {
        Route route;
        std::string source;  // relative to a copy of the samples with the layers in "layers/"
        std::vector<std::string> gone;
    };
    const std::vector<Case> cases = {
        {kMifIn, "town.mif", {"gone: town.mid", "gone: town.mif"}},
        // The source table of a shapefile stays: other layers may share it.
        {kShpIn, "lakes.shp", {"gone: lakes.shp", "gone: lakes.shx"}},
        {kDgnIn, "network.dgn", {"gone: network.dgn"}},
        {kTxtIn, "survey.txt", {"gone: survey.txt"}},
        // The TAB route deletes the temporary MIF it imported, never the TAB files.
        {kTabIn, "districts.tab", {}},
        // A layer's table goes with the .cpg that names its code page.
        {kMifOut,
         "layers/town_rg.vxv",
         {"gone: layers/town_rg.cpg", "gone: layers/town_rg.dbf", "gone: layers/town_rg.vxs",
          "gone: layers/town_rg.vxv"}},
        // The shapefile export keeps the layer's table.
        {kShpOut, "layers/town_rg.vxv", {"gone: layers/town_rg.vxs", "gone: layers/town_rg.vxv"}},
        {kTabOut,
         "layers/town_rg.vxv",
         {"gone: layers/town_rg.cpg", "gone: layers/town_rg.dbf", "gone: layers/town_rg.vxs",
          "gone: layers/town_rg.vxv"}},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string sources = dir / "sources";
        fs::copy(made / "samples", sources);
        fs::copy(made / "layers", sources + "/layers");
        const test::FileTree before = TakeTree(sources);
        EXPECT_TRUE(RunRoute(c.route, {sources + "/" + c.source}, dir / "out", true))
            << c.route.name;
        EXPECT_EQ(TreeChanges(before, TakeTree(sources)), c.gone) << c.route.name;
        EXPECT_FALSE(fs::is_empty(dir / "out")) << c.route.name << " wrote its output";
    }
}

}  // namespace
}  // namespace vx
