#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

#include "platform/memory.h"
#include "sanitizer.h"

using namespace mirel::platform;

// A block of a workbook's size comes from the heap, and freeing it gives nothing back to the
// system: with the C library's defaults the first is mapped on its own and the second trims
// the heap, at every workbook of an import.
TEST(Memory, FreedBlocksOfAWorkbooksSizeAreKept) {
#if !defined(M_TRIM_THRESHOLD)
    GTEST_SKIP() << "not the GNU C library's allocator";
#else
    if (mirel::test::UnderAddressSanitizer) GTEST_SKIP() << "the sanitizer's allocator";
    keepFreedMemory();
    constexpr size_t Size = 2 * 1024 * 1024;
    const struct mallinfo2 before = mallinfo2();
    char* block = static_cast<char*>(std::malloc(Size));
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, Size);
    const struct mallinfo2 held = mallinfo2();
    EXPECT_EQ(held.hblks, before.hblks) << "the block was mapped on its own";
    std::free(block);
    const struct mallinfo2 after = mallinfo2();
    EXPECT_GE(after.arena + Size / 2, held.arena) << "the heap was trimmed";
#endif
}
