#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace platform {

uint32_t SystemClock::Milliseconds() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t SystemClock::Counter() {
    using namespace std::chrono;
    return uint64_t(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::Sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
SystemClock systemClock;
Clock* current = &systemClock;
} // namespace

Clock& GameClock() {
    return *current;
}

void SetGameClock(Clock* clock) {
    current = clock ? clock : &systemClock;
}

} // namespace platform
