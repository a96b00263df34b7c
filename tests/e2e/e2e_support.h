// Helpers of the end-to-end tests: the program under test and a scratch directory per test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/psd_writer.h"

namespace varnholt::fixtures {

// The program under test: the native build, or the path and launcher given in the environment
// (VARNHOLT_PROGRAM, and VARNHOLT_LAUNCHER such as "wine" for the Windows build).
inline std::vector<std::string> ProgramCommand() {
  std::vector<std::string> command;
  if (const char* launcher = std::getenv("VARNHOLT_LAUNCHER"); launcher != nullptr && *launcher != '\0')
    command.emplace_back(launcher);
  const char* program = std::getenv("VARNHOLT_PROGRAM");
  command.emplace_back(program != nullptr && *program != '\0' ? program : VARNHOLT_PROGRAM);
  return command;
}

// The module name that the failure report gives for the program under test.
inline std::string ProgramModuleName() {
  return std::filesystem::path(ProgramCommand().back()).filename().string();
}

// Whether the program under test is Varnholt.exe run by Wine. Tests of what only POSIX has (FIFOs,
// flock, /dev/full, permission bits) skip themselves then, and tests of what only Windows has
// (short names, typed command lines, sharing modes) run only then:
//   if (ProgramRunsUnderWine()) GTEST_SKIP() << "POSIX only: <what>";
inline bool ProgramRunsUnderWine() {
  const std::vector<std::string> command = ProgramCommand();
  return command.size() > 1 && std::filesystem::path(command.front()).filename() == "wine";
}

// A path of the build machine as Wine's programs see it: on drive Z:, which maps the root.
inline std::string WinePath(const std::filesystem::path& path) {
  std::string windows = "Z:" + std::filesystem::absolute(path).lexically_normal().string();
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

// A path as the program under test names it in its messages: as it stands, or in Wine's form.
inline std::string ProgramPath(const std::filesystem::path& path) {
  return ProgramRunsUnderWine() ? WinePath(path) : path.string();
}

// Runs the program with the arguments in the directory, feeding `input` on standard input.
inline TProcessResult RunVarnholt(const std::vector<std::string>& arguments, const std::string& input,
                                  const std::filesystem::path& directory) {
  std::vector<std::string> argv = ProgramCommand();
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProcess(argv, input, directory.string());
}

// A fresh, empty directory for one test, removed when the test ends.
class TScratchDirectory {
 public:
  TScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnholt-XXXXXX").string();
    Path = mkdtemp(pattern.data());
  }
  ~TScratchDirectory() {
    std::error_code ignored;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(Path, ignored);
  }
  std::filesystem::path Path;
};

// The failure report as the program writes it, with "########" where the code address stands.
inline std::string FailureReport(const std::string& className, const std::string& message) {
  return "Exception " + className + " in module " + ProgramModuleName() + " at ########.\r\n" + message +
         ".\r\n\r\n";
}

// The output with the eight hexadecimal digits of a failure report's code address masked, so that
// a whole run's output can be compared with FailureReport; anything else is left as it stands.
inline std::string MaskFailureAddress(std::string output) {
  const std::string head = "Exception ";
  const size_t report = output.find(head);
  if (report == std::string::npos) return output;
  const size_t at = output.find(" at ", report);
  if (at == std::string::npos || at + 13 > output.size() || output[at + 12] != '.') return output;
  const std::string address = output.substr(at + 4, 8);
  if (address.find_first_not_of("0123456789ABCDEF") != std::string::npos) return output;
  return output.replace(at + 4, 8, "########");
}

inline const std::string Banner =
    "Varnholt 0.1\r\nPSD sprite sheets to Filmstrip cursor strips, by the Varnholt developers\r\n\r\n";

// The usage text that follows the banner when no document is named.
inline const std::string UsageText = "  USAGE: \r\n    Varnholt <file.psd|file.psb>\r\n";

// The three prompts of a dialogue answered in full, as they stand on standard output.
inline const std::string AllPrompts =
    "Enter cursor frame height: Enter cursor leading frame height: Enter frames per seconds: ";

// AddressSanitizer reserves more address space than a tight limit allows.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool AddressSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool AddressSanitizerBuild = true;
#else
inline constexpr bool AddressSanitizerBuild = false;
#endif
#else
inline constexpr bool AddressSanitizerBuild = false;
#endif

}  // namespace varnholt::fixtures
