#include "common/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace quolvane {
namespace {

// The inside of [data, data + bytes) aligned to `unit`, or an empty range.
struct Range {
  uintptr_t first;
  uintptr_t last;
};
Range AlignedInside(void* data, size_t bytes, uintptr_t unit) {
  auto begin = reinterpret_cast<uintptr_t>(data);
  uintptr_t first = (begin + unit - 1) & ~(unit - 1);
  uintptr_t last = (begin + bytes) & ~(unit - 1);
  return {first, last > first ? last : first};
}

}  // namespace

void AdviseLargeBuffer(void* data, size_t bytes) {
  // Transparent huge pages cover aligned 2 MiB stretches.
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  if (bytes < kHugePage) return;
  Range range = AlignedInside(data, bytes, kHugePage);
  if (range.last == range.first) return;
  madvise(reinterpret_cast<void*>(range.first), range.last - range.first,
          MADV_HUGEPAGE);  // a hint: result unused
}

void PrepareForWriting([[maybe_unused]] void* data, [[maybe_unused]] size_t bytes) {
#ifdef MADV_POPULATE_WRITE  // Linux 5.14 and later
  if (bytes < (size_t{64} << 10)) return;
  Range range = AlignedInside(data, bytes, 4096);
  if (range.last == range.first) return;
  // Older kernels answer EINVAL; the pages then come one fault at a time, as before.
  madvise(reinterpret_cast<void*>(range.first), range.last - range.first, MADV_POPULATE_WRITE);
#endif
}

}  // namespace quolvane
