// Writes the fuzzers' seed corpora from the test fixtures: small valid and broken documents,
// the PackBits cases of the decoder's table, answers, command lines and paths of the worked
// examples. Run once after a change to the fixtures; the seeds are kept in the repository.
//   fuzz_make_seed_corpus fuzz/corpus
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/psd_writer.h"

namespace {

using namespace varnholt::fixtures;
namespace fs = std::filesystem;

fs::path Root;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(Root / target);
  WriteFileBytes((Root / target / name).string(), bytes);
}

void Seed(const std::string& target, const std::string& name, const std::string& text) {
  Seed(target, name, Bytes(text.begin(), text.end()));
}

Bytes Prefix(Bytes bytes, size_t count) {
  bytes.resize(count);
  return bytes;
}

void ConvertSeeds() {
  TPsdFixture raw;
  raw.Rows = 2;
  raw.Columns = 3;
  raw.Channels = 5;
  raw.ColourModeData = Bytes(10, 0xC1);
  raw.ImageResources = Bytes(20, 0xC2);
  raw.LayerAndMask = Bytes(30, 0xC3);
  for (uint8_t c = 0; c < 5; ++c) raw.Planes.push_back({uint8_t(c * 16 + 1), 2, 3, 4, 5, uint8_t(c)});
  Seed("convert", "raw-2x3-five-channels-sections", WritePsd(raw));

  TPsdFixture dot;
  dot.Rows = 1;
  dot.Columns = 1;
  dot.Planes = {{0x0A}, {0x14}, {0x1E}, {0x28}};
  Seed("convert", "raw-1x1", WritePsd(dot));

  TPsdFixture sprite;
  sprite.Rows = 2 * (6 + 2);
  sprite.Columns = 12;
  sprite.Compression = 1;
  sprite.Planes = SpriteSheetPlanes(2, 6, 2, 12);
  const Bytes rle = WritePsd(sprite);
  Seed("convert", "rle-sprite-sheet-16x12", rle);
  Seed("convert", "rle-cut-inside-table", Prefix(rle, 40 + 2 * 4 * 16 / 2 + 1));
  Seed("convert", "rle-cut-inside-channel-1", Prefix(rle, rle.size() * 2 / 5));

  TPsdFixture rows;
  rows.Rows = 2;
  rows.Columns = 3;
  rows.Compression = 1;
  rows.Channels = 4;
  rows.Planes = {{0x41, 0x41, 0x41, 0x42, 0x43, 0x44}, FilledPlane(2, 3, 7), FilledPlane(2, 3, 8), FilledPlane(2, 3, 255)};
  Seed("convert", "rle-2x3", WritePsd(rows));

  TPsdFixture zip = dot;
  zip.Compression = 2;
  Seed("convert", "compression-2", WritePsd(zip));
  TPsdFixture cmyk = dot;
  cmyk.Mode = 4;
  Seed("convert", "mode-cmyk", WritePsd(cmyk));
  TPsdFixture rgb = dot;
  rgb.Channels = 3;
  rgb.Planes.pop_back();
  Seed("convert", "three-channels", WritePsd(rgb));
  TPsdFixture empty;
  empty.Rows = 5;
  empty.Columns = 0;
  empty.Compression = 1;
  Seed("convert", "rle-no-columns", WritePsd(empty));

  // Section lengths that move before the start (refused, stays) and backwards within the file.
  Bytes backwards = WritePsd(dot);
  backwards[26] = 0x80;
  Seed("convert", "section-before-start", backwards);
  Bytes back = WritePsd(dot);
  back[34] = back[35] = back[36] = 0xFF;
  back[37] = 0xF8;
  Seed("convert", "section-backwards", back);
  Seed("convert", "short-header", Prefix(WritePsd(dot), 20));

  // Large documents: 8-byte layer section lengths and 4-byte row counts.
  TPsdFixture psb = sprite;
  psb.Version = 2;
  psb.LayerAndMask = Bytes(12, 0xC4);
  const Bytes psbRle = WritePsd(psb);
  Seed("convert", "psb-rle-sprite-sheet-16x12", psbRle);
  Seed("convert", "psb-rle-cut-inside-table", Prefix(psbRle, 48 + 4 * 4 * 16 / 2 + 3));
  Seed("convert", "psb-rle-cut-inside-channel-2", Prefix(psbRle, psbRle.size() * 3 / 5));
  TPsdFixture psbRaw = raw;
  psbRaw.Version = 2;
  Seed("convert", "psb-raw-2x3-five-channels-sections", WritePsd(psbRaw));
  Bytes psbBack = WritePsd(dot);
  psbBack[5] = 2;  // the layout changes with the version: the code moves to 42, the pixel to 44
  psbBack.insert(psbBack.begin() + 34, 4, 0xFF);
  Seed("convert", "psb-layer-length-backwards", psbBack);
}

Bytes PackBitsCase(int32_t count, int32_t capacity, const Bytes& source) {
  Bytes out(8);
  std::memcpy(out.data(), &count, 4);
  std::memcpy(out.data() + 4, &capacity, 4);
  out.insert(out.end(), source.begin(), source.end());
  return out;
}

void PackBitsSeeds() {
  struct {
    const char* Name;
    int32_t Count;
    int32_t Capacity;
    Bytes Source;
  } cases[] = {
      {"literal", 4, 3, {0x02, 0x41, 0x42, 0x43}},
      {"run", 2, 3, {0xFE, 0x41}},
      {"no-operation", 5, 2, {0x00, 0x41, 0x80, 0x00, 0x42}},
      {"two-rows", 6, 6, {0xFE, 0x41, 0x02, 0x42, 0x43, 0x44}},
      {"run-into-next-row", 4, 6, {0xFC, 0x41, 0x00, 0x42}},
      {"literal-cut-to-capacity", 6, 3, {0x04, 0x41, 0x42, 0x43, 0x44, 0x45}},
      {"literal-cut-to-source", 3, 4, {0x03, 0x41, 0x42}},
      {"run-header-last", 4, 5, {0x01, 0x41, 0x42, 0xFE}},
      {"longest-run", 2, 128, {0x81, 0x7F}},
      {"negative-counts", -1, -5, {0x02, 0x41}},
  };
  for (const auto& c : cases) Seed("packbits", c.Name, PackBitsCase(c.Count, c.Capacity, c.Source));
  const std::vector<Bytes> planes = SpriteSheetPlanes(1, 16, 0, 40);
  Bytes encoded;
  for (uint32_t r = 0; r < 16; ++r) {
    const Bytes row = EncodePackBitsRow(planes[3].data() + r * 40, 40);
    encoded.insert(encoded.end(), row.begin(), row.end());
  }
  Seed("packbits", "sprite-alpha-16x40", PackBitsCase(static_cast<int32_t>(encoded.size()), 640, encoded));
}

void IntegerSeeds() {
  const char* answers[] = {"32",  "  32",  "32 ",        "",           "$20",         "x20",        "0x20",
                           "-$20", "+7",   "-1",         "2147483648", "-2147483648", "4294967295", "$FFFFFFFF",
                           "012",  "\t5",  "0X000000FF", "$123456789", "-",           "0x"};
  int n = 0;
  for (const char* answer : answers) Seed("integer_text", "answer-" + std::to_string(n++), std::string(answer));
}

void CommandLineSeeds() {
  Seed("command_line", "quoted-path", std::string("\x00", 1) + "varnholt.exe \"C:\\My Art\\hero.psd\"");
  Seed("command_line", "two-arguments", std::string("\x00", 1) + "varnholt a.psd b.psd");
  Seed("command_line", "empty-quoted", std::string("\x00", 1) + "varnholt \"\"");
  Seed("command_line", "joined-stretches", std::string("\x00", 1) + "\"C:\\Program Files\\v.exe\" a\"b c\"d \t e\\\"f");
  Seed("command_line", "double-byte", "\x01varnholt \x81\x22x \"\x82\x20y\" \xe0");
}

void LongFileNameSeeds() {
  Seed("long_file_name", "short-names",
       "W\nC:\\Work\nC:\\PROGRA~1\\SPRITE~1\\HERO~1.PSD\nhero walk.psd\nSprite Sheets\nProgram Files");
  Seed("long_file_name", "first-level-kept", "W\nC:\\Work\nC:\\ART~1\\HERO~1.PSD\nhero walk.psd");
  Seed("long_file_name", "relative", "W\nC:\\Work\\Sprites\nhero.psd\nHero.psd\nSprites");
  Seed("long_file_name", "network-path", "W\nC:\\Work\n\\\\srv\\art\\hero.psd");
  Seed("long_file_name", "lookup-fails", "W\nC:\\Work\nC:\\Work\\Sprites\\hero.psd");
  Seed("long_file_name", "trailing-delimiter", "W\nC:\\\nC:\\Artwork\\Sprites\\\nSprites\nArtwork");
  Seed("long_file_name", "posix", "P\n/home/artist\nsheets/hero walk.psd\nhero walk.psd\nsheets\nartist");
  Seed("long_file_name", "double-byte", "D\nC:\\\nC:\\\x95\x5c\\\x83\x5cx.psd\n\x83\x5cx.psd");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  Root = argv[1];
  ConvertSeeds();
  PackBitsSeeds();
  IntegerSeeds();
  CommandLineSeeds();
  LongFileNameSeeds();
  return 0;
}
