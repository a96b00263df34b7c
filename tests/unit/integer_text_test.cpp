// The integer syntax of the answers: leading blanks, decimal or hexadecimal, nothing after.
#include <gtest/gtest.h>

#include <optional>

#include "platform/platform.h"

namespace varnholt {
namespace {

struct TIntegerCase {
  std::string_view Text;
  std::optional<int32_t> Value;  // nullopt: the text is not an integer
};

const TIntegerCase IntegerCases[] = {
    // Decimal, with an optional sign; leading zeros are not octal.
    {"32", 32},
    {"+7", 7},
    {"-1", -1},
    {"0", 0},
    {"-0", 0},
    {"012", 12},
    {"00000000000000000000042", 42},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"2147483648", std::nullopt},
    {"-2147483649", std::nullopt},
    {"4294967295", std::nullopt},
    {"99999999999999999999", std::nullopt},
    // Hexadecimal after "$", "x", "X", "0x" or "0X": a 32-bit pattern of at most eight digits.
    {"$20", 32},
    {"x20", 32},
    {"X20", 32},
    {"0x20", 32},
    {"0X20", 32},
    {"$aBcD", 0xABCD},
    {"$7FFFFFFF", 2147483647},
    {"$80000000", INT32_MIN},
    {"$FFFFFFFF", -1},
    {"$000000001", 1},
    {"0x00000000FFFFFFFF", -1},
    {"$100000000", std::nullopt},
    {"$", std::nullopt},
    {"x", std::nullopt},
    {"0x", std::nullopt},
    {"0X", std::nullopt},
    {"$G", std::nullopt},
    {"0x1g", std::nullopt},
    {"$-1", std::nullopt},
    // Only the space is skipped, and only in front.
    {"  32", 32},
    {" -5", -5},
    {"   $10", 16},
    {"32 ", std::nullopt},
    {"\t32", std::nullopt},
    {"32\t", std::nullopt},
    {"- 5", std::nullopt},
    // A sign goes with decimal digits only, and needs one.
    {"-$20", std::nullopt},
    {"+$20", std::nullopt},
    {"-0x20", std::nullopt},
    {"+", std::nullopt},
    {"-", std::nullopt},
    {"+-1", std::nullopt},
    {"--1", std::nullopt},
    // Nothing at all, or something else.
    {"", std::nullopt},
    {"   ", std::nullopt},
    {"1e3", std::nullopt},
    {"1.0", std::nullopt},
    {"1,000", std::nullopt},
    {"12abc", std::nullopt},
    {"abc", std::nullopt},
    {"32\r", std::nullopt},
    {std::string_view("3\0" "2", 3), std::nullopt},
};

TEST(IntegerText, AcceptsExactlyTheAnswerSyntax) {
  for (const TIntegerCase& test : IntegerCases) {
    int32_t value = 12345;
    const bool converted = TextToInteger(test.Text, value);
    EXPECT_EQ(converted, test.Value.has_value()) << "'" << test.Text << "'";
    if (converted && test.Value) {
      EXPECT_EQ(value, *test.Value) << "'" << test.Text << "'";
    }
  }
}

}  // namespace
}  // namespace varnholt
