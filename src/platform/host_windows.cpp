// The Win32 host: the console on the standard handles, files through CreateFileA without sharing,
// the command line from GetCommandLineA, long names from FindFirstFileA, pages from VirtualAlloc.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>

#include "platform/platform.h"

namespace varnholt {

namespace {

[[noreturn]] void RaiseInOutError(DWORD errorCode) {
  RaiseFailure("EInOutError", InOutErrorText(static_cast<int>(errorCode),
                                              errorCode == ERROR_DISK_FULL || errorCode == ERROR_HANDLE_DISK_FULL));
}

class TWindowsConsoleDevice : public TConsoleDevice {
 public:
  void WriteOutput(const char* bytes, size_t count) override {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    while (count > 0) {
      const DWORD chunk = count < 0x10000 ? static_cast<DWORD>(count) : 0x10000;
      DWORD written = 0;
      if (!WriteFile(output, bytes, chunk, &written, nullptr)) RaiseInOutError(GetLastError());
      // A device that takes nothing without an error is as full as a disk can be.
      if (written == 0) RaiseInOutError(ERROR_DISK_FULL);
      bytes += written;
      count -= written;
    }
  }

  size_t ReadInput(char* bytes, size_t count) override {
    const DWORD chunk = count < 0x10000 ? static_cast<DWORD>(count) : 0x10000;
    DWORD got = 0;
    if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), bytes, chunk, &got, nullptr)) return got;
    const DWORD error = GetLastError();
    // A pipe whose writer has closed its end is the end of the input, not a failure.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    RaiseInOutError(error);
  }

  bool OutputIsConsole() override {
    if (Console < 0) Console = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR ? 1 : 0;
    return Console == 1;
  }

 private:
  int Console = -1;
};

class TWindowsOutputStream : public TOutputStream {
 public:
  explicit TWindowsOutputStream(HANDLE file) : File(file) {}
  ~TWindowsOutputStream() override {
    if (File != INVALID_HANDLE_VALUE) CloseHandle(File);
  }

  void Write(const uint8_t* bytes, size_t count) override {
    while (count > 0) {
      const DWORD chunk = count < (DWORD{1} << 30) ? static_cast<DWORD>(count) : (DWORD{1} << 30);
      DWORD written = 0;
      if (!WriteFile(File, bytes, chunk, &written, nullptr) || written == 0) {
        CloseFile();
        RaiseFailure("EWriteError", "Stream write error");
      }
      bytes += written;
      count -= written;
    }
  }

  void Close() override {
    if (!CloseFile()) RaiseFailure("EWriteError", "Stream write error");
  }

 private:
  bool CloseFile() {
    const bool closed = CloseHandle(File) != FALSE;
    File = INVALID_HANDLE_VALUE;
    return closed;
  }

  HANDLE File;
};

class TWindowsFileStream : public TStream {
 public:
  explicit TWindowsFileStream(HANDLE file) : File(file) {}
  ~TWindowsFileStream() override { CloseHandle(File); }

  int32_t ReadAt(int64_t offset, void* destination, int32_t count) noexcept override {
    auto* bytes = static_cast<char*>(destination);
    int32_t total = 0;
    while (total < count) {
      // The offset rides in the request; ERROR_HANDLE_EOF past the end ends the read.
      OVERLAPPED at{};
      const uint64_t from = static_cast<uint64_t>(offset) + static_cast<uint64_t>(total);
      at.Offset = static_cast<DWORD>(from);
      at.OffsetHigh = static_cast<DWORD>(from >> 32);
      DWORD got = 0;
      if (!ReadFile(File, bytes + total, static_cast<DWORD>(count - total), &got, &at) || got == 0) break;
      total += static_cast<int32_t>(got);
    }
    return total;
  }

 private:
  HANDLE File;
};

bool ActiveCodePageLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

const TPathSyntax HostPathSyntax = {'\\', true, ActiveCodePageLeadByte};

// Steps over one character of the active code page; a lead byte at the very end of the text
// stands alone, so the step never leaves the text.
size_t ActiveCodePageCharNext(std::string_view text, size_t position) {
  if (position >= text.size()) return position;
  if (position + 1 == text.size()) return position + 1;
  const char* at = text.data() + position;
  const size_t step = static_cast<size_t>(CharNextA(at) - at);
  return position + (step == 0 ? 1 : step);
}

class TWindowsFileSystem : public TFileSystem {
 public:
  const TPathSyntax& Syntax() const override { return HostPathSyntax; }

  std::unique_ptr<TStream> OpenInput(const std::string& path) override {
    // Read access, no sharing: while the run holds the document nobody can open it, this
    // program included.
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) RaiseFailure("EFOpenError", "Cannot open file " + path);
    // Only a file on a disk is a document: a directory, the console or a pipe is refused.
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      CloseHandle(file);
      RaiseFailure("EFOpenError", "Cannot open file " + path);
    }
    return std::make_unique<TWindowsFileStream>(file);
  }

  std::unique_ptr<TOutputStream> CreateOutput(const std::string& path) override {
    // Windows refuses to empty a read-only file; Wine run by root does not, so ask first.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
      RaiseFailure("EFCreateError", "Cannot create file " + path);
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) RaiseFailure("EFCreateError", "Cannot create file " + path);
    return std::make_unique<TWindowsOutputStream>(file);
  }

  std::string ExpandPath(const std::string& path) override {
    char expanded[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof expanded, expanded, nullptr);
    // 0 is a failure; a length of the buffer or more is the size it would need.
    if (length == 0 || length >= sizeof expanded) return std::string();
    return std::string(expanded, length);
  }

  bool FindStoredName(const std::string& path, std::string& storedName) override {
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    entry.cFileName[MAX_PATH - 1] = '\0';
    storedName = entry.cFileName;
    return true;
  }
};

// Blocks of a megabyte and more come straight from VirtualAlloc, which commits zeroed pages.
constexpr size_t PagedBlockSize = size_t{1} << 20;

}  // namespace

void* AllocateZeroedPages(size_t size) noexcept {
  if (size < PagedBlockSize) return std::calloc(size, 1);
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void ReleasePages(void* pages, size_t size) noexcept {
  if (size < PagedBlockSize) {
    std::free(pages);
  } else {
    VirtualFree(pages, 0, MEM_RELEASE);
  }
}

TConsoleDevice& HostConsoleDevice() {
  static TWindowsConsoleDevice device;
  return device;
}

TFileSystem& HostFileSystem() {
  static TWindowsFileSystem fileSystem;
  return fileSystem;
}

// The C run-time's argv follows other quoting rules (backslash escapes); the program splits the
// system's own command line itself.
std::vector<std::string> HostArguments(int, char**) {
  return SplitCommandLine(GetCommandLineA(), ActiveCodePageCharNext);
}

std::string HostModuleName(int, char**) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return "Varnholt.exe";
  const std::string module(path, length);
  return module.substr(ExtractDirectory(module, HostPathSyntax).size());
}

void PrepareHost() {
  // Failures stay reports on the console: no "insert a disk" box for an empty drive, no crash box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

}  // namespace varnholt
