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
        const CommandResult run = RunCommand(BinDir() + "/vxtranslate export mif " + vxv +
                                             " -o " + (dir / "mif") + " -q");
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

}  // namespace
}  // namespace vx::test
