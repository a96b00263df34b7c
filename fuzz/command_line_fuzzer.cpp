// The command-line splitter on arbitrary command lines, against a second formulation of the
// rules written here: a character-by-character scan with a quote switch. The first input byte
// chooses the code page: single-byte, or one with double-byte characters whose lead bytes are
// 81-9F and E0-FC (the second byte of such a character is never a quote or a separator).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

size_t DoubleByteCharNext(std::string_view text, size_t position) {
  if (position >= text.size()) return position;
  if (IsLeadByte(static_cast<unsigned char>(text[position])) && position + 1 < text.size()) return position + 2;
  return position + 1;
}

bool IsSeparator(char c) { return c != '\0' && static_cast<unsigned char>(c) <= 32; }

std::vector<std::string> ExpectedArguments(std::string_view line, bool doubleByte) {
  line = line.substr(0, line.find('\0'));
  const size_t n = line.size();
  std::vector<std::string> arguments;
  size_t i = 0;
  for (bool programName = true;; programName = false) {
    // Where an argument would begin: separators, and empty quoted pairs, are skipped.
    for (;;) {
      while (i < n && IsSeparator(line[i])) ++i;
      if (i + 1 < n && line[i] == '"' && line[i + 1] == '"') {
        i += 2;
        continue;
      }
      break;
    }
    std::string argument;
    bool quoted = false;
    while (i < n && (quoted || !IsSeparator(line[i]))) {
      size_t width = 1;
      if (doubleByte && IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < n) width = 2;
      if (width == 1 && line[i] == '"') {
        quoted = !quoted;
      } else {
        argument.append(line.substr(i, width));
      }
      i += width;
    }
    if (programName) continue;
    if (argument.empty()) return arguments;
    arguments.push_back(argument);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool doubleByte = (data[0] & 1) != 0;
  const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<std::string> arguments =
      varnholt::SplitCommandLine(line, doubleByte ? DoubleByteCharNext : varnholt::SingleByteCharNext);
  if (arguments != ExpectedArguments(line, doubleByte)) {
    std::fprintf(stderr, "SplitCommandLine differs from the rules\n");
    std::abort();
  }
  return 0;
}
