// The integer conversion of answers on arbitrary text, against a second formulation of its
// syntax written here from the rules alone: blanks, then either a signed decimal number or a
// prefixed hexadecimal one, then nothing. Acceptance and value must agree, and AskNumber must
// return the value or fail with the line quoted.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "filmstrip/frame_dialogue.h"
#include "support/memory_platform.h"

namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string WithoutLeadingZeros(std::string_view digits) {
  const size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? std::string() : std::string(digits.substr(first));
}

std::optional<int32_t> ExpectedInteger(std::string_view text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  const std::string_view number = text.substr(start);

  // Decimal: [+-]? digit+, within the signed 32-bit range; leading zeros count for nothing.
  const size_t sign = (number[0] == '+' || number[0] == '-') ? 1 : 0;
  const std::string_view decimal = number.substr(sign);
  if (!decimal.empty() && std::all_of(decimal.begin(), decimal.end(), IsDecimalDigit)) {
    const std::string significant = WithoutLeadingZeros(decimal);
    if (significant.size() > 10) return std::nullopt;
    long long value = significant.empty() ? 0 : std::stoll(significant);
    if (number[0] == '-') value = -value;
    if (value < -2147483648LL || value > 2147483647LL) return std::nullopt;
    return static_cast<int32_t>(value);
  }

  // Hexadecimal: ("$" | "x" | "X" | "0x" | "0X") hexdigit+, at most eight significant digits,
  // taken as a 32-bit pattern.
  for (std::string_view prefix : {"$", "x", "X", "0x", "0X"}) {
    if (number.substr(0, prefix.size()) != prefix) continue;
    const std::string_view digits = number.substr(prefix.size());
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsHexDigit)) return std::nullopt;
    const std::string significant = WithoutLeadingZeros(digits);
    if (significant.size() > 8) return std::nullopt;
    const unsigned long pattern = significant.empty() ? 0 : std::stoul(significant, nullptr, 16);
    return static_cast<int32_t>(static_cast<uint32_t>(pattern));
  }
  return std::nullopt;
}

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "integer conversion: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnholt;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<int32_t> expected = ExpectedInteger(text);

  int32_t value = 0x5A5A5A5A;
  const bool accepted = TextToInteger(text, value);
  Expect(accepted == expected.has_value(), "acceptance differs from the syntax");
  if (accepted) Expect(value == *expected, "value differs");

  // The same text as an answer line, when it is one line.
  if (text.find_first_of("\r\n") != std::string::npos) return 0;
  fixtures::TMemoryConsoleDevice device(text + "\n");
  TConsole console(device);
  try {
    const int32_t answer = AskNumber(console, "Enter cursor frame height: ");
    Expect(expected.has_value() && answer == *expected, "AskNumber accepted a bad answer or changed its value");
  } catch (const EFailure& failure) {
    Expect(!expected.has_value(), "AskNumber refused a good answer");
    Expect(std::string(failure.ClassName) == "EConvertError", "AskNumber failure class");
    Expect(failure.Message == "'" + text + "' is not a valid integer value", "AskNumber failure message");
  }
  return 0;
}
