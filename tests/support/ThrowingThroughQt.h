#pragma once

// A test that throws through Qt's event delivery on purpose, to show that the application's
// last-resort handler stops the error, unwinds widget frames built without exception cleanup:
// what those frames held (the mouse event's points) is never freed. Leak checking ignores what
// is allocated while one of these lives; a program never throws that way, its slots are guarded.
#if defined(__SANITIZE_ADDRESS__)
#define TORVEX_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORVEX_LEAK_CHECKS 1
#endif
#endif

#ifdef TORVEX_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>

class ThrowingThroughQt {
public:
    ThrowingThroughQt() { __lsan_disable(); }
    ~ThrowingThroughQt() { __lsan_enable(); }
    ThrowingThroughQt(const ThrowingThroughQt&) = delete;
    ThrowingThroughQt& operator=(const ThrowingThroughQt&) = delete;
};
#else
class ThrowingThroughQt {
public:
    ThrowingThroughQt() {}
    ~ThrowingThroughQt() {}
};
#endif
