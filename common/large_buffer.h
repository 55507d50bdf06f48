// A hint for the few buffers that hold a whole page: a buffer written once costs one
// page fault per 4 KiB, which for a page of megabytes is most of the time it takes.
#pragma once

#include <cstddef>

namespace quolvane {

// Buffers below this size are left to the allocator as they are.
inline constexpr size_t kLargeBufferBytes = size_t{2} << 20;

// Asks the system to back the untouched buffer [data, data + bytes) with large pages
// where it offers them. Only a hint: nothing changes when the system declines.
void AdviseLargeBuffer(void* data, size_t bytes);

}  // namespace quolvane
