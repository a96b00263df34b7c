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

void TMemoryFileSystem::SaveNewFile(const std::string& path, const uint8_t* bytes, size_t count) {
  Saves.push_back(path);
  if (path == HeldInput || ReadOnly.count(path) != 0) RaiseFailure("EFCreateError", "Cannot create file " + path);
  const size_t written = std::min(count, DiskRoom);
  Files[path].assign(bytes, bytes + written);
  if (written < count) RaiseFailure("EWriteError", "Stream write error");
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
