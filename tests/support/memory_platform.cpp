#include "support/memory_platform.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace varnholt::fixtures {

void TMemoryConsoleDevice::WriteOutput(const char* bytes, size_t count) {
  if (FailWritesAfter >= 0 && WriteSizes.size() >= static_cast<size_t>(FailWritesAfter))
    RaiseFailure("EInOutError", "I/O error 32");
  WriteSizes.push_back(count);
  Output.append(bytes, count);
}

size_t TMemoryConsoleDevice::ReadInput(char* bytes, size_t count) {
  const size_t take = std::min(count, Input.size() - InputRead);
  std::memcpy(bytes, Input.data() + InputRead, take);
  InputRead += take;
  return take;
}

namespace {

class THeldStream : public TBytesStream {
 public:
  THeldStream(Bytes bytes, std::string& held) : TBytesStream(std::move(bytes)), Held(held) {}
  ~THeldStream() override { Held.clear(); }

 private:
  std::string& Held;
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::unique_ptr<TStream> TMemoryFileSystem::OpenInput(const std::string& path) {
  const auto file = Files.find(path);
  if (file == Files.end() || !HeldInput.empty()) RaiseFailure("EFOpenError", "Cannot open file " + path);
  HeldInput = path;
  return std::make_unique<THeldStream>(file->second, HeldInput);
}

namespace {

// Writes append to the file's bytes as far as the disk has room; a full disk closes the file.
class TMemoryOutputStream : public TOutputStream {
 public:
  TMemoryOutputStream(TMemoryFileSystem& fileSystem, Bytes& file) : FileSystem(fileSystem), File(file) {
    FileSystem.OutputOpen = true;
  }
  ~TMemoryOutputStream() override { FileSystem.OutputOpen = false; }

  void Write(const uint8_t* bytes, size_t count) override {
    if (!FileSystem.OutputOpen) RaiseFailure("EWriteError", "Stream write error");
    FileSystem.WriteSizes.push_back(count);
    const size_t room = FileSystem.DiskRoom - std::min(FileSystem.DiskRoom, File.size());
    File.insert(File.end(), bytes, bytes + std::min(count, room));
    if (count > room) {
      FileSystem.OutputOpen = false;
      RaiseFailure("EWriteError", "Stream write error");
    }
  }

  void Close() override { FileSystem.OutputOpen = false; }

 private:
  TMemoryFileSystem& FileSystem;
  Bytes& File;
};

}  // namespace

std::unique_ptr<TOutputStream> TMemoryFileSystem::CreateOutput(const std::string& path) {
  Saves.push_back(path);
  if (path == HeldInput || ReadOnly.count(path) != 0) RaiseFailure("EFCreateError", "Cannot create file " + path);
  Bytes& file = Files[path];
  file.clear();
  return std::make_unique<TMemoryOutputStream>(*this, file);
}

std::string TMemoryFileSystem::ExpandPath(const std::string& path) {
  if (path.empty()) return std::string();
  const char delimiter = PathSyntax.Delimiter;
  const bool absolute = path.front() == delimiter || (PathSyntax.HasDrives && path.size() > 1 && path[1] == ':');
  return absolute ? path : CurrentDirectory + delimiter + path;
}

bool TMemoryFileSystem::FindStoredName(const std::string& path, std::string& storedName) {
  Lookups.push_back(path);
  const auto entry = StoredNames.find(Upper(path));
  if (entry == StoredNames.end()) return false;
  storedName = entry->second;
  return true;
}

}  // namespace varnholt::fixtures
