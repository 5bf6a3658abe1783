#pragma once

namespace mirel::test {

// Whether the tests run under AddressSanitizer, whose allocator keeps freed memory in
// quarantine and pads every block: what the program's own allocation does is not seen there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool UnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool UnderAddressSanitizer = true;
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif

} // namespace mirel::test
