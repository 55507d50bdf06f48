#include "common/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace quolvane {

void AdviseLargeBuffer(void* data, size_t bytes) {
  if (bytes < kLargeBufferBytes) return;
  // Transparent huge pages cover aligned 2 MiB stretches; the advice must start on a
  // page boundary, so it takes the aligned inside of the buffer.
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  auto begin = reinterpret_cast<uintptr_t>(data);
  uintptr_t end = begin + bytes;
  uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  uintptr_t last = end & ~(kHugePage - 1);
  if (last <= first) return;
  madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // a hint: result unused
}

}  // namespace quolvane
