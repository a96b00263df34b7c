// Path routines of the run-time: directory part and extension change, over a host's path syntax.
#include "platform/platform.h"

namespace varnholt {

namespace {

// Position of the last byte of the path that is one of the wanted delimiters, or npos. The path
// is walked from the front so that the second byte of a double-byte character is never taken
// for a delimiter.
size_t LastDelimiter(const std::string& path, const TPathSyntax& syntax, bool dotCounts) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == syntax.Delimiter || (syntax.HasDrives && c == ':') || (dotCounts && c == '.')) {
      last = i;
    } else if (syntax.IsLeadByte(static_cast<unsigned char>(c))) {
      ++i;
    }
  }
  return last;
}

}  // namespace

std::string ChangeExtension(const std::string& path, std::string_view extension, const TPathSyntax& syntax) {
  const size_t last = LastDelimiter(path, syntax, true);
  std::string result = (last != std::string::npos && path[last] == '.') ? path.substr(0, last) : path;
  result += extension;
  return result;
}

std::string ExtractDirectory(const std::string& path, const TPathSyntax& syntax) {
  const size_t last = LastDelimiter(path, syntax, false);
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace varnholt
