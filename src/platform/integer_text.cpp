// The run-time's conversion of text to a signed 32-bit integer.
#include "platform/platform.h"

namespace varnholt {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HexadecimalToInteger(std::string_view digits, int32_t& value) {
  if (digits.empty()) return false;
  uint32_t pattern = 0;
  int significant = 0;
  for (char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return false;
    if (significant > 0 || digit != 0) ++significant;
    if (significant > 8) return false;
    pattern = (pattern << 4) | static_cast<uint32_t>(digit);
  }
  value = static_cast<int32_t>(pattern);
  return true;
}

bool DecimalToInteger(std::string_view text, int32_t& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : INT32_MAX;
  int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return false;
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace

bool TextToInteger(std::string_view text, int32_t& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.starts_with("0x") || text.starts_with("0X")) return HexadecimalToInteger(text.substr(2), value);
  if (text.starts_with("$") || text.starts_with("x") || text.starts_with("X"))
    return HexadecimalToInteger(text.substr(1), value);
  return DecimalToInteger(text, value);
}

}  // namespace varnholt
