// Broken and hostile documents through the real program: every prefix of small valid documents,
// random byte mutations, section lengths that move past the end or before the start, a row
// byte-count table cut short, row counts that do not match the data, the folder of broken
// documents, and small files that claim huge images under a tight address-space limit. Each
// run must end exactly as the model of the conversion (or the case itself) says, write nothing
// on standard error, never touch the input, and leave the output alone unless it saves it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <random>

#include "e2e_support.h"
#include "support/conversion_model.h"

namespace varnholt::fixtures {
namespace {

namespace fs = std::filesystem;

const std::string Answers = "2\n1\n12\n";  // the model's answers: frame height 2, leading 1, 12 per second
const Bytes OldOutput = {'o', 'l', 'd', ' ', 's', 't', 'r', 'i', 'p'};

// What a run must show: the console after the banner, the exit status, and the output file
// (none for every end but a save).
struct TExpectedRun {
  std::string Output;
  int ExitStatus = 0;
  bool Saves = false;
  Bytes Filmstrip;
};

TExpectedRun Expected(const TModelOutcome& model) {
  switch (model.Kind) {
    case TModelOutcome::Refused:
      return {model.Refusal + "\r\n", 0, false, {}};
    case TModelOutcome::Failed:
      return {(model.AskedQuestions ? AllPrompts : "") + FailureReport(model.FailureClass, model.FailureMessage), 1,
              false, {}};
    case TModelOutcome::Saved:
    case TModelOutcome::TooLarge:  // never run: the callers leave such documents out
      break;
  }
  return {AllPrompts, 0, true, model.Filmstrip};
}

// Runs the program on `document`, saved as sheet.psd in `directory` (emptied first), with an
// older sheet.flm already there when `existingOutput`. Checks the console, the exit status, the
// files of the directory, and that the input keeps its bytes and its modification time.
void ExpectRun(const fs::path& directory, const Bytes& document, const TExpectedRun& expected, bool existingOutput,
               long addressSpaceLimit = 0) {
  for (const auto& entry : fs::directory_iterator(directory)) fs::remove_all(entry.path());
  const fs::path input = directory / "sheet.psd";
  const fs::path output = directory / "sheet.flm";
  const auto past = fs::file_time_type::clock::now() - std::chrono::hours(25);
  WriteFileBytes(input.string(), document);
  fs::last_write_time(input, past);
  if (existingOutput) {
    WriteFileBytes(output.string(), OldOutput);
    fs::last_write_time(output, past);
  }

  std::vector<std::string> command = ProgramCommand();
  command.push_back("sheet.psd");
  const TProcessResult run = RunProcess(command, Answers, directory.string(), addressSpaceLimit);

  EXPECT_EQ(run.Signal, 0);
  EXPECT_EQ(MaskFailureAddress(run.Output), Banner + expected.Output);
  EXPECT_EQ(run.Errors, "");
  EXPECT_EQ(run.ExitStatus, expected.ExitStatus);
  EXPECT_EQ(ReadFileBytes(input.string()), document) << "the input was changed";
  EXPECT_EQ(fs::last_write_time(input), past) << "the input was written to";
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(directory)) ++files;
  if (expected.Saves) {
    EXPECT_EQ(ReadFileBytes(output.string()), expected.Filmstrip);
    EXPECT_EQ(files, 2u);
  } else if (existingOutput) {
    EXPECT_EQ(ReadFileBytes(output.string()), OldOutput) << "a failure before the save changed the output";
    EXPECT_EQ(fs::last_write_time(output), past) << "a failure before the save wrote to the output";
    EXPECT_EQ(files, 2u);
  } else {
    EXPECT_FALSE(fs::exists(output)) << "a failure before the save created the output";
    EXPECT_EQ(files, 1u);
  }
}

void ExpectRunAsModelled(const fs::path& directory, const Bytes& document, bool existingOutput) {
  ExpectRun(directory, document, Expected(ModelConversion(document, {})), existingOutput);
}

// The documents whose prefixes and mutations are tried: raw with five channels and three
// non-empty sections; PackBits with runs and literals; PackBits with five channels, image
// resources and a row of one long run.
struct TSmallDocument {
  const char* Name;
  TPsdFixture Psd;
  size_t CodeOffset;  // where the compression code stands
};

std::vector<TSmallDocument> SmallDocuments() {
  TPsdFixture raw;
  raw.Channels = 5;
  raw.Rows = 2;
  raw.Columns = 3;
  raw.ColourModeData = {0xC1, 0xC2, 0xC3};
  raw.ImageResources = {0xD1, 0xD2, 0xD3, 0xD4, 0xD5};
  raw.LayerAndMask = {0xE1, 0xE2};
  for (uint8_t c = 0; c < 5; ++c) raw.Planes.push_back({uint8_t(c << 4 | 1), uint8_t(c << 4 | 2), uint8_t(c << 4 | 3),
                                                        uint8_t(c << 4 | 4), uint8_t(c << 4 | 5), uint8_t(c << 4 | 6)});

  TPsdFixture rle;
  rle.Compression = 1;
  rle.Rows = 3;
  rle.Columns = 4;
  rle.LayerAndMask = {0, 0, 0, 0};
  rle.Planes = {{9, 9, 9, 9, 1, 2, 3, 4, 7, 7, 7, 8},
                {0x20, 0x21, 0x20, 0x21, 5, 5, 5, 5, 5, 6, 6, 6},
                FilledPlane(3, 4, 0x80),
                {0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1, 1, 1, 1}};

  TPsdFixture rleFive;
  rleFive.Compression = 1;
  rleFive.Channels = 5;
  rleFive.Rows = 2;
  rleFive.Columns = 6;
  rleFive.ImageResources = {'8', 'B', 'I', 'M'};
  for (uint8_t c = 0; c < 5; ++c)
    rleFive.Planes.push_back({uint8_t(0x30 + c), uint8_t(0x30 + c), uint8_t(0x30 + c), uint8_t(0x30 + c),
                              uint8_t(0x30 + c), uint8_t(0x30 + c), 1, 2, 3, 4, 5, uint8_t(c)});

  return {{"raw 2 x 3, five channels, three sections", raw, 26 + 4 + 3 + 4 + 5 + 4 + 2},
          {"PackBits 3 x 4", rle, 26 + 4 + 4 + 4 + 4},
          {"PackBits 2 x 6, five channels, image resources", rleFive, 26 + 4 + 4 + 4 + 4}};
}

TEST(BrokenInput, EveryPrefixOfASmallDocumentEndsAsTheFileSays) {
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "hundreds of runs: native build only";
  TScratchDirectory scratch;
  for (const TSmallDocument& small : SmallDocuments()) {
    const Bytes document = WritePsd(small.Psd);
    for (size_t length = 0; length <= document.size(); ++length) {
      SCOPED_TRACE(std::string(small.Name) + ", the first " + std::to_string(length) + " bytes");
      const Bytes prefix(document.begin(), document.begin() + static_cast<ptrdiff_t>(length));
      const TModelOutcome model = ModelConversion(prefix, {});
      // Independently of the model: a file that ends before the whole compression code (in the
      // header, a section length or the code) is refused as invalid; one that ends in the table
      // or the channel data is converted with what it holds.
      if (length < small.CodeOffset + 2) {
        ASSERT_EQ(model.Kind, TModelOutcome::Refused);
        ASSERT_EQ(model.Refusal, "Error: Invalid PSD file!");
      } else {
        ASSERT_EQ(model.Kind, TModelOutcome::Saved);
      }
      ExpectRun(scratch.Path, prefix, Expected(model), length % 2 == 1);
    }
  }
}

TEST(BrokenInput, RandomByteMutationsEndAsTheModelSays) {
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "hundreds of runs: native build only";
  TScratchDirectory scratch;
  std::mt19937 random(20261211);  // fixed: the same documents on every run
  for (const TSmallDocument& small : SmallDocuments()) {
    const Bytes document = WritePsd(small.Psd);
    int tried = 0;
    while (tried < 50) {
      Bytes mutated = document;
      const uint32_t changes = 1 + random() % 4;
      std::string described;
      for (uint32_t i = 0; i < changes; ++i) {
        const size_t at = random() % mutated.size();
        mutated[at] = static_cast<uint8_t>(random());
        described += " [" + std::to_string(at) + "]=" + std::to_string(mutated[at]);
      }
      // Mutations that claim an image of more than 16 MB are left to the tables of huge claims.
      const TModelOutcome model = ModelConversion(mutated, {}, 16u << 20);
      if (model.Kind == TModelOutcome::TooLarge) continue;
      SCOPED_TRACE(std::string(small.Name) + " with" + described);
      ExpectRun(scratch.Path, mutated, Expected(model), tried % 2 == 1);
      ++tried;
    }
  }
}

// One pixel, raw, every section empty: header, lengths at 26, 30 and 34, code at 38, data at 40.
Bytes OnePixel() {
  return WritePsd(OnePixelPsd(0x0A, 0x14, 0x1E, 0x28));
}

// The same as a large document: the last length has 8 bytes (34 to 41), code at 42, data at 44.
Bytes OnePixelPsb(uint16_t compression = 0) {
  TPsdFixture psd = OnePixelPsd(0x0A, 0x14, 0x1E, 0x28);
  psd.Version = 2;
  psd.Compression = compression;
  return WritePsd(psd);
}

Bytes WithLong(Bytes document, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) document[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  return document;
}

// A PackBits document from its row byte counts and its channel data as they stand in the file.
Bytes PackBitsDocument(uint32_t rows, uint32_t columns, const std::vector<uint16_t>& counts, const Bytes& data) {
  TPsdFixture psd;
  psd.Rows = rows;
  psd.Columns = columns;
  Bytes document = WritePsd(psd);
  document.back() = 1;  // the compression code
  for (uint16_t count : counts) AppendWord(document, count);
  document.insert(document.end(), data.begin(), data.end());
  return document;
}

// The file a conversion with the answers 2, 1, 12 writes: pixels, then the tail.
Bytes Filmstrip(Bytes pixels, uint32_t rows, uint16_t columns) {
  Bytes tail = {'R', 'a', 'n', 'd'};
  AppendLong(tail, rows / 3);
  AppendLong(tail, 0);
  for (uint16_t field : {columns, uint16_t{2}, uint16_t{1}, uint16_t{12}}) AppendWord(tail, field);
  tail.insert(tail.end(), 16, 0);
  pixels.insert(pixels.end(), tail.begin(), tail.end());
  return pixels;
}

struct TBrokenCase {
  const char* Name;
  Bytes Document;
  TExpectedRun Run;
};

TEST(BrokenInput, SectionLengthsAndRowCountsEndAsStated) {
  const TExpectedRun invalid = {"Error: Invalid PSD file!\r\n", 0, false, {}};
  const TExpectedRun notRawOrRle = {"Error: PSD image data must be raw or RLE compressed\r\n", 0, false, {}};
  auto saved = [](const Bytes& file) { return TExpectedRun{AllPrompts, 0, true, file}; };
  const TBrokenCase cases[] = {
      {"the first section length moves past the end: the next length is missing",
       WithLong(OnePixel(), 26, 0x7FFFFFFF), invalid},
      {"the last section length moves past the end: the compression code is missing",
       WithLong(OnePixel(), 34, 0x1000), invalid},
      {"a section length of -2^31 would move before the start: the position stays",
       WithLong(OnePixel(), 26, 0x80000000), saved(Filmstrip({0x0A, 0x14, 0x1E, 0x28}, 1, 1))},
      // -1 moves back onto the length's own last byte: the second length reads FF 00 00 00 (before
      // the start, ignored), the third 00 00 00 00, the code 00 00 at 37, and the pixel from 39.
      {"a section length of -1 moves one byte back", WithLong(OnePixel(), 26, 0xFFFFFFFF),
       saved(Filmstrip({0x00, 0x0A, 0x14, 0x1E}, 1, 1))},
      {"the last section length moves back into the header: Channels is read as the code",
       WithLong(OnePixel(), 34, static_cast<uint32_t>(-26)), notRawOrRle},
      {"a section length moves back to the start: the signature is read as a length",
       WithLong(OnePixel(), 26, static_cast<uint32_t>(-30)), invalid},
      {"PSB: an 8-byte layer length beyond 32 bits moves past the end",
       WithLong(OnePixelPsb(), 34, 0x00000001), invalid},
      {"PSB: an 8-byte layer length of -2^63 would move before the start: the position stays",
       WithLong(OnePixelPsb(), 34, 0x80000000), saved(Filmstrip({0x0A, 0x14, 0x1E, 0x28}, 1, 1))},
      // -2 moves back onto the length's own last two bytes, FF FE, which are read as the code.
      {"PSB: an 8-byte layer length of -2 moves two bytes back",
       WithLong(WithLong(OnePixelPsb(), 34, 0xFFFFFFFF), 38, 0xFFFFFFFE), notRawOrRle},
      // The table stands at 44 to 59, each count 00 00 00 02; the channel data at 60 is gone, so
      // channels 0 and 1 decode zeros and channels 2 and 3 (count 0) repeat them.
      {"PSB: 4-byte row counts, the table cut inside the third",
       [] {
         Bytes document = OnePixelPsb(1);
         document.resize(44 + 4 + 4 + 2);
         return document;
       }(),
       saved(Filmstrip(Bytes(4, 0), 1, 1))},

      // 2 rows of 3 columns: the table of 16 bytes ends after 5, so channel 0's counts are whole,
      // channel 1's first count keeps only its high byte, and every block is zeros.
      {"the row byte-count table is cut short",
       [] {
         Bytes document = PackBitsDocument(2, 3, {0x0002, 0x0002, 0x0100}, {});
         document.pop_back();
         return document;
       }(),
       saved(Filmstrip(Bytes(24, 0), 2, 3))},
      // 1 row of 4 columns, file data FD 41 FD 42 FD 43 FD 44 (four runs of four).
      {"row counts of the right total convert", PackBitsDocument(1, 4, {2, 2, 2, 2}, {0xFD, 0x41, 0xFD, 0x42, 0xFD, 0x43, 0xFD, 0x44}),
       saved(Filmstrip({0x41, 0x42, 0x43, 0x44, 0x41, 0x42, 0x43, 0x44, 0x41, 0x42, 0x43, 0x44, 0x41, 0x42, 0x43, 0x44}, 1, 4))},
      // Channel 0 takes FD 41 FD; each later block starts one byte late, reads a literal header
      // and copies one byte over the previous plane; channel 3's block runs off the end (zero).
      {"a row count larger than its data shifts every later channel",
       PackBitsDocument(1, 4, {3, 2, 2, 2}, {0xFD, 0x41, 0xFD, 0x42, 0xFD, 0x43, 0xFD, 0x44}),
       saved(Filmstrip({0x41, 0xFD, 0xFD, 0x00, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41}, 1, 4))},
      // Channel 0 takes only the run header FD: nothing is written. Each later block is a literal
      // header and FD: one byte.
      {"a row count smaller than its data writes short planes",
       PackBitsDocument(1, 4, {1, 2, 2, 2}, {0xFD, 0x41, 0xFD, 0x42, 0xFD, 0x43, 0xFD, 0x44}),
       saved(Filmstrip({0x00, 0xFD, 0xFD, 0xFD, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, 4))},
      // 2 rows of 2 columns: channel 0's first row is a run of four, which fills the plane; its
      // second row is never decoded. Channel 1's rows decode to 3 and 0 bytes: its last byte is
      // channel 0's. Channels 2 and 3 are right.
      {"rows that decode to more or fewer bytes than the columns",
       PackBitsDocument(2, 2, {2, 2, 2, 0, 2, 2, 2, 2},
                        {0xFD, 0x41, 0xFF, 0x99, 0xFE, 0x51, 0xFF, 0x61, 0xFF, 0x62, 0xFF, 0x71, 0xFF, 0x72}),
       saved(Filmstrip({0x41, 0x51, 0x61, 0x71, 0x41, 0x51, 0x61, 0x71, 0x41, 0x51, 0x62, 0x72, 0x41, 0x41, 0x62, 0x72},
                       2, 2))},
  };
  TScratchDirectory scratch;
  for (const TBrokenCase& test : cases) {
    SCOPED_TRACE(test.Name);
    const TModelOutcome model = ModelConversion(test.Document, {});
    EXPECT_EQ(Expected(model).Output, test.Run.Output) << "the model disagrees";
    EXPECT_EQ(Expected(model).Filmstrip, test.Run.Filmstrip) << "the model disagrees";
    for (bool existingOutput : {false, true}) ExpectRun(scratch.Path, test.Document, test.Run, existingOutput);
  }
}

TEST(BrokenInput, TheFolderOfBrokenDocumentsEndsAsTheModelSays) {
  TScratchDirectory scratch;
  size_t documents = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(VARNHOLT_SOURCE_DIR) / "tests" / "broken")) {
    SCOPED_TRACE(entry.path().filename().string());
    ExpectRunAsModelled(scratch.Path, ReadFileBytes(entry.path().string()), true);
    ++documents;
  }
  EXPECT_GT(documents, 0u);
}

// Small files that claim huge tables and channels: the conversion reads them in pieces, so
// they convert under an address-space limit far below what they claim.
TEST(BrokenInput, HugeClaimsConvertUnderAnAddressSpaceLimit) {
  if (AddressSanitizerBuild) GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "address space limit: POSIX host only";
  constexpr long Limit = 64L << 20;  // ulimit -v 65536
  auto claim = [](uint16_t version, uint16_t channels, uint32_t rows, uint32_t columns) {
    TPsdFixture psd;
    psd.Version = version;
    psd.Channels = channels;
    psd.Rows = rows;
    psd.Columns = columns;
    psd.Compression = 1;
    return WritePsd(psd);
  };
  Bytes longRows = claim(1, 4, 32000, 1);  // channel 0's 32000 rows of 65535 bytes each: 2 GB
  for (int r = 0; r < 32000; ++r) AppendWord(longRows, 0xFFFF);
  Bytes longPsbRow = claim(2, 4, 1, 3);  // a PSB row of 2^31 - 1 bytes, most of it past the end
  for (uint32_t count : {0x7FFFFFFFu, 4u, 0u, 0u}) AppendLong(longPsbRow, count);
  longPsbRow.insert(longPsbRow.end(), {0x02, 0x41, 0x42, 0x43});
  const std::pair<const char*, Bytes> cases[] = {
      {"PackBits with 65535 channels of 16000 rows: a 2 GB table", claim(1, 65535, 16000, 1)},
      {"PSB PackBits with 65535 channels of 8000 rows: a 2 GB table", claim(2, 65535, 8000, 1)},
      {"PackBits rows of 65535 bytes: a 2 GB compressed channel", longRows},
      {"a PSB row of 2^31 - 1 bytes", longPsbRow},
  };
  TScratchDirectory scratch;
  for (const auto& [name, document] : cases) {
    SCOPED_TRACE(name);
    const TModelOutcome model = ModelConversion(document, {});
    ASSERT_EQ(model.Kind, TModelOutcome::Saved);
    for (bool existingOutput : {false, true}) ExpectRun(scratch.Path, document, Expected(model), existingOutput, Limit);
  }
}

// A document whose Filmstrip is sixteen times the address space the run may have converts, and
// every pixel is right: the conversion holds a few bands, never the image.
TEST(BrokenInput, AFilmstripSixteenTimesTheAddressSpaceLimitConverts) {
  if (AddressSanitizerBuild) GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "address space limit: POSIX host only";
  constexpr long Limit = 64L << 20;
  constexpr uint32_t Side = 16384;  // a Filmstrip of 1 GiB and 36 bytes
  // Every row of channel c holds the sample (7 r + 64 c) mod 256: runs of 128.
  auto sample = [](uint32_t row, uint32_t channel) { return static_cast<uint8_t>(row * 7 + channel * 64); };
  TPsdFixture psd;
  psd.Rows = Side;
  psd.Columns = Side;
  Bytes document = WritePsd(psd);
  document.back() = 1;
  for (uint32_t i = 0; i < 4 * Side; ++i) AppendWord(document, 2 * Side / 128);
  for (uint32_t c = 0; c < 4; ++c)
    for (uint32_t r = 0; r < Side; ++r)
      for (uint32_t run = 0; run < Side / 128; ++run) document.insert(document.end(), {0x81, sample(r, c)});

  TScratchDirectory scratch;
  const fs::path input = scratch.Path / "huge.psd";
  WriteFileBytes(input.string(), document);
  document.clear();
  std::vector<std::string> command = ProgramCommand();
  command.push_back("huge.psd");
  const TProcessResult run = RunProcess(command, "64\n0\n12\n", scratch.Path.string(), Limit);
  EXPECT_EQ(run.Signal, 0);
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.Errors, "");
  ASSERT_EQ(run.ExitStatus, 0);

  const fs::path output = scratch.Path / "huge.flm";
  ASSERT_EQ(fs::file_size(output), uint64_t{Side} * Side * 4 + 36);
  std::ifstream film(output, std::ios::binary);
  std::vector<char> row(size_t{Side} * 4);
  size_t wrongRows = 0;
  for (uint32_t r = 0; r < Side; ++r) {
    film.read(row.data(), static_cast<std::streamsize>(row.size()));
    const uint32_t pixel = uint32_t{sample(r, 0)} | uint32_t{sample(r, 1)} << 8 | uint32_t{sample(r, 2)} << 16 |
                           uint32_t{sample(r, 3)} << 24;
    for (uint32_t k = 0; k < Side; ++k) {
      uint32_t got;
      std::memcpy(&got, row.data() + 4 * k, 4);
      if (got != pixel) {
        ++wrongRows;
        break;
      }
    }
  }
  EXPECT_EQ(wrongRows, 0u);
  Bytes tail(36);
  film.read(reinterpret_cast<char*>(tail.data()), 36);
  EXPECT_EQ(tail, (Bytes{'R', 'a', 'n', 'd', 0, 0, 1, 0, 0, 0, 0, 0, 0x40, 0x00, 0, 64, 0, 0, 0, 12,
                         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Allocations outside the sized buffers: the answer line is read whole, and a bad one is quoted
// in the failure report. Under a limit of 64 MB, lines from a few megabytes to beyond the limit
// must each end in a report (the quoted line while it fits, else out of memory), never a crash.
TEST(BrokenInput, AnswerLinesNearTheMemoryLimitEndInAReport) {
  if (AddressSanitizerBuild) GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "address space limit: POSIX host only";
  TScratchDirectory scratch;
  WriteFileBytes((scratch.Path / "sheet.psd").string(), OnePixel());
  std::vector<std::string> command = ProgramCommand();
  command.push_back("sheet.psd");
  const std::string head = Banner + "Enter cursor frame height: ";
  const std::string outOfMemory = head + FailureReport("EOutOfMemory", "Out of memory");
  bool quoted = false;
  bool outOfMemoryReported = false;
  for (size_t megabytes : {2, 8, 10, 12, 14, 16, 20, 24, 32, 48, 96}) {
    SCOPED_TRACE(std::to_string(megabytes) + " MB");
    const std::string line(megabytes << 20, 'x');
    const TProcessResult run = RunProcess(command, line + "\n", scratch.Path.string(), 64L << 20);
    EXPECT_EQ(run.Signal, 0);
    EXPECT_EQ(run.Errors, "");
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_FALSE(fs::exists(scratch.Path / "sheet.flm"));
    const std::string output = MaskFailureAddress(run.Output);
    if (output == outOfMemory) {
      outOfMemoryReported = true;
    } else {
      // Compared in pieces: a failing comparison of the whole would print megabytes.
      const std::string report = FailureReport("EConvertError", "'" + line + "' is not a valid integer value");
      EXPECT_TRUE(output == head + report) << output.substr(0, 200);
      quoted = true;
    }
  }
  EXPECT_TRUE(quoted);
  EXPECT_TRUE(outOfMemoryReported);
}

}  // namespace
}  // namespace varnholt::fixtures
