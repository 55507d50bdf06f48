#include "common/large_buffer.h"

namespace quolvane {

// Windows offers large pages only to privileged processes, through its own allocator.
void AdviseLargeBuffer(void*, size_t) {}

}  // namespace quolvane
