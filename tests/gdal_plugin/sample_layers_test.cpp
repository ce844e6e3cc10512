// Every layer that the sample conversion makes reads through the driver as GDAL reads our
// own MIF export of it: the same features, geometry, attributes and coordinate system.
#include <algorithm>
#include <filesystem>

#include "gdal_plugin/driver_test_support.h"

namespace vx::test {
namespace {

// The samples converted by the script, once for all the tests here: the folder that holds
// the VXV and MIF folders.
const std::string& Converted() {
    static const TempDir dir;
    static const CommandResult run = RunCommand(
        std::string(VX_SOURCE_TREE) + "/scripts/convert_samples.sh " + dir.path() + " " + BinDir());
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    return dir.path();
}

std::vector<std::string> Layers() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Converted() + "/VXV")) {
        if (entry.path().extension() == ".vxv") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class SampleLayers : public ::testing::Test {
  protected:
    void SetUp() override { UseVxvDriver(); }
    const std::string out = Converted();
};

TEST_F(SampleLayers, EveryLayerReadsAsItsMifExport) {
    const std::vector<std::string> names = Layers();
    // town (three kinds), lakes, streams, wells, network, survey, districts.
    ASSERT_EQ(names.size(), 9u);
    for (const std::string& name : names) {
        GdalMessages messages;
        GDALDatasetUniquePtr vxv = OpenVector(out + ("/VXV/" + name + ".vxv"), {"VXV"});
        GDALDatasetUniquePtr mif = OpenVector(out + ("/MIF/" + name + ".MIF"), {"MapInfo File"});
        ASSERT_TRUE(vxv && mif) << name << "\n" << messages.All();
        EXPECT_FALSE(messages.Has(CE_Warning, "")) << name << "\n" << messages.All();
        ASSERT_EQ(vxv->GetLayerCount(), 1);
        OGRLayer& layer = *vxv->GetLayer(0);
        EXPECT_EQ(std::string(layer.GetName()), name);
        EXPECT_TRUE(SameCrs(layer.GetSpatialRef(), mif->GetLayer(0)->GetSpatialRef())) << name;
        EXPECT_NE(layer.GetSpatialRef(), nullptr) << name;
        ExpectSameFeatures(*mif->GetLayer(0), layer, name);
    }
}

// A folder is a data set of all its layers; the name of a set whose kinds carry suffixes
// opens the set.
TEST_F(SampleLayers, FoldersAndSuffixedSetsOpenAsSeveralLayers) {
    GDALDatasetUniquePtr folder = OpenVector(out + "/VXV");
    ASSERT_TRUE(folder);
    EXPECT_STREQ(folder->GetDriver()->GetDescription(), "VXV");
    const std::vector<std::string> names = Layers();
    ASSERT_EQ(folder->GetLayerCount(), static_cast<int>(names.size()));
    for (int i = 0; i < folder->GetLayerCount(); ++i)
        EXPECT_EQ(folder->GetLayer(i)->GetName(), names[static_cast<std::size_t>(i)]);

    GDALDatasetUniquePtr town = OpenVector(out + "/VXV/town.vxv");
    ASSERT_TRUE(town) << "the set town_rg, town_ln, town_pt";
    ASSERT_EQ(town->GetLayerCount(), 3);
    EXPECT_STREQ(town->GetLayer(0)->GetName(), "town_rg");
    EXPECT_STREQ(town->GetLayer(2)->GetName(), "town_pt");
    CPLStringList files(town->GetFileList());
    EXPECT_EQ(files.size(), 9) << "three layers of .vxv, .vxs and .dbf";

    // A folder that holds shapefiles too is theirs; its layer files open one by one.
    const std::string mixed = out + "/mixed";
    std::filesystem::create_directory(mixed);
    for (const char* file : {"lakes.vxv", "lakes.vxs", "lakes.dbf"})
        std::filesystem::copy(out + ("/VXV/" + std::string(file)), mixed);
    for (const char* file : {"wells.shp", "wells.shx", "wells.dbf"})
        std::filesystem::copy(Sample(file), mixed);
    GDALDatasetUniquePtr shapes = OpenVector(mixed);
    ASSERT_TRUE(shapes);
    EXPECT_STREQ(shapes->GetDriver()->GetDescription(), "ESRI Shapefile");
    GDALDatasetUniquePtr lakes = OpenVector(mixed + "/lakes.vxv");
    ASSERT_TRUE(lakes);
    EXPECT_STREQ(lakes->GetDriver()->GetDescription(), "VXV");
}

// The count, extent and fetching by number the driver answers itself (the filters are GDAL's).
TEST_F(SampleLayers, CountsExtentsAndFeaturesByNumber) {
    GDALDatasetUniquePtr town = OpenVector(out + "/VXV/town_pt.vxv");
    ASSERT_TRUE(town);
    OGRLayer& points = *town->GetLayer(0);
    EXPECT_TRUE(points.TestCapability(OLCFastFeatureCount));
    EXPECT_EQ(points.GetFeatureCount(), 3);
    OGREnvelope extent;
    ASSERT_EQ(points.GetExtent(&extent), OGRERR_NONE);
    EXPECT_DOUBLE_EQ(extent.MinX, 12.4823);
    EXPECT_DOUBLE_EQ(extent.MaxY, 41.9028);
    points.SetSpatialFilterRect(12.49, 41.89, 12.50, 41.91);  // the fountain and the label
    EXPECT_FALSE(points.TestCapability(OLCFastFeatureCount));
    EXPECT_EQ(points.GetFeatureCount(), 2);
    OGRFeatureUniquePtr church(points.GetFeature(2));
    ASSERT_TRUE(church);
    EXPECT_STREQ(church->GetFieldAsString("Name"), "Church of St. \"Maria\"");
    EXPECT_FALSE(OGRFeatureUniquePtr(points.GetFeature(4)));
    EXPECT_FALSE(OGRFeatureUniquePtr(points.GetFeature(0)));
}

}  // namespace
}  // namespace vx::test
