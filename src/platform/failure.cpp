// Failures, their report, and the texts of console errors.
#include <cstdio>

#include "platform/platform.h"

namespace varnholt {

namespace {

// The raise site as a stable 32-bit value: FNV-1a over the source file's own name and the line.
// Only the file's name counts, so the value does not depend on where the tree was built.
uint32_t RaiseSiteAddress(const char* file, int line) {
  std::string_view path(file);
  const size_t cut = path.find_last_of("/\\");
  if (cut != std::string_view::npos) path.remove_prefix(cut + 1);
  uint32_t hash = 2166136261u;
  auto mix = [&hash](unsigned char byte) { hash = (hash ^ byte) * 16777619u; };
  for (char c : path) mix(static_cast<unsigned char>(c));
  for (int shift = 0; shift < 32; shift += 8) mix(static_cast<unsigned char>(unsigned(line) >> shift));
  return hash;
}

}  // namespace

void RaiseFailure(const char* className, std::string message, const char* file, int line) {
  throw EFailure(className, std::move(message), RaiseSiteAddress(file, line));
}

namespace {

// "Exception <class> in module <module> at <address>." and its line end.
std::string ReportHead(const EFailure& failure, std::string_view moduleName) {
  char address[9];
  std::snprintf(address, sizeof address, "%08X", static_cast<unsigned>(failure.Address));
  std::string head = "Exception ";
  head += failure.ClassName;
  head += " in module ";
  head += moduleName;
  head += " at ";
  head += address;
  head += ".\r\n";
  return head;
}

// What follows the message: a final dot when it has none, its line end and the empty line.
const char* ReportEnd(const std::string& message) {
  return !message.empty() && message.back() != '.' ? ".\r\n\r\n" : "\r\n\r\n";
}

}  // namespace

void WriteFailureReport(TConsole& console, const EFailure& failure, std::string_view moduleName) {
  console.Write(ReportHead(failure, moduleName));
  console.Write(failure.Message);
  console.Write(ReportEnd(failure.Message));
}

std::string InOutErrorText(int errorNumber, bool diskFull) {
  if (diskFull) return "Disk full";
  return "I/O error " + std::to_string(errorNumber);
}

}  // namespace varnholt
