// Memory blocks, the in-memory input stream and the memory stream that holds the output file.
#include <cstring>

#include "platform/platform.h"

namespace varnholt {

TMemoryBlock::TMemoryBlock(TMemoryBlock&& other) noexcept : Bytes(other.Bytes), Length(other.Length) {
  other.Bytes = nullptr;
  other.Length = 0;
}

TMemoryBlock& TMemoryBlock::operator=(TMemoryBlock&& other) noexcept {
  if (this != &other) {
    Release();
    Bytes = other.Bytes;
    Length = other.Length;
    other.Bytes = nullptr;
    other.Length = 0;
  }
  return *this;
}

TMemoryBlock::~TMemoryBlock() { Release(); }

bool TMemoryBlock::Allocate(size_t size) {
  Release();
  if (size == 0) return true;
  Bytes = static_cast<uint8_t*>(AllocateZeroedPages(size));
  if (Bytes == nullptr) return false;
  Length = size;
  return true;
}

void TMemoryBlock::Release() noexcept {
  if (Bytes != nullptr) ReleasePages(Bytes, Length);
  Bytes = nullptr;
  Length = 0;
}

int32_t TBytesStream::Read(void* destination, int32_t count) noexcept {
  if (count <= 0 || Offset >= static_cast<int64_t>(Content.size())) return 0;
  const int64_t available = static_cast<int64_t>(Content.size()) - Offset;
  const int32_t take = static_cast<int32_t>(count < available ? count : available);
  std::memcpy(destination, Content.data() + Offset, static_cast<size_t>(take));
  Offset += take;
  return take;
}

void TBytesStream::SeekFromCurrent(int32_t offset) noexcept {
  if (Offset + offset >= 0) Offset += offset;
}

void TMemoryStream::SetSize(int32_t size) {
  TMemoryBlock sized;
  if (size < 0 || !sized.Allocate(static_cast<size_t>(size)))
    RaiseFailure("EStreamError", "Out of memory while expanding memory stream");
  Block = std::move(sized);
  Position = 0;
}

int32_t TMemoryStream::Write(const void* bytes, int32_t count) {
  const int64_t room = static_cast<int64_t>(Block.Size()) - Position;
  if (count <= 0 || Position < 0 || room <= 0) return 0;
  const int32_t take = static_cast<int32_t>(count < room ? count : room);
  std::memcpy(Block.Data() + Position, bytes, static_cast<size_t>(take));
  Position += take;
  return take;
}

void TMemoryStream::SaveToFile(TFileSystem& fileSystem, const std::string& path) const {
  fileSystem.SaveNewFile(path, Block.Data(), Block.Size());
}

bool NoLeadBytes(unsigned char) { return false; }

const TPathSyntax WindowsPathSyntax = {'\\', true, NoLeadBytes};
const TPathSyntax PosixPathSyntax = {'/', false, NoLeadBytes};

}  // namespace varnholt
