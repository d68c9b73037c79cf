#pragma once

// QUORVEL_UNDER_ASAN is defined in builds under AddressSanitizer, where the
// time-bounded tests allow for the slower run.
#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_UNDER_ASAN 1
#endif
#endif
