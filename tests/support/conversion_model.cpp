#include "support/conversion_model.h"

#include <algorithm>
#include <cstring>

namespace varnholt::fixtures {

namespace {

constexpr int64_t Int32Max = 2147483647;

// The document as the program's stream sees it: reads copy what is there and stop at the end;
// a move to before the start is refused.
struct TModelReader {
  const Bytes& File;
  int64_t Position = 0;

  int64_t Available() const { return std::max<int64_t>(0, static_cast<int64_t>(File.size()) - Position); }
  bool Holds(int64_t count) const { return Available() >= count; }
  uint32_t Number(int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | File[static_cast<size_t>(Position++)];
    return value;
  }
  void Move(int32_t offset) {
    if (Position + offset >= 0) Position += offset;
  }
  // Copies up to count bytes to the front of `into`; the rest of `into` keeps what it held.
  void ReadInto(uint8_t* into, int64_t count) {
    const int64_t delivered = std::min(count, Available());
    if (delivered > 0) std::memcpy(into, File.data() + Position, static_cast<size_t>(delivered));
    Position += delivered;
  }
};

TModelOutcome Refuse(const char* line) {
  TModelOutcome outcome;
  outcome.Kind = TModelOutcome::Refused;
  outcome.Refusal = line;
  return outcome;
}

TModelOutcome Fail(TModelOutcome outcome, const char* className, const char* message) {
  outcome.Kind = TModelOutcome::Failed;
  outcome.FailureClass = className;
  outcome.FailureMessage = message;
  return outcome;
}

void AppendBig(Bytes& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

void ModelDecodePackBits(const uint8_t* source, int64_t sourceCount, uint8_t* destination, int64_t capacity) {
  int64_t in = 0;
  int64_t out = 0;
  while (out < capacity && in < sourceCount) {
    const int header = static_cast<int8_t>(source[in++]);
    if (header == -128) continue;
    if (header >= 0) {
      for (int k = 0; k <= header && out < capacity && in < sourceCount; ++k) destination[out++] = source[in++];
    } else {
      if (in == sourceCount) break;
      const uint8_t value = source[in++];
      for (int k = 0; k < 1 - header && out < capacity; ++k) destination[out++] = value;
    }
  }
}

TModelOutcome ModelConversion(const Bytes& document, const TModelAnswers& answers, uint64_t memoryLimit) {
  const char* invalid = "Error: Invalid PSD file!";
  TModelReader file{document};
  if (!file.Holds(26)) return Refuse(invalid);
  if (std::memcmp(document.data(), "8BPS", 4) != 0) return Refuse(invalid);
  file.Position = 12;
  const uint64_t channels = file.Number(2);
  const uint64_t rows = file.Number(4);
  const uint64_t columns = file.Number(4);
  const uint32_t depth = file.Number(2);
  const uint32_t mode = file.Number(2);
  if (mode != 3 || depth != 8) return Refuse("Error: PSD must be in 8bit/channel RGB mode");
  if (channels < 4) return Refuse("Error: PSD does not have an alpha cannel");

  TModelOutcome outcome;
  if (rows > Int32Max || columns > Int32Max || rows * columns * 4 + 36 > Int32Max || 2 * channels * rows > Int32Max)
    return Fail(outcome, "ERangeError", "Range check error");

  for (int section = 0; section < 3; ++section) {
    if (!file.Holds(4)) return Refuse(invalid);
    file.Move(static_cast<int32_t>(file.Number(4)));
  }

  const uint64_t planeSize = rows * columns;
  outcome.LargestBlock = planeSize;
  if (planeSize > memoryLimit) return Fail(outcome, "EOutOfMemory", "Out of memory");

  if (!file.Holds(2)) return Refuse(invalid);
  const uint32_t compression = file.Number(2);
  if (compression > 1) return Refuse("Error: PSD image data must be raw or RLE compressed");

  int64_t compressedLength[4] = {};
  if (compression == 1) {
    const uint64_t tableSize = 2 * channels * rows;
    outcome.LargestBlock = std::max(outcome.LargestBlock, tableSize);
    if (tableSize > memoryLimit) return Fail(outcome, "EOutOfMemory", "Out of memory");
    Bytes table(tableSize, 0);  // entries the file no longer supplies stay 0
    file.ReadInto(table.data(), static_cast<int64_t>(table.size()));
    for (uint64_t c = 0; c < 4; ++c)
      for (uint64_t r = 0; r < rows; ++r) {
        const size_t entry = 2 * (c * rows + r);
        compressedLength[c] += table[entry] * 256 + table[entry + 1];
      }
    for (int64_t length : compressedLength)
      if (length > Int32Max) return Fail(outcome, "ERangeError", "Range check error");
  }

  outcome.AskedQuestions = true;
  const uint16_t frameHeight = static_cast<uint16_t>(answers.FrameHeight);
  const uint16_t leading = static_cast<uint16_t>(answers.Leading);
  const uint16_t framesPerSecond = static_cast<uint16_t>(answers.FramesPerSecond);
  const uint32_t slot = uint32_t{frameHeight} + leading;
  if (slot == 0) return Fail(outcome, "EDivByZero", "Division by zero");

  const uint64_t fileSize = planeSize * 4 + 36;
  outcome.LargestBlock = std::max(outcome.LargestBlock, fileSize);
  if (fileSize > memoryLimit) return Fail(outcome, "EStreamError", "Out of memory while expanding memory stream");

  Bytes filmstrip;
  filmstrip.reserve(fileSize);
  filmstrip.resize(planeSize * 4);
  Bytes plane(planeSize, 0);  // created once, never cleared between channels
  for (int c = 0; c < 4; ++c) {
    if (compression == 0) {
      file.ReadInto(plane.data(), static_cast<int64_t>(planeSize));
    } else {
      const uint64_t length = static_cast<uint64_t>(compressedLength[c]);
      outcome.LargestBlock = std::max(outcome.LargestBlock, length);
      if (length > memoryLimit) return Fail(outcome, "EOutOfMemory", "Out of memory");
      Bytes block(length, 0);
      file.ReadInto(block.data(), static_cast<int64_t>(length));
      ModelDecodePackBits(block.data(), static_cast<int64_t>(length), plane.data(), static_cast<int64_t>(planeSize));
    }
    for (uint64_t i = 0; i < planeSize; ++i) filmstrip[i * 4 + c] = plane[i];
  }

  for (char c : std::string("Rand")) filmstrip.push_back(static_cast<uint8_t>(c));
  AppendBig(filmstrip, static_cast<uint32_t>(rows / slot), 4);
  AppendBig(filmstrip, 0, 4);
  AppendBig(filmstrip, static_cast<uint32_t>(columns % 65536), 2);
  AppendBig(filmstrip, frameHeight, 2);
  AppendBig(filmstrip, leading, 2);
  AppendBig(filmstrip, framesPerSecond, 2);
  filmstrip.insert(filmstrip.end(), 16, 0);
  outcome.Kind = TModelOutcome::Saved;
  outcome.Filmstrip = std::move(filmstrip);
  return outcome;
}

}  // namespace varnholt::fixtures
