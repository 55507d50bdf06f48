// Hints for the few buffers that hold a whole page: a buffer written once costs one page
// fault per 4 KiB, which for a page of megabytes is most of the time it takes (a fault
// costs a microsecond or more in a virtual machine).
#pragma once

#include <cstddef>

namespace quolvane {

// Asks the system to back the untouched buffer [data, data + bytes) with large pages
// where it offers them (no effect below 2 MiB). Only a hint.
void AdviseLargeBuffer(void* data, size_t bytes);

// Maps the untouched buffer [data, data + bytes) in at once, for memory that is about to
// be written: one call instead of a fault per page (no effect below 64 KiB). Only a hint.
void PrepareForWriting(void* data, size_t bytes);

}  // namespace quolvane
