// The program from the outside: which argument it opens, what it refuses to open, the documents
// it refuses, and a standard output that cannot be written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "e2e_support.h"

namespace varnholt::fixtures {
namespace {

// The exact report for an input that cannot be opened, its address taken from the run.
std::string OpenFailure(const std::string& output, const std::string& argument) {
  const std::string head = Banner + "Exception EFOpenError in module " + ProgramModuleName() + " at ";
  const std::string address = output.size() >= head.size() + 8 ? output.substr(head.size(), 8) : "";
  return head + address + ".\r\nCannot open file " + argument + ".\r\n\r\n";
}

// Starts the program on the given descriptors as standard input, output and error (-1: closed).
pid_t StartVarnholt(const std::vector<std::string>& arguments, const std::filesystem::path& directory, int in,
                    int out, int err) {
  std::vector<std::string> argv = ProgramCommand();
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const pid_t child = fork();
  if (child == 0) {
    const int wanted[3] = {in, out, err};
    for (int fd = 0; fd < 3; ++fd) {
      if (wanted[fd] < 0) {
        close(fd);
      } else if (wanted[fd] != fd) {
        dup2(wanted[fd], fd);
      }
    }
    signal(SIGPIPE, SIG_DFL);
    if (chdir(directory.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return child;
}

int WaitFor(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(got));
  return text;
}

// Whether the process holds a flock on the file, as the kernel lists it: "n: FLOCK ADVISORY WRITE
// pid maj:min:inode ...". Either the process number or the inode identifies it, whichever the
// process namespace and the file system let this test see as the kernel does.
bool HoldsFlock(pid_t holder, const std::filesystem::path& file) {
  struct stat status;
  if (stat(file.c_str(), &status) != 0) return false;
  // Built by appending: g++ 12 warns (-Wrestrict) on "literal" + std::string.
  std::string pid = std::to_string(holder);
  pid.insert(pid.begin(), ' ');
  pid += ' ';
  std::string inode = std::to_string(status.st_ino);
  inode.insert(inode.begin(), ':');
  inode += ' ';
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);)
    if (line.find(" FLOCK ") != std::string::npos &&
        (line.find(pid) != std::string::npos || line.find(inode) != std::string::npos))
      return true;
  return false;
}

// Whether any process has the file open. Under Wine the wineserver opens the files of every
// Windows program, and its sharing check stands from the moment it has opened one.
bool AnyProcessHasOpen(const std::filesystem::path& file) {
  const std::filesystem::path target = std::filesystem::canonical(file);
  std::error_code ignored;
  for (const auto& process : std::filesystem::directory_iterator("/proc", ignored)) {
    for (const auto& descriptor : std::filesystem::directory_iterator(process.path() / "fd", ignored))
      if (std::filesystem::read_symlink(descriptor.path(), ignored) == target) return true;
  }
  return false;
}

TEST(Input, OnlyTheLastArgumentIsOpened) {
  TScratchDirectory scratch;
  TPsdFixture psd;
  psd.Channels = 3;
  WriteFileBytes((scratch.Path / "b.psd").string(), WritePsd(psd));
  const TProcessResult run = RunVarnholt({"a.psd", "b.psd"}, "", scratch.Path);
  EXPECT_EQ(run.Output, Banner + "Error: PSD does not have an alpha cannel\r\n");
  EXPECT_EQ(run.Errors, "");
  EXPECT_EQ(run.ExitStatus, 0);
}

TEST(Input, ArgumentsAfterAnEmptyOneAreNotCounted) {
  // Windows has no empty argument before others: two quotes where one begins are skipped.
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "an empty argument: POSIX host only";
  TScratchDirectory scratch;
  const TProcessResult run = RunVarnholt({"", "b.psd"}, "", scratch.Path);
  EXPECT_EQ(run.Output, Banner + UsageText);
  EXPECT_EQ(run.Errors, "");
  EXPECT_EQ(run.ExitStatus, 0);
}

// A directory or a FIFO is no input file; the FIFO, with no writer, must not hold the run.
TEST(Input, OnlyARegularFileIsOpened) {
  TScratchDirectory scratch;
  std::filesystem::create_directory(scratch.Path / "folder.psd");
  ASSERT_EQ(mkfifo((scratch.Path / "fifo.psd").c_str(), 0600), 0);
  for (const std::string argument : {"folder.psd", "fifo.psd", "/dev/null"}) {
    const TProcessResult run = RunVarnholt({argument}, "", scratch.Path);
    EXPECT_EQ(run.Output, OpenFailure(run.Output, argument));
    EXPECT_EQ(run.Errors, "");
    EXPECT_EQ(run.ExitStatus, 1);
  }
  EXPECT_FALSE(std::filesystem::exists(scratch.Path / "folder.flm"));
  EXPECT_FALSE(std::filesystem::exists(scratch.Path / "fifo.flm"));
}

// While one Varnholt waits for its answers it holds the input; a second one cannot open it.
TEST(Input, ASecondRunCannotOpenAHeldInput) {
  TScratchDirectory scratch;
  WriteFileBytes((scratch.Path / "held.psd").string(), WritePsd(OnePixelPsd(1, 2, 3, 4)));
  int answers[2];
  ASSERT_EQ(pipe2(answers, O_CLOEXEC), 0);
  const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t first = StartVarnholt({"held.psd"}, scratch.Path, answers[0], quiet, quiet);
  close(answers[0]);
  close(quiet);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const auto holds = [&] {
    return ProgramRunsUnderWine() ? AnyProcessHasOpen(scratch.Path / "held.psd")
                                  : HoldsFlock(first, scratch.Path / "held.psd");
  };
  while (!holds() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const bool held = holds();

  const TProcessResult second = RunVarnholt({"held.psd"}, "", scratch.Path);
  close(answers[1]);  // the first run's answers end: it fails at the first question
  const int status = WaitFor(first);
  ASSERT_TRUE(held);
  EXPECT_EQ(second.Output, OpenFailure(second.Output, "held.psd"));
  EXPECT_EQ(second.Errors, "");
  EXPECT_EQ(second.ExitStatus, 1);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_FALSE(std::filesystem::exists(scratch.Path / "held.flm"));
}

TEST(Input, RefusedDocumentsEndTheRunWithOneLine) {
  const auto document = [](void (*change)(TPsdFixture&)) {
    TPsdFixture psd;
    change(psd);
    return WritePsd(psd);
  };
  const std::pair<Bytes, std::string> cases[] = {
      {document([](TPsdFixture& p) { p.Signature = "8bps"; }), "Error: Invalid PSD file!"},
      {Bytes{'8', 'B', 'P', 'S', 0, 1}, "Error: Invalid PSD file!"},
      {Bytes{}, "Error: Invalid PSD file!"},
      {document([](TPsdFixture& p) { p.Depth = 16; }), "Error: PSD must be in 8bit/channel RGB mode"},
      {document([](TPsdFixture& p) { p.Mode = 4; }), "Error: PSD must be in 8bit/channel RGB mode"},
      {document([](TPsdFixture& p) { p.Channels = 3; }), "Error: PSD does not have an alpha cannel"},
      {document([](TPsdFixture& p) { p.Compression = 2; }), "Error: PSD image data must be raw or RLE compressed"},
  };
  for (const auto& [file, line] : cases) {
    TScratchDirectory scratch;
    WriteFileBytes((scratch.Path / "sheet.psd").string(), file);
    const TProcessResult run = RunVarnholt({"sheet.psd"}, "1\n1\n1\n", scratch.Path);
    EXPECT_EQ(run.Output, Banner + line + "\r\n");
    EXPECT_EQ(run.Errors, "");
    EXPECT_EQ(run.ExitStatus, 0);
    EXPECT_FALSE(std::filesystem::exists(scratch.Path / "sheet.flm")) << line;
  }
}

// A standard output that is closed or whose reader has gone ends the run with status 1, not by
// a signal, and nothing goes to standard error.
TEST(Console, AnUnwritableStandardOutputEndsTheRunWithStatusOne) {
  TScratchDirectory scratch;
  int broken[2];
  ASSERT_EQ(pipe2(broken, O_CLOEXEC), 0);
  close(broken[0]);
  for (const int out : {-1, broken[1]}) {
    int errors[2];
    ASSERT_EQ(pipe2(errors, O_CLOEXEC), 0);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t child = StartVarnholt({}, scratch.Path, in, out, errors[1]);
    close(in);
    close(errors[1]);
    const std::string stderrText = ReadAll(errors[0]);
    close(errors[0]);
    const int status = WaitFor(child);
    EXPECT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(stderrText, "");
  }
  close(broken[1]);
}

// With standard input closed the questions fail to read; the input file, opened on the lowest free
// descriptor, must not stand in for standard input and give its own bytes as the answers.
TEST(Console, AClosedStandardInputIsAFailedReadNotTheDocument) {
  TScratchDirectory scratch;
  TPsdFixture psd;
  psd.Rows = 1;
  psd.Columns = 8;
  psd.Planes = {{'1', '\n', '0', '\n', '1', '\n', 0, 0}, Bytes(8, 0), Bytes(8, 0), Bytes(8, 0)};
  WriteFileBytes((scratch.Path / "answers.psd").string(), WritePsd(psd));
  int out[2], errors[2];
  ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(errors, O_CLOEXEC), 0);
  const pid_t child = StartVarnholt({"answers.psd"}, scratch.Path, -1, out[1], errors[1]);
  close(out[1]);
  close(errors[1]);
  const std::string output = ReadAll(out[0]);
  const std::string stderrText = ReadAll(errors[0]);
  close(out[0]);
  close(errors[0]);
  const int status = WaitFor(child);

  const std::string head = Banner + "Enter cursor frame height: Exception EInOutError in module " +
                           ProgramModuleName() + " at ";
  const std::string address = output.size() >= head.size() + 8 ? output.substr(head.size(), 8) : "";
  // EBADF; Wine gives a process without standard input a handle that fails ERROR_INVALID_FUNCTION.
  const std::string message = ProgramRunsUnderWine() ? "I/O error 1" : "I/O error 9";
  EXPECT_EQ(output, head + address + ".\r\n" + message + ".\r\n\r\n");
  EXPECT_EQ(stderrText, "");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_FALSE(std::filesystem::exists(scratch.Path / "answers.flm"));
}

}  // namespace
}  // namespace varnholt::fixtures
