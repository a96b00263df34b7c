#include "psd/psd_header.h"

#include <algorithm>
#include <cstring>

#include "common/byte_order.h"

namespace varnholt {

bool ReadPsdHeader(TStream& input, TPsdHeader& header) {
  header = TPsdHeader{};
  if (input.Read(&header, sizeof header) != static_cast<int32_t>(sizeof header)) return false;
  header.Channels = SwapWord(header.Channels);
  header.Rows = SwapLong(header.Rows);
  header.Columns = SwapLong(header.Columns);
  header.Depth = SwapWord(header.Depth);
  header.Mode = SwapWord(header.Mode);
  return true;
}

const char* TestPsdHeader(const TPsdHeader& header) {
  if (std::memcmp(header.Signature, "8BPS", 4) != 0) return InvalidPsdRefusal;
  if (header.Mode != 3 || header.Depth != 8) return ModeRefusal;
  if (header.Channels < 4) return AlphaRefusal;
  return nullptr;
}

bool IsLargeDocument(const TPsdHeader& header) { return SwapWord(header.Version) == 2; }

// Bytes of one row byte count in the table: 2, or 4 in a large document.
static int64_t RowCountBytes(const TPsdHeader& header) { return IsLargeDocument(header) ? 4 : 2; }

void CheckPsdSizes(const TPsdHeader& header) {
  // Rows and Columns are each below 2^31 before they are multiplied, so no 64-bit product wraps;
  // the bound on Rows x Columns is that of the output, Rows x Columns x 4 + 36.
  const int64_t rows = header.Rows;
  const int64_t columns = header.Columns;
  if (rows > INT32_MAX || columns > INT32_MAX || rows * columns > (INT32_MAX - 36) / 4 ||
      RowCountBytes(header) * header.Channels * rows > INT32_MAX)
    RaiseFailure("ERangeError", "Range check error");
}

bool SkipSection(TStream& input) {
  uint32_t length = 0;
  if (input.Read(&length, sizeof length) != static_cast<int32_t>(sizeof length)) return false;
  // The length is taken as a signed offset: 2^31 and above moves backwards.
  input.SeekFromCurrent(static_cast<int32_t>(SwapLong(length)));
  return true;
}

bool SkipLargeSection(TStream& input) {
  uint32_t halves[2] = {};
  if (input.Read(halves, sizeof halves) != static_cast<int32_t>(sizeof halves)) return false;
  // As with 4 bytes, a signed offset: 2^63 and above moves backwards by 2^64 minus the length.
  const uint64_t length = uint64_t{SwapLong(halves[0])} << 32 | SwapLong(halves[1]);
  input.SeekFromCurrent(static_cast<int64_t>(length));
  return true;
}

bool ReadCompressionCode(TStream& input, uint16_t& code) {
  uint16_t stored = 0;
  if (input.Read(&stored, sizeof stored) != static_cast<int32_t>(sizeof stored)) return false;
  code = SwapWord(stored);
  return true;
}

TCompressedLengths SumCompressedLengths(TStream& input, const TPsdHeader& header) {
  // CheckPsdSizes has bounded the table to 2^31 - 1 bytes.
  const int64_t entryBytes = RowCountBytes(header);
  const int64_t tableBytes = entryBytes * header.Channels * header.Rows;
  const int64_t tableStart = input.Position();
  TCompressedLengths lengths{};
  // Only channels 0 to 3 are summed: their entries come first, channel-major.
  const int64_t summedBytes = entryBytes * 4 * int64_t{header.Rows};
  constexpr int64_t PieceBytes = int64_t{1} << 20;  // a multiple of both entry sizes
  TMemoryBlock piece = AllocateBlock(static_cast<size_t>(std::min(std::max<int64_t>(summedBytes, 4), PieceBytes)));
  size_t channel = 0;
  uint32_t row = 0;
  for (int64_t offset = 0; offset < summedBytes; offset += PieceBytes) {
    const int32_t want = static_cast<int32_t>(std::min(PieceBytes, summedBytes - offset));
    const int32_t got = input.ReadAt(tableStart + offset, piece.Data(), want);
    std::memset(piece.Data() + got, 0, static_cast<size_t>(want - got));
    const uint8_t* bytes = piece.Data();
    for (int32_t at = 0; at < want; at += static_cast<int32_t>(entryBytes)) {
      uint32_t count = uint32_t{bytes[at]} << 8 | bytes[at + 1];
      if (entryBytes == 4) count = count << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
      lengths[channel] += count;
      if (++row == header.Rows) ++channel, row = 0;
    }
    if (got < want) break;  // the file ends here: every later entry counts 0
  }
  input.SetPosition(tableStart + tableBytes);
  return lengths;
}

void CheckCompressedLengths(const TCompressedLengths& lengths) {
  for (const int64_t length : lengths)
    if (length > INT32_MAX) RaiseFailure("ERangeError", "Range check error");
}

}  // namespace varnholt
