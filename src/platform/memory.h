#pragma once

namespace mirel::platform {

// Tunes the process's memory allocator for the jobs of this program, once, first thing in main.
// The jobs work item by item (a workbook, a region, a section): each takes a few hundred
// kilobytes and gives them back. The C library returns the top of its heap to the system as
// soon as 128 KiB of it are free and takes it back at the next item, so that every item pays
// for the system calls and the page faults again, and with two threads for the other core's
// mappings being flushed too. Freed memory is kept up to a few tens of megabytes instead.
void keepFreedMemory();

} // namespace mirel::platform
