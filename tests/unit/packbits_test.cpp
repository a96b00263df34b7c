// The PackBits decoder: the cases of the format, two calls on one destination, and a property check
// that it never reads or writes outside the two areas it is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "psd/packbits.h"

namespace varnholt {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t Sentinel = 0xEE;

struct TDecodeCase {
  const char* Shows;
  Bytes Source;
  int32_t SourceCount;
  int32_t Capacity;
  Bytes Expected;  // the whole destination of `Capacity` bytes; Sentinel where decoding must not reach
};

Bytes Repeated(size_t count, uint8_t value) { return Bytes(count, value); }

Bytes LongestLiteralSource() {
  Bytes source = {0x7F};
  for (int i = 0; i < 128; ++i) source.push_back(static_cast<uint8_t>(i));
  return source;
}

Bytes LongestLiteralData() {
  Bytes data;
  for (int i = 0; i < 128; ++i) data.push_back(static_cast<uint8_t>(i));
  return data;
}

TEST(DecodePackBits, DecodesEachKindOfPacketAndCutsAtEitherEnd) {
  const TDecodeCase cases[] = {
      {"a literal of three bytes", {0x02, 0x41, 0x42, 0x43}, 4, 3, {0x41, 0x42, 0x43}},
      {"a run of three", {0xFE, 0x41}, 2, 3, {0x41, 0x41, 0x41}},
      {"a run of four zeros", {0xFD, 0x00}, 2, 4, {0x00, 0x00, 0x00, 0x00}},
      {"the 80 header is skipped and still uses one source byte", {0x00, 0x41, 0x80, 0x00, 0x42}, 5, 2, {0x41, 0x42}},
      {"two rows decoded as one stream", {0xFE, 0x41, 0x02, 0x42, 0x43, 0x44}, 6, 6,
       {0x41, 0x41, 0x41, 0x42, 0x43, 0x44}},
      {"a run of five runs on into the next row", {0xFC, 0x41, 0x00, 0x42}, 4, 6, {0x41, 0x41, 0x41, 0x41, 0x41, 0x42}},
      {"a literal of five cut to the capacity", {0x04, 0x41, 0x42, 0x43, 0x44, 0x45}, 6, 3, {0x41, 0x42, 0x43}},
      {"a run of six cut to the capacity", {0xFB, 0x41}, 2, 3, {0x41, 0x41, 0x41}},
      {"source left over once the capacity is full is not read", {0xFE, 0x41, 0x02, 0x42, 0x43, 0x44}, 6, 3,
       {0x41, 0x41, 0x41}},
      {"a literal of four with two data bytes left copies two", {0x03, 0x41, 0x42}, 3, 4,
       {0x41, 0x42, Sentinel, Sentinel}},
      {"a run header as the last source byte writes nothing", {0x01, 0x41, 0x42, 0xFE}, 4, 5,
       {0x41, 0x42, Sentinel, Sentinel, Sentinel}},
      {"only no-operation headers write nothing", {0x80, 0x80}, 2, 3, {Sentinel, Sentinel, Sentinel}},
      {"the longest run", {0x81, 0x7F}, 2, 128, Repeated(128, 0x7F)},
      {"the longest literal", LongestLiteralSource(), 129, 128, LongestLiteralData()},
      {"an empty source writes nothing", {0x02, 0x41, 0x42, 0x43}, 0, 3, {Sentinel, Sentinel, Sentinel}},
      {"a negative source count writes nothing", {0x02, 0x41, 0x42, 0x43}, -1, 3, {Sentinel, Sentinel, Sentinel}},
      {"a capacity of 0 writes nothing", {0x02, 0x41, 0x42, 0x43}, 4, 0, {}},
      {"a source count that stops inside the packets leaves the end unchanged", {0xFE, 0x41, 0x02, 0x42, 0x43, 0x44},
       4, 6, {0x41, 0x41, 0x41, 0x42, Sentinel, Sentinel}},
  };
  for (const TDecodeCase& row : cases) {
    SCOPED_TRACE(row.Shows);
    // One more byte than the capacity, so a write at the capacity would show.
    Bytes destination(row.Expected.size() + 1, Sentinel);
    DecodePackBits(row.Source.data(), destination.data(), row.SourceCount, row.Capacity);
    Bytes expected = row.Expected;
    expected.push_back(Sentinel);
    EXPECT_EQ(destination, expected);
  }
}

TEST(DecodePackBits, NegativeCapacityWritesNothing) {
  const Bytes source = {0xFE, 0x41};
  Bytes destination(4, Sentinel);
  DecodePackBits(source.data(), destination.data(), 2, -5);
  EXPECT_EQ(destination, Bytes(4, Sentinel));
}

TEST(DecodePackBits, SecondCallDecodingFewerBytesLeavesTheFirstCallsTail) {
  Bytes destination(6, Sentinel);
  const Bytes first = {0xFB, 0x41};  // six of 41
  DecodePackBits(first.data(), destination.data(), 2, 6);
  const Bytes second = {0x01, 0x42, 0x43, 0xFE};  // a literal of two; the run header is cut off
  DecodePackBits(second.data(), destination.data(), 4, 6);
  EXPECT_EQ(destination, (Bytes{0x42, 0x43, 0x41, 0x41, 0x41, 0x41}));
}

// The plain reading of the format, one byte at a time, as the reference the decoder must match.
void ReferenceDecode(const uint8_t* source, uint8_t* destination, int32_t sourceCount, int32_t capacity) {
  int32_t in = 0;
  int32_t out = 0;
  while (in < sourceCount && out < capacity) {
    const int header = static_cast<int8_t>(source[in++]);
    if (header >= 0) {
      for (int i = 0; i <= header && in < sourceCount && out < capacity; ++i) destination[out++] = source[in++];
    } else if (header != -128) {
      if (in == sourceCount) break;
      const uint8_t value = source[in++];
      for (int i = 0; i < 1 - header && out < capacity; ++i) destination[out++] = value;
    }
  }
}

TEST(DecodePackBits, NeverTouchesBytesOutsideItsTwoAreas) {
  constexpr size_t Guard = 64;
  std::mt19937 random(20261211);
  for (int trial = 0; trial < 20000; ++trial) {
    SCOPED_TRACE(trial);
    const int32_t sourceCount = static_cast<int32_t>(random() % 300);
    const int32_t capacity = static_cast<int32_t>(random() % 400);
    // Mostly sprite-like packets, sometimes pure noise, so both cut-offs are met often.
    Bytes source(Guard + sourceCount + Guard);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(random());
    if (trial % 2 == 0)
      for (int32_t i = 0; i < sourceCount; i += 2) source[Guard + i] = static_cast<uint8_t>(random() % 8 + 0xF8);
    const Bytes sourceBefore = source;
    const uint8_t fill = static_cast<uint8_t>(random());
    Bytes destination(Guard + capacity + Guard, fill);
    Bytes expected = destination;

    // Random guard bytes: a byte taken from past the source count would show in the output, a
    // byte written outside the capacity in the guards.
    DecodePackBits(source.data() + Guard, destination.data() + Guard, sourceCount, capacity);
    ReferenceDecode(source.data() + Guard, expected.data() + Guard, sourceCount, capacity);
    ASSERT_EQ(source, sourceBefore);
    ASSERT_EQ(destination, expected);

    // The same over areas of exactly their sizes, where the address sanitizer sees any stray access.
    const Bytes exactSource(source.begin() + Guard, source.begin() + Guard + sourceCount);
    Bytes exactDestination(static_cast<size_t>(capacity), fill);
    DecodePackBits(exactSource.data(), exactDestination.data(), sourceCount, capacity);
    ASSERT_TRUE(std::equal(exactDestination.begin(), exactDestination.end(), expected.begin() + Guard));
  }
}

}  // namespace
}  // namespace varnholt
