// Output naming over the POSIX host's file system: a real directory tree, "/" and no drives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "driver/long_file_name.h"

namespace varnholt {
namespace {

// A scratch directory tree, made the current directory for the test.
class PosixLongFileName : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnholt-names-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Root = std::filesystem::canonical(pattern).string();  // as getcwd spells it
    Previous = std::filesystem::current_path();
    std::filesystem::create_directories(Root + "/Sprite Sheets/a/b");
    std::ofstream(Root + "/Sprite Sheets/hero walk.psd").put('x');
    std::ofstream(Root + "/top.psd").put('x');
    std::filesystem::create_directory_symlink("Sprite Sheets/a/b", Root + "/deep");
    std::filesystem::current_path(Root);
  }
  void TearDown() override {
    std::filesystem::current_path(Previous);
    std::filesystem::remove_all(Root);
  }

  std::string Root;  // longer than 10 characters, so its own name is looked up too
  std::filesystem::path Previous;
};

TEST_F(PosixLongFileName, ResolvesOnTheRealFileSystem) {
  TFileSystem& fileSystem = HostFileSystem();
  const std::pair<std::string, std::string> cases[] = {
      {"Sprite Sheets/hero walk.psd", Root + "/Sprite Sheets/hero walk.psd"},
      {Root + "/Sprite Sheets/hero walk.psd", Root + "/Sprite Sheets/hero walk.psd"},
      {"./Sprite Sheets/a/../hero walk.psd", Root + "/Sprite Sheets/hero walk.psd"},
      // ".." is resolved as text: the link is not followed.
      {"deep/../top.psd", Root + "/top.psd"},
      {"Sprite Sheets/", Root + "/Sprite Sheets"},
      {"Sprite Sheets/missing.psd", ""},
      {"Sprite Sheets//hero walk.psd", "Sprite Sheets//hero walk.psd"},
      {"Sprite Sheets/*.psd", "Sprite Sheets/*.psd"},
      // Up to 10 characters nothing is looked up, so a missing entry goes unnoticed; from 11 on
      // the lookup fails.
      {"/", "/"},
      {"/no-such-x", "/no-such-x"},
      {"/no-such-xy", ""},
      {"/tmp/../no-such-x", "/no-such-x"},
  };
  for (const auto& [typed, expected] : cases) EXPECT_EQ(ResolveLongFileName(typed, fileSystem), expected) << typed;

  EXPECT_EQ(DeriveOutputPath("Sprite Sheets/hero walk.psd", fileSystem), Root + "/Sprite Sheets/hero walk.flm");
  EXPECT_EQ(DeriveOutputPath("Sprite Sheets/missing.psd", fileSystem), "Sprite Sheets/missing.flm");
}

}  // namespace
}  // namespace varnholt
