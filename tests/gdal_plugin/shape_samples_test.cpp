// Layer sets that GDAL writes through the driver are the program's own: GDAL writes each
// sample shapefile as VXV, our MIF export turns that into MIF, and GDAL reads the MIF as it
// reads the shapefile.
#include <gtest/gtest.h>

#include "gdal_plugin/driver_test_support.h"
#include "support/test_support.h"

namespace vx::test {
namespace {

TEST(ShapeSamples, WrittenByGdalExportedByUs) {
    UseVxvDriver();
    TempDir dir;
    for (const std::string name : {"lakes", "streams", "wells"}) {
        SCOPED_TRACE(name);
        const std::string shp = std::string(VX_SOURCE_TREE) + "/samples/" + name + ".shp";
        const std::string vxv = dir / (name + ".vxv");
        {
            GdalMessages messages;
            ASSERT_TRUE(Translate(shp, vxv, {"-f", "VXV"})) << messages.All();
            EXPECT_TRUE(messages.At(CE_Warning).empty()) << messages.All();
        }
        const CommandResult run = RunCommand(BinDir() + "/vxtranslate export mif " + vxv + " -o " +
                                             (dir / "mif") + " -q");
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        GDALDatasetUniquePtr source = OpenVector(shp, {"ESRI Shapefile"});
        GDALDatasetUniquePtr mif = OpenVector(dir / ("mif/" + name + ".MIF"), {"MapInfo File"});
        ASSERT_TRUE(source && mif);
        OGRLayer& from = *source->GetLayer(0);
        OGRLayer& to = *mif->GetLayer(0);
        EXPECT_TRUE(SameCrs(from.GetSpatialRef(), to.GetSpatialRef()));
        ExpectSameFeatures(from, to, name);
    }
}

// A shapefile's null records have rows but no objects: each object keeps the row its
// SPATIAL_ID names, not the row of its position.
TEST(ShapeSamples, RowsFollowTheKeyPastNullRecords) {
    UseVxvDriver();
    TempDir dir;
    {
        GDALDriver* shapefiles = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
        GDALDatasetUniquePtr out(
            shapefiles->Create((dir / "gaps.shp").c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        ASSERT_TRUE(out);
        OGRLayer* layer = out->CreateLayer("gaps", nullptr, wkbPoint);
        OGRFieldDefn name("NAME", OFTString);
        ASSERT_EQ(layer->CreateField(&name), OGRERR_NONE);
        for (const char* value : {"first", "no shape", "third"}) {
            OGRFeature feature(layer->GetLayerDefn());
            feature.SetField("NAME", value);
            if (value[0] != 'n') feature.SetGeometryDirectly(new OGRPoint(value[0], 1));
            ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
        }
    }
    const CommandResult run = RunCommand(BinDir() + "/vxtranslate import shp " +
                                         (dir / "gaps.shp") + " -o " + dir.path() + " -q");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    GDALDatasetUniquePtr vxv = OpenVector(dir / "VXV/gaps.vxv", {"VXV"});
    ASSERT_TRUE(vxv);
    OGRLayer& layer = *vxv->GetLayer(0);
    ASSERT_EQ(layer.GetFeatureCount(), 2);
    for (auto& feature : layer) {
        const std::string value = feature->GetFieldAsString("NAME");
        ASSERT_FALSE(value.empty());
        EXPECT_EQ(feature->GetGeometryRef()->toPoint()->getX(), value[0]) << value;
    }
}

}  // namespace
}  // namespace vx::test
