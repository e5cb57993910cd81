#pragma once

#include <memory_resource>

namespace tessary {

// Memory for the bulk of a transfer: an image read from a text file before it is loaded. Blocks
// of a megabyte or more are mapped on their own, on large pages where the system has them, and
// faulted in whole when they are made; smaller ones come from the heap. Faulting sixteen
// megabytes in page by page as they are first written cost this machine 45 ms, more than the
// whole load of the same data from a binary file; in one go, on large pages, under 1 ms.
std::pmr::memory_resource* BulkMemory();

} // namespace tessary
