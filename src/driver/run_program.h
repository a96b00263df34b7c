// A run of Varnholt from banner to exit status.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace varnholt {

// Writes the banner, converts the document named by the last argument and returns the exit
// status: 0 after the usage text, a refusal or a conversion; 1 after the failure report.
int RunProgram(const std::vector<std::string>& arguments, std::string_view moduleName, TConsole& console,
               TFileSystem& fileSystem);

}  // namespace varnholt
