#include "race/Random.h"

#include "platform/Clock.h"

uint32_t RandomState = 0;

void SeedRandom() {
    // The low 32 bits of the high-resolution counter. It comes from the game's clock, so a test
    // that drives a fake clock gets the same seed, and the same race, every time.
    RandomState = static_cast<uint32_t>(platform::GameClock().Counter());
}

int32_t RandomBelow(int32_t n) {
    RandomState = RandomState * 134775813u + 1u; // wraps mod 2^32
    // A range that is empty (a picture wider than the bank it goes on) still steps the state, so
    // the draws that follow stay in step, but yields 0 instead of a wrapped-around huge value.
    if (n <= 0) return 0;
    uint64_t product = static_cast<uint64_t>(RandomState) * static_cast<uint32_t>(n);
    return static_cast<int32_t>(product >> 32);
}

double RandomUniform() {
    return RandomBelow(32768) / 32768.0;
}
