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
  uint64_t Number(int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | File[static_cast<size_t>(Position++)];
    return value;
  }
  // A big-endian number at the offset; bytes past the end count 0.
  uint64_t NumberAt(int64_t offset, int bytes) const {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
      const int64_t at = offset + i;
      value = (value << 8) | (at < static_cast<int64_t>(File.size()) ? File[static_cast<size_t>(at)] : 0);
    }
    return value;
  }
  // A signed move; before the start it is refused, and beyond the largest position it stops there.
  void Move(int64_t offset) {
    const __int128 target = static_cast<__int128>(Position) + offset;
    if (target < 0) return;
    Position = target > INT64_MAX ? INT64_MAX : static_cast<int64_t>(target);
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

TModelOutcome ModelConversion(const Bytes& document, const TModelAnswers& answers, uint64_t sizeLimit) {
  const char* invalid = "Error: Invalid PSD file!";
  TModelReader file{document};
  if (!file.Holds(26)) return Refuse(invalid);
  if (std::memcmp(document.data(), "8BPS", 4) != 0) return Refuse(invalid);
  const bool large = file.NumberAt(4, 2) == 2;  // a large document (PSB)
  file.Position = 12;
  const uint64_t channels = file.Number(2);
  const uint64_t rows = file.Number(4);
  const uint64_t columns = file.Number(4);
  const uint64_t depth = file.Number(2);
  const uint64_t mode = file.Number(2);
  if (mode != 3 || depth != 8) return Refuse("Error: PSD must be in 8bit/channel RGB mode");
  if (channels < 4) return Refuse("Error: PSD does not have an alpha cannel");

  TModelOutcome outcome;
  const uint64_t entryBytes = large ? 4 : 2;
  if (rows > Int32Max || columns > Int32Max || rows * columns * 4 + 36 > Int32Max ||
      entryBytes * channels * rows > Int32Max)
    return Fail(outcome, "ERangeError", "Range check error");

  for (int section = 0; section < 3; ++section) {
    const int lengthBytes = large && section == 2 ? 8 : 4;
    if (!file.Holds(lengthBytes)) return Refuse(invalid);
    const uint64_t length = file.Number(lengthBytes);
    // The length is a signed offset of its own width.
    file.Move(lengthBytes == 8 ? static_cast<int64_t>(length) : static_cast<int64_t>(static_cast<int32_t>(length)));
  }

  const uint64_t planeSize = rows * columns;
  if (!file.Holds(2)) return Refuse(invalid);
  const uint64_t compression = file.Number(2);
  if (compression > 1) return Refuse("Error: PSD image data must be raw or RLE compressed");

  int64_t compressedLength[4] = {};
  if (compression == 1) {
    // The whole table is read; entries the file no longer supplies are 0.
    const int64_t table = file.Position;
    for (uint64_t c = 0; c < 4; ++c)
      for (uint64_t r = 0; r < rows; ++r) {
        const int64_t entry = table + static_cast<int64_t>(entryBytes * (c * rows + r));
        if (entry >= static_cast<int64_t>(document.size())) break;
        compressedLength[c] += static_cast<int64_t>(file.NumberAt(entry, static_cast<int>(entryBytes)));
      }
    for (int64_t length : compressedLength)
      if (length > Int32Max) return Fail(outcome, "ERangeError", "Range check error");
    file.Position = std::min<int64_t>(table + static_cast<int64_t>(entryBytes * channels * rows),
                                      static_cast<int64_t>(document.size()));
  }

  outcome.AskedQuestions = true;
  const uint16_t frameHeight = static_cast<uint16_t>(answers.FrameHeight);
  const uint16_t leading = static_cast<uint16_t>(answers.Leading);
  const uint16_t framesPerSecond = static_cast<uint16_t>(answers.FramesPerSecond);
  const uint32_t slot = uint32_t{frameHeight} + leading;
  if (slot == 0) return Fail(outcome, "EDivByZero", "Division by zero");

  const uint64_t fileSize = planeSize * 4 + 36;
  if (fileSize > sizeLimit) {
    outcome.Kind = TModelOutcome::TooLarge;
    return outcome;
  }

  Bytes filmstrip;
  filmstrip.reserve(fileSize);
  filmstrip.resize(planeSize * 4);
  Bytes plane(planeSize, 0);  // created once, never cleared between channels
  for (int c = 0; c < 4; ++c) {
    if (compression == 0) {
      file.ReadInto(plane.data(), static_cast<int64_t>(planeSize));
    } else {
      // Past the end of the file the block is zeros. Two zero bytes give at least one sample, so
      // of those only the first 2 x the plane (and a packet cut at the end) can be decoded: the
      // model holds no more of them, whatever length the row counts claim.
      const uint64_t length =
          std::min<uint64_t>(static_cast<uint64_t>(compressedLength[c]), static_cast<uint64_t>(file.Available()) + 2 * planeSize + 2);
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
