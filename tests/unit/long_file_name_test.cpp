// Output naming: extension change, directory part and the input's stored long name, with Windows
// paths against a fake directory table. The hosts' own file systems: long_file_name_posix_test.cpp
// and host_windows_test.cpp.
#include <gtest/gtest.h>

#include "driver/long_file_name.h"
#include "support/memory_platform.h"

namespace varnholt {
namespace {

using fixtures::TMemoryFileSystem;

// A double-byte code page in which 0x81 opens a two-byte character whose second byte may be "\".
bool TestLeadByte(unsigned char byte) { return byte == 0x81; }
const TPathSyntax DoubleByteWindowsSyntax = {'\\', true, TestLeadByte};

TEST(ChangeExtension, ReplacesTheExtensionOfTheFinalComponent) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Art\\hero.psd", "C:\\Art\\hero.flm"},
      {"C:\\Art\\hero.tar.psd", "C:\\Art\\hero.tar.flm"},
      {"C:\\Art\\hero", "C:\\Art\\hero.flm"},
      {"C:\\Art.old\\hero", "C:\\Art.old\\hero.flm"},
      {"C:\\Art\\hero.", "C:\\Art\\hero.flm"},
      {"C:\\Art\\.psd", "C:\\Art\\.flm"},
      {"", ".flm"},
      {"C:hero", "C:hero.flm"},
      {"C:\\Art\\a.b:c", "C:\\Art\\a.b:c.flm"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(ChangeExtension(path, ".flm", WindowsPathSyntax), expected);

  // POSIX: "/" is the delimiter and the colon is an ordinary character.
  EXPECT_EQ(ChangeExtension("/art.old/hero", ".flm", PosixPathSyntax), "/art.old/hero.flm");
  EXPECT_EQ(ChangeExtension("/art/a.b:c", ".flm", PosixPathSyntax), "/art/a.flm");
  EXPECT_EQ(ChangeExtension("art\\hero", ".flm", PosixPathSyntax), "art\\hero.flm");

  // The second byte of a double-byte character is no delimiter: the dot before it counts.
  EXPECT_EQ(ChangeExtension("C:\\Art\\a.b\x81\\cd", ".flm", DoubleByteWindowsSyntax), "C:\\Art\\a.flm");
  EXPECT_EQ(ChangeExtension("C:\\Art\\a.b\x81\\cd", ".flm", WindowsPathSyntax), "C:\\Art\\a.b\x81\\cd.flm");
}

TEST(ExtractDirectory, KeepsThePathUpToItsLastDelimiter) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Art\\hero.psd", "C:\\Art\\"},
      {"C:\\hero.psd", "C:\\"},
      {"C:hero.psd", "C:"},
      {"C:\\Art\\", "C:\\Art\\"},
      {"hero.psd", ""},
      {"", ""},
      {"\\\\srv\\art", "\\\\srv\\"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(ExtractDirectory(path, WindowsPathSyntax), expected);

  EXPECT_EQ(ExtractDirectory("/art/a:b", PosixPathSyntax), "/art/");
  EXPECT_EQ(ExtractDirectory("a:b", PosixPathSyntax), "");
  EXPECT_EQ(ExtractDirectory("/hero.psd", PosixPathSyntax), "/");

  EXPECT_EQ(ExtractDirectory("C:\\Art\\\x81\\name", DoubleByteWindowsSyntax), "C:\\Art\\");
  EXPECT_EQ(ExtractDirectory("C:\\Art\\\x81\\name", WindowsPathSyntax), "C:\\Art\\\x81\\");
}

struct TLongNameCase {
  std::string Typed;
  std::map<std::string, std::string> Stored;  // upper-cased walked path -> stored name
  std::vector<std::string> Lookups;
  std::string Result;
  std::string OutputPath;
};

TEST(ResolveLongFileName, WindowsExamplesAgainstADirectoryTable) {
  const TLongNameCase cases[] = {
      {"C:\\PROGRA~1\\SPRITE~1\\HERO~1.PSD",
       {{"C:\\PROGRA~1\\SPRITE~1\\HERO~1.PSD", "hero walk.psd"},
        {"C:\\PROGRA~1\\SPRITE~1", "Sprite Sheets"},
        {"C:\\PROGRA~1", "Program Files"}},
       {"C:\\PROGRA~1\\SPRITE~1\\HERO~1.PSD", "C:\\PROGRA~1\\SPRITE~1", "C:\\PROGRA~1"},
       "C:\\Program Files\\Sprite Sheets\\hero walk.psd",
       "C:\\Program Files\\Sprite Sheets\\hero walk.flm"},
      {"C:\\ART~1\\HERO~1.PSD",
       {{"C:\\ART~1\\HERO~1.PSD", "hero walk.psd"}, {"C:\\ART~1", "Artwork"}},
       {"C:\\ART~1\\HERO~1.PSD"},
       "C:\\ART~1\\hero walk.psd",
       "C:\\ART~1\\hero walk.flm"},
      // Relative, from C:\Work\Sprites: C:\Work (7 characters) keeps the letters as expanded.
      {"hero.psd",
       {{"C:\\WORK\\SPRITES\\HERO.PSD", "Hero.psd"}, {"C:\\WORK\\SPRITES", "Sprites"}, {"C:\\WORK", "WORK"}},
       {"C:\\Work\\Sprites\\hero.psd", "C:\\Work\\Sprites"},
       "C:\\Work\\Sprites\\Hero.psd",
       "C:\\Work\\Sprites\\Hero.flm"},
      {"C:\\HERO.PSD", {{"C:\\HERO.PSD", "Hero.psd"}}, {"C:\\HERO.PSD"}, "C:\\Hero.psd", "C:\\Hero.flm"},
      {"C:\\A.PSD", {{"C:\\A.PSD", "a.psd"}}, {}, "C:\\A.PSD", "C:\\A.flm"},
      // Exactly 10 characters: no lookup; 11: one lookup, and only the file name can change.
      {"C:\\abc.psd", {{"C:\\ABC.PSD", "ABC.psd"}}, {}, "C:\\abc.psd", "C:\\abc.flm"},
      {"C:\\abcd.psd", {{"C:\\ABCD.PSD", "AbcD.psd"}}, {"C:\\abcd.psd"}, "C:\\AbcD.psd", "C:\\AbcD.flm"},
      // Doubled delimiters and wildcards: as typed, not expanded, nothing looked up.
      {"\\\\srv\\art\\hero.psd", {}, {}, "\\\\srv\\art\\hero.psd", "\\\\srv\\art\\hero.flm"},
      {"C:\\Art\\\\hero.psd", {}, {}, "C:\\Art\\\\hero.psd", "C:\\Art\\\\hero.flm"},
      {"art\\*.psd", {}, {}, "art\\*.psd", "art\\*.flm"},
      {"hero?.psd", {}, {}, "hero?.psd", "hero?.flm"},
      // A failed lookup gives the empty text; the output then stands beside the input as typed.
      {"C:\\Work\\Sprites\\hero.psd", {}, {"C:\\Work\\Sprites\\hero.psd"}, "", "C:\\Work\\Sprites\\hero.flm"},
      {"C:\\Work\\Sprites\\hero.psd",
       {{"C:\\WORK\\SPRITES\\HERO.PSD", "Hero.psd"}},
       {"C:\\Work\\Sprites\\hero.psd", "C:\\Work\\Sprites"},
       "",
       "C:\\Work\\Sprites\\hero.flm"},
      {"hero.psd", {}, {"C:\\Work\\Sprites\\hero.psd"}, "", "hero.flm"},
      // A final delimiter goes before the walk, but a root keeps it.
      {"C:\\Sprites\\Art\\", {{"C:\\SPRITES\\ART", "Art Work"}}, {"C:\\Sprites\\Art"}, "C:\\Sprites\\Art Work",
       "C:\\Sprites\\Art Work.flm"},
      {"C:\\", {}, {}, "C:\\", "C:\\.flm"},
  };
  for (const TLongNameCase& c : cases) {
    TMemoryFileSystem fileSystem(WindowsPathSyntax);
    fileSystem.CurrentDirectory = "C:\\Work\\Sprites";
    fileSystem.StoredNames = c.Stored;
    EXPECT_EQ(ResolveLongFileName(c.Typed, fileSystem), c.Result) << c.Typed;
    EXPECT_EQ(fileSystem.Lookups, c.Lookups) << c.Typed;
    EXPECT_EQ(DeriveOutputPath(c.Typed, fileSystem), c.OutputPath) << c.Typed;
  }
}

// A name may end in a double-byte character whose second byte equals the delimiter: that byte is
// part of the name, not a final delimiter to drop.
TEST(ResolveLongFileName, KeepsTheSecondByteOfAFinalDoubleByteCharacter) {
  TMemoryFileSystem fileSystem(DoubleByteWindowsSyntax);
  fileSystem.StoredNames = {{"C:\\ART\\AB\x81\\", "Ab\x81\\"}};
  EXPECT_EQ(ResolveLongFileName("C:\\Art\\ab\x81\\", fileSystem), "C:\\Art\\Ab\x81\\");
  EXPECT_EQ(fileSystem.Lookups, std::vector<std::string>{"C:\\Art\\ab\x81\\"});
}

}  // namespace
}  // namespace varnholt
