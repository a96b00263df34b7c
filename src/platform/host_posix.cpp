// The POSIX host: console on file descriptors 0 and 1, files through the system calls, pages from
// mmap. POSIX has no sharing modes, so the held input is guarded by an exclusive flock against a
// second Varnholt (opening it as its input or saving over it), and by its device and inode against
// being overwritten by this one.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/platform.h"

namespace varnholt {

namespace {

[[noreturn]] void RaiseInOutError(int errorNumber) {
  RaiseFailure("EInOutError", InOutErrorText(errorNumber, errorNumber == ENOSPC));
}

class TPosixConsoleDevice : public TConsoleDevice {
 public:
  void WriteOutput(const char* bytes, size_t count) override {
    while (count > 0) {
      const ssize_t written = write(STDOUT_FILENO, bytes, count);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) RaiseInOutError(written < 0 ? errno : ENOSPC);
      bytes += written;
      count -= static_cast<size_t>(written);
    }
  }

  size_t ReadInput(char* bytes, size_t count) override {
    for (;;) {
      const ssize_t got = read(STDIN_FILENO, bytes, count);
      if (got >= 0) return static_cast<size_t>(got);
      if (errno != EINTR) RaiseInOutError(errno);
    }
  }

  bool OutputIsConsole() override {
    if (Console < 0) Console = isatty(STDOUT_FILENO) ? 1 : 0;
    return Console == 1;
  }

 private:
  int Console = -1;
};

struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  bool Held = false;
};

class TPosixFileStream : public TStream {
 public:
  TPosixFileStream(int descriptor, TFileIdentity& held) : Descriptor(descriptor), HeldInput(held) {}
  ~TPosixFileStream() override {
    HeldInput.Held = false;
    close(Descriptor);  // also drops the flock
  }

  int32_t ReadAt(int64_t offset, void* destination, int32_t count) noexcept override {
    auto* bytes = static_cast<char*>(destination);
    int32_t total = 0;
    while (total < count) {
      // pread refuses an offset beyond what the file system can address: nothing is there.
      const ssize_t got = pread(Descriptor, bytes + total, static_cast<size_t>(count - total), offset + total);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      total += static_cast<int32_t>(got);
    }
    return total;
  }

 private:
  int Descriptor;
  TFileIdentity& HeldInput;
};

class TPosixOutputStream : public TOutputStream {
 public:
  explicit TPosixOutputStream(int descriptor) : Descriptor(descriptor) {}
  ~TPosixOutputStream() override {
    if (Descriptor >= 0) close(Descriptor);
  }

  void Write(const uint8_t* bytes, size_t count) override {
    while (count > 0) {
      const ssize_t written = write(Descriptor, bytes, count);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        CloseDescriptor();
        RaiseFailure("EWriteError", "Stream write error");
      }
      bytes += written;
      count -= static_cast<size_t>(written);
    }
  }

  void Close() override {
    // A failing close can still mean lost bytes (network file systems report late).
    if (!CloseDescriptor()) RaiseFailure("EWriteError", "Stream write error");
  }

 private:
  bool CloseDescriptor() {
    const bool closed = close(Descriptor) == 0;
    Descriptor = -1;
    return closed;
  }

  int Descriptor;
};

class TPosixFileSystem : public TFileSystem {
 public:
  const TPathSyntax& Syntax() const override { return PosixPathSyntax; }

  std::unique_ptr<TStream> OpenInput(const std::string& path) override {
    // Non-blocking, so that a FIFO or a device never holds the run before it is refused.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct stat status;
    bool usable = descriptor >= 0 && fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
                  fcntl(descriptor, F_SETFL, 0) == 0;
    // Held without sharing: a second Varnholt on the same file is refused while this one runs.
    if (usable && flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) usable = false;
    if (!usable) {
      if (descriptor >= 0) close(descriptor);
      RaiseFailure("EFOpenError", "Cannot open file " + path);
    }
    HeldInput = {status.st_dev, status.st_ino, true};
    return std::make_unique<TPosixFileStream>(descriptor, HeldInput);
  }

  std::unique_ptr<TOutputStream> CreateOutput(const std::string& path) override {
    const int descriptor = OpenOutput(path);
    if (descriptor < 0) RaiseFailure("EFCreateError", "Cannot create file " + path);
    return std::make_unique<TPosixOutputStream>(descriptor);
  }

  std::string ExpandPath(const std::string& path) override {
    if (path.empty()) return std::string();
    std::string full = path;
    if (path.front() != '/') {
      char* current = getcwd(nullptr, 0);
      if (current == nullptr) return std::string();
      full = std::string(current) + "/" + path;
      std::free(current);
    }
    // "." and ".." are resolved as text; links are not followed.
    std::vector<std::string> components;
    size_t start = 0;
    while (start <= full.size()) {
      size_t end = full.find('/', start);
      if (end == std::string::npos) end = full.size();
      const std::string component = full.substr(start, end - start);
      if (component == "..") {
        if (!components.empty()) components.pop_back();
      } else if (!component.empty() && component != ".") {
        components.push_back(component);
      }
      start = end + 1;
    }
    std::string expanded;
    for (const std::string& component : components) expanded += "/" + component;
    if (expanded.empty() || full.back() == '/') expanded += '/';
    return expanded;
  }

  bool FindStoredName(const std::string& path, std::string& storedName) override {
    struct stat status;
    if (lstat(path.c_str(), &status) != 0) return false;
    const size_t cut = path.find_last_of('/');
    const std::string directory = cut == 0 ? "/" : path.substr(0, cut);
    const std::string name = path.substr(cut + 1);
    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr) return false;
    // The directory's own spelling: the exact name when it holds it, else the entry that matches
    // ignoring ASCII case, as a case-insensitive file system found it.
    bool found = false;
    while (const dirent* entry = readdir(listing)) {
      if (name == entry->d_name) {
        storedName = name;
        found = true;
        break;
      }
      if (!found && strcasecmp(name.c_str(), entry->d_name) == 0) {
        storedName = entry->d_name;
        found = true;
      }
    }
    closedir(listing);
    return found;
  }

 private:
  // Opens the output for reading and writing and empties it; -1 when it cannot be created.
  int OpenOutput(const std::string& path) {
    const int flags = O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    int descriptor = open(path.c_str(), flags);
    if (descriptor < 0 && errno == ENOENT) return open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (descriptor < 0) return -1;
    struct stat status;
    // The held input, by whatever path or link, is never overwritten; a file with no write
    // permission bit is read-only even to root; a FIFO could hold the run forever; a file that
    // another Varnholt holds as its input is in use.
    const bool refused = fstat(descriptor, &status) != 0 ||
                         (HeldInput.Held && status.st_dev == HeldInput.Device && status.st_ino == HeldInput.Inode) ||
                         (status.st_mode & 0222) == 0 || S_ISFIFO(status.st_mode) || S_ISDIR(status.st_mode) ||
                         (flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) ||
                         (S_ISREG(status.st_mode) && ftruncate(descriptor, 0) != 0) ||
                         fcntl(descriptor, F_SETFL, 0) != 0;
    if (refused) {
      close(descriptor);
      return -1;
    }
    return descriptor;
  }

  TFileIdentity HeldInput;
};

// Blocks of a megabyte and more get their own mapping: fresh pages that arrive zeroed, so nothing
// clears them, and that go back to the system as soon as they are released.
constexpr size_t MappedBlockSize = size_t{1} << 20;

}  // namespace

void* AllocateZeroedPages(size_t size) noexcept {
  if (size < MappedBlockSize) return std::calloc(size, 1);
  void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) return nullptr;
#ifdef MADV_POPULATE_WRITE
  // Every page of a block is written soon (the pixel buffer and the plane entirely), and the first
  // touch of fresh memory is what a conversion spends most of its time on: the kernel supplies all
  // pages in one call, cheaper than one fault per page, and a lack of memory that it reports fails
  // the allocation here rather than a later write. No huge pages are asked for: measured on a
  // virtual machine, they came from memory the host had taken back, and their first touch cost
  // several times that of ordinary pages.
  if (madvise(pages, size, MADV_POPULATE_WRITE) != 0 && errno == ENOMEM) {
    munmap(pages, size);
    return nullptr;
  }
#endif
  return pages;
}

void ReleasePages(void* pages, size_t size) noexcept {
  if (size < MappedBlockSize) {
    std::free(pages);
  } else {
    munmap(pages, size);
  }
}

TConsoleDevice& HostConsoleDevice() {
  static TPosixConsoleDevice device;
  return device;
}

TFileSystem& HostFileSystem() {
  static TPosixFileSystem fileSystem;
  return fileSystem;
}

std::vector<std::string> HostArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc && argv[i][0] != '\0'; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

std::string HostModuleName(int argc, char** argv) {
  const std::string path = argc > 0 && argv[0] != nullptr ? argv[0] : "varnholt";
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

void PrepareHost() {
  // A closed pipe or a file size limit must end in a failure report, never in a signal.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  // A standard stream that was closed keeps its number taken, open the wrong way round: using it
  // still fails as on a closed stream, and the input or output file can never land on it, where
  // the questions would read the document as answers.
  for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream)
    if (fcntl(stream, F_GETFD) < 0 && errno == EBADF) open("/dev/null", stream == STDIN_FILENO ? O_WRONLY : O_RDONLY);
}

}  // namespace varnholt
