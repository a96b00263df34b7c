#include "fuzz_memory.h"

#include <cstdlib>

#include "platform/platform.h"

namespace varnholt {

void* AllocateZeroedPages(size_t size) noexcept {
  if (size > fuzzing::BlockCeiling) return nullptr;
  return std::calloc(size, 1);
}

void ReleasePages(void* pages, size_t) noexcept { std::free(pages); }

}  // namespace varnholt
