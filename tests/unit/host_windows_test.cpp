// The Win32 host on a real file system (under Wine on the build machine): the input held without
// sharing, reads and seeks, saving, path expansion and the stored long names.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "driver/long_file_name.h"
#include "platform/platform.h"

namespace varnholt {
namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteWhole(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The class name and message of the failure that `action` raises; "" when it raises none.
template <typename Action>
std::string FailureOf(Action action) {
  try {
    action();
  } catch (const EFailure& failure) {
    return std::string(failure.ClassName) + ": " + failure.Message;
  }
  return "";
}

// A scratch directory, made the current directory for the test.
class WindowsHost : public testing::Test {
 protected:
  void SetUp() override {
    Root = fs::temp_directory_path() / ("varnholt-host-" + std::to_string(GetCurrentProcessId()));
    std::error_code ignored;
    fs::remove_all(Root, ignored);
    fs::create_directories(Root / "Sprite Sheets");
    Previous = fs::current_path();
    fs::current_path(Root);
  }
  void TearDown() override {
    fs::current_path(Previous);
    SetFileAttributesA((Root / "kept.flm").string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ignored;
    fs::remove_all(Root, ignored);
  }

  TFileSystem& FileSystem = HostFileSystem();
  fs::path Root;  // longer than 10 characters: its own name is looked up too
  fs::path Previous;
};

TEST_F(WindowsHost, TheInputIsHeldWithoutSharing) {
  WriteWhole("held.psd", "8BPS");
  {
    const std::unique_ptr<TStream> input = FileSystem.OpenInput("held.psd");
    EXPECT_EQ(FailureOf([&] { FileSystem.OpenInput("held.psd"); }), "EFOpenError: Cannot open file held.psd");
    EXPECT_EQ(FailureOf([&] { FileSystem.CreateOutput("held.psd"); }), "EFCreateError: Cannot create file held.psd");
    // Nor can another program open it, not even for reading with every kind of sharing.
    const HANDLE other = CreateFileA("held.psd", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  EXPECT_EQ(ReadWhole("held.psd"), "8BPS");
  EXPECT_NE(FileSystem.OpenInput("held.psd"), nullptr);  // released with the stream
}

TEST_F(WindowsHost, OnlyAFileOnADiskIsAnInput) {
  for (const std::string path : {"missing.psd", "Sprite Sheets", "NUL", "CON"})
    EXPECT_EQ(FailureOf([&] { FileSystem.OpenInput(path); }), "EFOpenError: Cannot open file " + path);
}

TEST_F(WindowsHost, ReadsCopyWhatThereIsAtAnyOffset) {
  WriteWhole("ten.psd", "0123456789");
  const std::unique_ptr<TStream> input = FileSystem.OpenInput("ten.psd");
  char bytes[16] = {};
  EXPECT_EQ(input->Read(bytes, 3), 3);
  EXPECT_EQ(std::string(bytes, 3), "012");
  input->SeekFromCurrent(-4);  // before the start: refused, the position stays at 3
  input->SeekFromCurrent(2);
  EXPECT_EQ(input->Read(bytes, 16), 5);
  EXPECT_EQ(std::string(bytes, 5), "56789");
  input->SeekFromCurrent(100);  // past the end is allowed; nothing is there
  EXPECT_EQ(input->Read(bytes, 4), 0);
  input->SeekFromCurrent(-104);
  EXPECT_EQ(input->Read(bytes, 1), 1);
  EXPECT_EQ(bytes[0], '6');
  // A channel is read from its own place without moving the position.
  EXPECT_EQ(input->ReadAt(8, bytes, 4), 2);
  EXPECT_EQ(std::string(bytes, 2), "89");
  EXPECT_EQ(input->ReadAt(int64_t{1} << 40, bytes, 4), 0);
  EXPECT_EQ(input->Read(bytes, 1), 1);
  EXPECT_EQ(bytes[0], '7');
}

TEST_F(WindowsHost, TheOutputReplacesAFileButNeverAReadOnlyOneOrADirectory) {
  const std::string film = "FILM";
  const auto* bytes = reinterpret_cast<const uint8_t*>(film.data());
  WriteWhole("longer.flm", std::string(1000, 'x'));
  {
    const std::unique_ptr<TOutputStream> output = FileSystem.CreateOutput("longer.flm");
    EXPECT_EQ(ReadWhole("longer.flm"), "");  // emptied at once
    output->Write(bytes, 2);
    output->Write(bytes + 2, 2);
    output->Close();
  }
  EXPECT_EQ(ReadWhole("longer.flm"), "FILM");

  WriteWhole("kept.flm", "keep");
  ASSERT_TRUE(SetFileAttributesA("kept.flm", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(FailureOf([&] { FileSystem.CreateOutput("kept.flm"); }),
            "EFCreateError: Cannot create file kept.flm");
  EXPECT_EQ(ReadWhole("kept.flm"), "keep");
  EXPECT_EQ(FailureOf([&] { FileSystem.CreateOutput("Sprite Sheets"); }),
            "EFCreateError: Cannot create file Sprite Sheets");
  EXPECT_EQ(FailureOf([&] { FileSystem.CreateOutput("no such\\x.flm"); }),
            "EFCreateError: Cannot create file no such\\x.flm");
}

TEST_F(WindowsHost, ExpansionGivesTheAbsolutePathOrNothing) {
  const std::string root = Root.string();
  EXPECT_EQ(FileSystem.ExpandPath("hero.psd"), root + "\\hero.psd");
  EXPECT_EQ(FileSystem.ExpandPath(".\\Sprite Sheets\\..\\hero.psd"), root + "\\hero.psd");
  EXPECT_EQ(FileSystem.ExpandPath("C:\\Art\\hero.psd"), "C:\\Art\\hero.psd");
  EXPECT_EQ(FileSystem.ExpandPath(""), "");
  // 259 characters and the final zero fill the buffer of 260; one more does not fit.
  EXPECT_EQ(FileSystem.ExpandPath("C:\\" + std::string(256, 'a')), "C:\\" + std::string(256, 'a'));
  EXPECT_EQ(FileSystem.ExpandPath("C:\\" + std::string(257, 'a')), "");
}

TEST_F(WindowsHost, ShortNamesAndOtherLettersResolveToTheStoredLongNames) {
  WriteWhole("Sprite Sheets\\hero walk.psd", "8BPS");
  char shortPath[MAX_PATH];
  const DWORD length = GetShortPathNameA("Sprite Sheets\\hero walk.psd", shortPath, sizeof shortPath);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof shortPath);
  ASSERT_EQ(std::string(shortPath).find(' '), std::string::npos) << shortPath;

  const std::string root = Root.string();
  const std::string stored = root + "\\Sprite Sheets\\hero walk.psd";
  EXPECT_EQ(ResolveLongFileName(shortPath, FileSystem), stored) << shortPath;
  EXPECT_EQ(ResolveLongFileName("SPRITE SHEETS\\HERO WALK.PSD", FileSystem), stored);
  EXPECT_EQ(DeriveOutputPath(shortPath, FileSystem), root + "\\Sprite Sheets\\hero walk.flm");
  EXPECT_EQ(ResolveLongFileName("Sprite Sheets\\missing.psd", FileSystem), "");
  EXPECT_EQ(ResolveLongFileName("Sprite Sheets\\*.psd", FileSystem), "Sprite Sheets\\*.psd");
  EXPECT_EQ(ResolveLongFileName("\\\\server\\art\\hero.psd", FileSystem), "\\\\server\\art\\hero.psd");
  std::string storedName;
  EXPECT_TRUE(FileSystem.FindStoredName(shortPath, storedName));
  EXPECT_EQ(storedName, "hero walk.psd");
}

// The host's paths follow the active code page. In code page 932 (Shift JIS; Wine takes it from a
// Japanese locale: the test unit_tests.CodePage932) 表 is the bytes 95 5C, and its second byte is
// no backslash; in a single-byte code page it is one.
TEST(WindowsPathSyntax, FollowsTheActiveCodePage) {
  const TPathSyntax& syntax = HostFileSystem().Syntax();
  const std::string path = "C:\\Art\\a.b\x95\x5C";
  if (GetACP() == 932) {
    EXPECT_EQ(ChangeExtension(path, ".flm", syntax), "C:\\Art\\a.flm");
    EXPECT_EQ(ExtractDirectory(path, syntax), "C:\\Art\\");
  } else {
    ASSERT_FALSE(IsDBCSLeadByte(0x95)) << "code page " << GetACP();
    EXPECT_EQ(ChangeExtension(path, ".flm", syntax), path + ".flm");
    EXPECT_EQ(ExtractDirectory(path, syntax), path);
  }
}

TEST_F(WindowsHost, TheModuleIsNamedWithoutItsDirectory) {
  EXPECT_EQ(HostModuleName(0, nullptr), "unit_tests.exe");
}

}  // namespace
}  // namespace varnholt
