// Cutting the Windows command line into arguments.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"

namespace varnholt {
namespace {

// A double-byte code page in which 0x81 opens a two-byte character.
size_t DoubleByteCharNext(std::string_view text, size_t position) {
  if (position >= text.size()) return position;
  return static_cast<unsigned char>(text[position]) == 0x81 ? std::min(position + 2, text.size()) : position + 1;
}

struct TSplitCase {
  std::string_view CommandLine;
  std::vector<std::string> Arguments;
};

TEST(SplitCommandLine, CutsArgumentsAsTheWindowsRunTimeDoes) {
  using namespace std::string_view_literals;
  const TSplitCase cases[] = {
      {"", {}},
      {"Varnholt", {}},
      {"Varnholt a.psd b.psd", {"a.psd", "b.psd"}},
      {"  Varnholt\ta.psd\x01\x1F b.psd  ", {"a.psd", "b.psd"}},
      {"\"C:\\Program Files\\Varnholt.exe\" x.psd", {"x.psd"}},
      {"Varnholt \"C:\\My Art\\hero.psd\"", {"C:\\My Art\\hero.psd"}},
      {"Varnholt C:\\\"My Art\"\\hero.psd", {"C:\\My Art\\hero.psd"}},
      {"Varnholt \"C:\\My Art", {"C:\\My Art"}},
      {"Varnholt a\\\"b c\" d", {"a\\b c", "d"}},
      // Two quotes where an argument would begin are no argument.
      {"Varnholt \"\"", {}},
      {"Varnholt \"\" \"\"\"\" a.psd", {"a.psd"}},
      {"Varnholt \"\"a.psd", {"a.psd"}},
      // The first argument that comes out empty ends the count: a lone quote at the end.
      {"Varnholt a.psd \"", {"a.psd"}},
      // Bytes of 128 and above are never separators.
      {"Varnholt a\xA0" "b\xFF", {"a\xA0" "b\xFF"}},
      // The line ends at its first zero character.
      {"Varnholt a.psd\0b.psd"sv, {"a.psd"}},
  };
  for (const TSplitCase& c : cases) EXPECT_EQ(SplitCommandLine(c.CommandLine), c.Arguments) << c.CommandLine;
}

TEST(SplitCommandLine, StepsOverDoubleByteCharactersWhole) {
  // The second byte of a double-byte character is neither a blank nor a quote.
  EXPECT_EQ(SplitCommandLine("V a\x81 b", DoubleByteCharNext), std::vector<std::string>{"a\x81 b"});
  EXPECT_EQ(SplitCommandLine("V \"a\x81\" b\" c", DoubleByteCharNext), (std::vector<std::string>{"a\x81\" b", "c"}));
  EXPECT_EQ(SplitCommandLine("V a\x81 b"), (std::vector<std::string>{"a\x81", "b"}));
}

}  // namespace
}  // namespace varnholt
