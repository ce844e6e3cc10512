#pragma once

#include <string>

// What every use of GDAL in the converters shares: its drivers registered once, and its
// messages kept off the console while a conversion runs so that the failure reason reaches
// the caller instead.
namespace vx {

class GdalSession {
  public:
    GdalSession();
    ~GdalSession();
    GdalSession(const GdalSession&) = delete;
    GdalSession& operator=(const GdalSession&) = delete;

    // The last error GDAL raised during this session; empty when there was none.
    const std::string& LastError() const { return lastError_; }
    // Forgets it, so that what follows is judged on its own errors.
    void ClearError() { lastError_.clear(); }

  private:
    std::string lastError_;
};

}  // namespace vx
