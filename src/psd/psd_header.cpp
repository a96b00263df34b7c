#include "psd/psd_header.h"

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

void CheckPsdSizes(const TPsdHeader& header) {
  // Rows and Columns are each below 2^31 before they are multiplied, so no 64-bit product wraps;
  // the bound on Rows x Columns is that of the pixel buffer, Rows x Columns x 4 + 36.
  const int64_t rows = header.Rows;
  const int64_t columns = header.Columns;
  if (rows > INT32_MAX || columns > INT32_MAX || rows * columns > (INT32_MAX - 36) / 4 ||
      2 * int64_t{header.Channels} * rows > INT32_MAX)
    RaiseFailure("ERangeError", "Range check error");
}

bool SkipSection(TStream& input) {
  uint32_t length = 0;
  if (input.Read(&length, sizeof length) != static_cast<int32_t>(sizeof length)) return false;
  // The length is taken as a signed offset: 2^31 and above moves backwards.
  input.SeekFromCurrent(static_cast<int32_t>(SwapLong(length)));
  return true;
}

bool ReadCompressionCode(TStream& input, uint16_t& code) {
  uint16_t stored = 0;
  if (input.Read(&stored, sizeof stored) != static_cast<int32_t>(sizeof stored)) return false;
  code = SwapWord(stored);
  return true;
}

void ReadRowByteCounts(TStream& input, const TPsdHeader& header, TWordArray& rowByteCounts) {
  // CheckPsdSizes has bounded 2 x Channels x Rows, so neither product wraps.
  const int32_t count = static_cast<int32_t>(header.Channels * header.Rows);
  rowByteCounts.SetLength(count);
  if (count == 0) return;
  input.Read(rowByteCounts.Data(), 2 * count);
  SwapWordArray(rowByteCounts.Data(), count);
}

}  // namespace varnholt
