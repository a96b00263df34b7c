// The run-time layer: everything Varnholt needs of the operating system, behind one interface.
//
// The conversion core sees only what is declared here. The host implementations (host_posix.cpp,
// host_windows.cpp) supply the console device and the file system; tests and fuzzers supply
// in-memory ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// ---------------------------------------------------------------------------------------------
// Failures. Every failure that ends a run is an EFailure carrying the run-time's class name and
// message; nothing in the program catches one but the run itself, which writes the failure report.

class EFailure : public std::exception {
 public:
  EFailure(const char* className, std::string message, uint32_t address)
      : ClassName(className), Message(std::move(message)), Address(address) {}
  const char* what() const noexcept override { return Message.c_str(); }

  const char* ClassName;  // "EFOpenError", "EConvertError", ...
  std::string Message;
  uint32_t Address;  // identifies the raise site; the same from run to run
};

// Raises a failure; the address is derived from the calling source line.
[[noreturn]] void RaiseFailure(const char* className, std::string message,
                               const char* file = __builtin_FILE(), int line = __builtin_LINE());

// The message of EInOutError for an operating-system error number: "Disk full" or "I/O error %d".
std::string InOutErrorText(int errorNumber, bool diskFull);

// ---------------------------------------------------------------------------------------------
// Console. Standard output is a text channel with a 128-byte buffer; standard input is read a
// line at a time.

class TConsoleDevice {
 public:
  virtual ~TConsoleDevice() = default;
  // Writes all bytes to standard output; raises EInOutError when it cannot.
  virtual void WriteOutput(const char* bytes, size_t count) = 0;
  // Reads up to count bytes of standard input; 0 at its end; raises EInOutError on failure.
  virtual size_t ReadInput(char* bytes, size_t count) = 0;
  // Whether standard output is a console (terminal), where every flush writes at once.
  virtual bool OutputIsConsole() = 0;
};

class TConsole {
 public:
  explicit TConsole(TConsoleDevice& device) : Device(device) {}

  void Write(std::string_view text);      // the text, waiting in the buffer
  void WriteLine(std::string_view text);  // the text and CR LF, then Flush
  void Flush();                           // writes the buffer at once, on a console only
  void WritePending();                    // writes whatever waits, console or not
  std::string ReadLine();                 // up to LF or CR LF, not included; "" at end of input

 private:
  void WriteBuffer();

  TConsoleDevice& Device;
  char Buffer[128] = {};
  size_t Pending = 0;
  std::vector<char> Input;  // bytes read ahead of the current line
  size_t InputStart = 0;
  bool InputEnded = false;
};

// The failure report, written straight to the console: "Exception <class> in module <module> at
// <address>.", the message with a final dot, and an empty line; each ending in CR LF. The message
// is not copied, so that a failure whose message took most of the memory left (a huge answer
// line) is still reported.
void WriteFailureReport(TConsole& console, const EFailure& failure, std::string_view moduleName);

// ---------------------------------------------------------------------------------------------
// Memory. Large blocks come straight from the operating system's pages: they arrive zeroed
// without a clearing pass.

class TMemoryBlock {
 public:
  TMemoryBlock() = default;
  TMemoryBlock(const TMemoryBlock&) = delete;
  TMemoryBlock& operator=(const TMemoryBlock&) = delete;
  TMemoryBlock(TMemoryBlock&& other) noexcept;
  TMemoryBlock& operator=(TMemoryBlock&& other) noexcept;
  ~TMemoryBlock();

  // A block of `size` zero bytes; false (and nothing held) when the memory cannot be had.
  bool Allocate(size_t size);
  void Release() noexcept;

  uint8_t* Data() const { return Bytes; }
  size_t Size() const { return Length; }

 private:
  uint8_t* Bytes = nullptr;
  size_t Length = 0;
};

// Host page allocation behind TMemoryBlock: zeroed memory or nullptr; freed with the same size.
void* AllocateZeroedPages(size_t size) noexcept;
void ReleasePages(void* pages, size_t size) noexcept;

// A block of `size` zero bytes, or EOutOfMemory "Out of memory" when it cannot be had.
TMemoryBlock AllocateBlock(size_t size);

// ---------------------------------------------------------------------------------------------
// Streams.

// The input document. The stream keeps its own position: reads at it advance it, and a channel
// can be read from its own place in the file without moving the position.
class TStream {
 public:
  virtual ~TStream() = default;
  // Copies up to count bytes from the given offset; returns how many were copied, fewer at the
  // end of the file (none past it) and 0 on a read failure. Never raises.
  virtual int32_t ReadAt(int64_t offset, void* destination, int32_t count) noexcept = 0;

  // ReadAt the position, which then advances by as many bytes as were copied.
  int32_t Read(void* destination, int32_t count) noexcept;
  // Moves the position by a signed offset. Past the end is allowed (a move beyond the largest
  // position stops there, as far past the end as any); a move before the start fails silently
  // and leaves the position as it was.
  void SeekFromCurrent(int64_t offset) noexcept;
  int64_t Position() const noexcept { return Offset; }
  void SetPosition(int64_t position) noexcept { Offset = position < 0 ? Offset : position; }

 private:
  int64_t Offset = 0;
};

// A stream over bytes already in memory (tests, fuzzing).
class TBytesStream : public TStream {
 public:
  explicit TBytesStream(std::vector<uint8_t> bytes) : Content(std::move(bytes)) {}
  int32_t ReadAt(int64_t offset, void* destination, int32_t count) noexcept override;

 private:
  std::vector<uint8_t> Content;
};

// The output file, written front to back and closed once.
class TOutputStream {
 public:
  virtual ~TOutputStream() = default;
  // Writes all bytes. When the file takes fewer (a full disk), it is closed, keeping what it took,
  // and EWriteError "Stream write error" is raised.
  virtual void Write(const uint8_t* bytes, size_t count) = 0;
  // Closes the file; EWriteError when closing reports lost bytes. A stream released without
  // Close closes its file quietly.
  virtual void Close() = 0;
};

// ---------------------------------------------------------------------------------------------
// Paths and files.

// How the host writes paths: its delimiter, whether "X:" drive prefixes exist, and which bytes
// open a double-byte character in the active code page.
struct TPathSyntax {
  char Delimiter;
  bool HasDrives;
  bool (*IsLeadByte)(unsigned char byte);
};

bool NoLeadBytes(unsigned char byte);
extern const TPathSyntax WindowsPathSyntax;  // "\" and "C:", single-byte code page
extern const TPathSyntax PosixPathSyntax;    // "/" and no drives

// The text after the last character of the path that is "." or a delimiter, replaced by the
// extension when that character is the dot, else the extension appended.
std::string ChangeExtension(const std::string& path, std::string_view extension, const TPathSyntax& syntax);
// The path up to and including its last delimiter (or drive colon); "" when it has none.
std::string ExtractDirectory(const std::string& path, const TPathSyntax& syntax);

class TFileSystem {
 public:
  virtual ~TFileSystem() = default;

  virtual const TPathSyntax& Syntax() const = 0;
  // Opens an existing regular file for reading only, held without sharing until released.
  // Raises EFOpenError, "Cannot open file <path>".
  virtual std::unique_ptr<TStream> OpenInput(const std::string& path) = 0;
  // Creates the output file, or empties it when it exists, for writing without sharing.
  // EFCreateError "Cannot create file <path>" when it cannot be created: a missing directory, a
  // read-only file, a directory, a FIFO, the held input by any name, a file in use.
  virtual std::unique_ptr<TOutputStream> CreateOutput(const std::string& path) = 0;
  // The absolute form of a path, "." and ".." resolved as text; "" when it cannot be formed.
  virtual std::string ExpandPath(const std::string& path) = 0;
  // The stored name of the entry that the last component of the path names; false when there
  // is no such entry or its directory cannot be searched.
  virtual bool FindStoredName(const std::string& path, std::string& storedName) = 0;
};

// ---------------------------------------------------------------------------------------------
// Integer conversion of text: leading blanks, then a decimal number with an optional sign, or a
// hexadecimal one after "$", "x", "X", "0x" or "0X" (at most eight significant digits, taken as a
// 32-bit pattern), then the end of the text. False for anything else.

bool TextToInteger(std::string_view text, int32_t& value);

// ---------------------------------------------------------------------------------------------
// Command line, as the Windows run-time splits it: the arguments after the program's name,
// counted up to the first one that comes out empty. charNext steps over one character of the
// active code page (a double-byte character whole).

using TCharNext = size_t (*)(std::string_view text, size_t position);
size_t SingleByteCharNext(std::string_view text, size_t position);
std::vector<std::string> SplitCommandLine(std::string_view commandLine, TCharNext charNext = SingleByteCharNext);

// ---------------------------------------------------------------------------------------------
// The host: the process's own console, file system and command line.

TConsoleDevice& HostConsoleDevice();
TFileSystem& HostFileSystem();
// The arguments after the program's name, counted up to the first empty one.
std::vector<std::string> HostArguments(int argc, char** argv);
// The program's file name without its directory, as the failure report names it.
std::string HostModuleName(int argc, char** argv);
// Called once at start: whatever the host must set up so that failures stay reports (signals).
void PrepareHost();

}  // namespace varnholt
