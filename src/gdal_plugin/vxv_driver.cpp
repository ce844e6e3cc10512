// The entry point GDAL looks for in ogr_VXV.so when it loads its plugins.
#include <gdal_priv.h>

#include "gdal_plugin/vxv_dataset.h"

extern "C" __attribute__((visibility("default"))) void RegisterOGRVXV() {
    if (GDALGetDriverByName("VXV") != nullptr) return;
    auto* driver = new GDALDriver();
    driver->SetDescription("VXV");
    driver->SetMetadataItem(GDAL_DCAP_VECTOR, "YES");
    driver->SetMetadataItem(GDAL_DMD_LONGNAME, "VX Maps VXV layer");
    driver->SetMetadataItem(GDAL_DMD_EXTENSION, "vxv");
    driver->SetMetadataItem(GDAL_DCAP_CREATE, "YES");
    driver->SetMetadataItem(GDAL_DCAP_MULTIPLE_VECTOR_LAYERS, "YES");
    driver->SetMetadataItem(GDAL_DCAP_FEATURE_STYLES, "YES");
    driver->SetMetadataItem(GDAL_DMD_CREATIONFIELDDATATYPES,
                            "Integer Integer64 Real String Date DateTime Time");
    driver->SetMetadataItem(GDAL_DMD_CREATIONFIELDDATASUBTYPES, "Boolean");
    driver->pfnIdentify = vx::VxvDataset::Identify;
    driver->pfnOpen = vx::VxvDataset::Open;
    driver->pfnCreate = vx::VxvDataset::Create;
    GetGDALDriverManager()->RegisterDriver(driver);
}
