#include "common/large_buffer.h"

namespace quolvane {

// Windows offers large pages only to privileged processes, through its own allocator,
// and commits pages at a lower cost per fault: neither hint applies.
void AdviseLargeBuffer(void*, size_t) {}
void PrepareForWriting(void*, size_t) {}

}  // namespace quolvane
