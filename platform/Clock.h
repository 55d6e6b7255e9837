// Time as the game reads it: a wrapping 32-bit millisecond clock and a high-resolution counter,
// real or driven by a test.
#pragma once
#include <cstdint>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since some start, wrapping at 2^32.
    virtual uint32_t Milliseconds() = 0;
    // A high-resolution counter and its ticks per second.
    virtual uint64_t Counter() = 0;
    virtual uint64_t CounterFrequency() = 0;
    // Sleeps (or, for a test clock, advances) the given milliseconds.
    virtual void Sleep(uint32_t ms) = 0;
};

// The machine's monotonic clock.
class SystemClock : public Clock {
  public:
    uint32_t Milliseconds() override;
    uint64_t Counter() override;
    uint64_t CounterFrequency() override { return 1000000000ull; }
    void Sleep(uint32_t ms) override;
};

// A clock that only moves when the test says so.
class FakeClock : public Clock {
  public:
    explicit FakeClock(uint32_t startMs = 1000) : ms_(startMs) {}
    uint32_t Milliseconds() override { return ms_; }
    uint64_t Counter() override { return uint64_t(ms_) * 1000000ull; }
    uint64_t CounterFrequency() override { return 1000000000ull; }
    void Sleep(uint32_t ms) override { ms_ += ms; }
    // Moves the clock forward (wrapping like the real one).
    void Advance(uint32_t ms) { ms_ += ms; }
    void Set(uint32_t ms) { ms_ = ms; }

  private:
    uint32_t ms_;
};

// The clock the game uses; the real one unless a test installs its own.
Clock& GameClock();
// Installs a clock (null puts the system clock back).
void SetGameClock(Clock* clock);

} // namespace platform
