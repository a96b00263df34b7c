// The PSD header and the layout up to the channel data: the three tests, the skipped sections,
// the compression code and the row byte-count table. A large document (PSB, Version 2) has the
// same layout with two fields wider: the length of the layer and mask information and each row
// byte count.
#pragma once

#include <array>
#include <cstdint>

#include "platform/platform.h"

namespace varnholt {

#pragma pack(push, 1)
// The first 26 bytes of a PSD, in the file's own layout. After ReadPsdHeader the numeric fields
// that the reader uses are in host order; Signature and Reserved stay as read.
struct TPsdHeader {
  char Signature[4];  // "8BPS"
  uint16_t Version;   // 2 for a large document (PSB), 1 for any other
  uint8_t Reserved[6];
  uint16_t Channels;  // alpha channels included
  uint32_t Rows;
  uint32_t Columns;
  uint16_t Depth;  // bits per channel
  uint16_t Mode;   // colour mode; 3 is RGB
};
#pragma pack(pop)
static_assert(sizeof(TPsdHeader) == 26, "TPsdHeader must match the file's 26 bytes");

// Compression codes of the image data section that Varnholt loads.
constexpr uint16_t RawData = 0;
constexpr uint16_t PackBitsData = 1;

// The refusal lines, one per unsuitable document.
inline constexpr const char* InvalidPsdRefusal = "Error: Invalid PSD file!";
inline constexpr const char* ModeRefusal = "Error: PSD must be in 8bit/channel RGB mode";
inline constexpr const char* AlphaRefusal = "Error: PSD does not have an alpha cannel";
inline constexpr const char* CompressionRefusal = "Error: PSD image data must be raw or RLE compressed";

// Reads the header with one read and converts it to host order; false when the file is too
// short to hold all 26 bytes.
bool ReadPsdHeader(TStream& input, TPsdHeader& header);

// The refusal line of the first of the three tests that fails, or nullptr for an 8-bit RGB
// document with at least four channels.
const char* TestPsdHeader(const TPsdHeader& header);

// Whether the document has the large-document layout: Version 2, and no other.
bool IsLargeDocument(const TPsdHeader& header);

// Raises ERangeError for a header whose sizes do not fit the 32-bit arithmetic of the reader and
// writer: Rows or Columns of 2^31 or more, Rows x Columns x 4 + 36 or the row byte-count table
// (2 or 4 bytes x Channels x Rows) above 2^31 - 1.
void CheckPsdSizes(const TPsdHeader& header);

// Reads a section's 4-byte length and moves past the section, the length taken as a signed
// offset; false when the file ends inside the length.
bool SkipSection(TStream& input);

// The same with an 8-byte length, as the large document gives the layer and mask information.
bool SkipLargeSection(TStream& input);

// Reads the 2-byte compression code; false when the file ends inside it.
bool ReadCompressionCode(TStream& input, uint16_t& code);

// The compressed length S of each of channels 0 to 3: the sum of its Rows entries of the row
// byte-count table, which stands at the stream's position. The table is read in pieces and the
// entries of later channels are skipped; entries that the file no longer supplies count 0. The
// stream is left behind the whole table, where the channel data begins.
using TCompressedLengths = std::array<int64_t, 4>;
TCompressedLengths SumCompressedLengths(TStream& input, const TPsdHeader& header);

// Raises ERangeError when the compressed length of any of channels 0 to 3 exceeds 2^31 - 1.
void CheckCompressedLengths(const TCompressedLengths& lengths);

}  // namespace varnholt
