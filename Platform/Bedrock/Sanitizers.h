// Whether this build runs under AddressSanitizer or ThreadSanitizer: GCC says so by a macro of its
// own, clang (before 16) only by a feature test.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define ZENTOR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZENTOR_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define ZENTOR_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZENTOR_THREAD_SANITIZER 1
#endif
#endif
