// Memory blocks and the input streams' common part.
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

TMemoryBlock AllocateBlock(size_t size) {
  TMemoryBlock block;
  if (!block.Allocate(size)) RaiseFailure("EOutOfMemory", "Out of memory");
  return block;
}

int32_t TStream::Read(void* destination, int32_t count) noexcept {
  const int32_t copied = ReadAt(Offset, destination, count);
  Offset += copied;
  return copied;
}

void TStream::SeekFromCurrent(int64_t offset) noexcept {
  if (offset < 0 && Offset + offset < 0) return;
  Offset = offset > INT64_MAX - Offset ? INT64_MAX : Offset + offset;
}

int32_t TBytesStream::ReadAt(int64_t offset, void* destination, int32_t count) noexcept {
  const int64_t size = static_cast<int64_t>(Content.size());
  if (count <= 0 || offset < 0 || offset >= size) return 0;
  const int32_t take = static_cast<int32_t>(count < size - offset ? count : size - offset);
  std::memcpy(destination, Content.data() + offset, static_cast<size_t>(take));
  return take;
}

bool NoLeadBytes(unsigned char) { return false; }

const TPathSyntax WindowsPathSyntax = {'\\', true, NoLeadBytes};
const TPathSyntax PosixPathSyntax = {'/', false, NoLeadBytes};

}  // namespace varnholt
