// ResolveLongFileName over an in-memory directory table, against a second formulation of the
// walk written here over the positions of the delimiters in the expanded path. The input is
// lines: the path syntax ("W" Windows, "D" Windows with double-byte characters whose lead bytes
// are 81-9F and E0-FC, anything else POSIX), the current directory, the path, and then the
// stored names that the successive lookups find; a lookup beyond the last line fails.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/long_file_name.h"
#include "support/memory_platform.h"

namespace {

using namespace varnholt;

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
const TPathSyntax DoubleBytePathSyntax = {'\\', true, IsLeadByte};

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    lines.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return lines;
    start = end + 1;
  }
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The lengths of the walked path, longest first: the expanded path, then at each step the
// position of the last delimiter (or drive colon) in front of the end, until 10 or fewer remain.
std::vector<size_t> WalkedLengths(const std::string& expanded, const TPathSyntax& syntax) {
  std::vector<size_t> delimiters;
  for (size_t i = 0; i < expanded.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(expanded[i]);
    if (c == static_cast<unsigned char>(syntax.Delimiter) || (syntax.HasDrives && c == ':')) {
      delimiters.push_back(i);
    } else if (syntax.IsLeadByte(c)) {
      ++i;  // the second byte of a double-byte character is never a delimiter
    }
  }
  std::vector<size_t> lengths{expanded.size()};
  while (lengths.back() > 10) {
    size_t next = 0;
    for (size_t at : delimiters)
      if (at < lengths.back()) next = at;
    lengths.push_back(next);
  }
  return lengths;
}

// Whether the last character is the delimiter itself, not the second byte of a double-byte one.
bool EndsWithDelimiter(const std::string& path, const TPathSyntax& syntax) {
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == static_cast<unsigned char>(syntax.Delimiter)) {
      if (i + 1 == path.size()) return true;
    } else if (syntax.IsLeadByte(c)) {
      ++i;
    }
  }
  return false;
}

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "ResolveLongFileName: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> lines = Lines(std::string_view(reinterpret_cast<const char*>(data), size));
  if (lines.size() < 3) return 0;
  const TPathSyntax& syntax = lines[0] == "W" ? WindowsPathSyntax : lines[0] == "D" ? DoubleBytePathSyntax : PosixPathSyntax;
  fixtures::TMemoryFileSystem fileSystem(syntax);
  fileSystem.CurrentDirectory = lines[1];
  const std::string& path = lines[2];

  std::string expected;
  std::vector<std::string> expectedLookups;
  const std::string doubled(2, syntax.Delimiter);
  if (path.find(doubled) != std::string::npos || path.find('*') != std::string::npos ||
      path.find('?') != std::string::npos) {
    expected = path;
  } else {
    std::string expanded = fileSystem.ExpandPath(path);
    if (expanded.size() > 3 && EndsWithDelimiter(expanded, syntax)) expanded.pop_back();
    const std::vector<size_t> lengths = WalkedLengths(expanded, syntax);
    std::string tail;
    bool found = true;
    for (size_t step = 0; step + 1 < lengths.size(); ++step) {
      const std::string walked = expanded.substr(0, lengths[step]);
      expectedLookups.push_back(walked);
      if (3 + step >= lines.size()) {
        found = false;
        break;
      }
      fileSystem.StoredNames[Upper(walked)] = lines[3 + step];
      tail = syntax.Delimiter + lines[3 + step] + tail;
    }
    expected = found ? expanded.substr(0, lengths.back()) + tail : std::string();
  }

  const std::string result = ResolveLongFileName(path, fileSystem);
  Expect(result == expected, "result differs from the walk");
  Expect(fileSystem.Lookups == expectedLookups, "lookups differ from the walk");
  return 0;
}
