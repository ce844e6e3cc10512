#include "converters/gdal_support.h"

#include <mutex>

#include <cpl_error.h>
#include <gdal.h>

namespace vx {

namespace {

void KeepLastError(CPLErr level, CPLErrorNum, const char* message) {
    if (level < CE_Failure || message == nullptr) return;
    auto* last = static_cast<std::string*>(CPLGetErrorHandlerUserData());
    if (last != nullptr) *last = message;
}

}  // namespace

GdalSession::GdalSession() {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    CPLPushErrorHandlerEx(KeepLastError, &lastError_);
    CPLErrorReset();
}

GdalSession::~GdalSession() {
    CPLPopErrorHandler();
}

}  // namespace vx
