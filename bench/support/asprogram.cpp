// Linked into every benchmark: the jobs run with the memory allocator tuned as the program's
// main function tunes it, so that they are timed as the program runs them.
#include "platform/memory.h"

namespace {

const bool tuned = [] {
    mirel::platform::keepFreedMemory();
    return true;
}();

} // namespace
