#pragma once

// A test that throws through Qt's event delivery on purpose, to show that the application's
// last-resort handler stops the error. While one of these lives, such an escape is expected:
// the test programs fail on any other. Leak checking also ignores what is allocated meanwhile:
// unwinding widget frames built without exception cleanup never frees what they held (the mouse
// event's points); a program never throws that way, its slots are guarded.
#if defined(__SANITIZE_ADDRESS__)
#define TORVEX_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORVEX_LEAK_CHECKS 1
#endif
#endif

#ifdef TORVEX_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

class ThrowingThroughQt {
public:
    ThrowingThroughQt() {
        ++Count();
#ifdef TORVEX_LEAK_CHECKS
        __lsan_disable();
#endif
    }
    ~ThrowingThroughQt() {
#ifdef TORVEX_LEAK_CHECKS
        __lsan_enable();
#endif
        --Count();
    }
    ThrowingThroughQt(const ThrowingThroughQt&) = delete;
    ThrowingThroughQt& operator=(const ThrowingThroughQt&) = delete;

    static bool Active() {
        return Count() > 0;
    }

private:
    static int& Count() {
        static int count = 0;
        return count;
    }
};
