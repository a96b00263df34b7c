// Output naming: the input's stored long name, with the extension changed to ".flm".
#pragma once

#include <string>

#include "platform/platform.h"

namespace varnholt {

// The path in absolute form, its components past the first 10 characters carrying the names the
// file system stores them under. The path unchanged when it holds a doubled delimiter, "*" or
// "?"; the empty text when the expansion or any lookup fails.
std::string ResolveLongFileName(const std::string& path, TFileSystem& fileSystem);

// The output path for the argument: its long form with the extension ".flm", or, when the long
// form cannot be had, the argument as typed with that extension, so the output always stands
// beside the input.
std::string DeriveOutputPath(const std::string& argument, TFileSystem& fileSystem);

}  // namespace varnholt
