// The game's one random generator: a 32-bit linear congruential generator whose sequence,
// together with the order of draws, makes a seed reproduce a whole race.
#pragma once
#include <cstdint>

// Generator state; 0 at program start.
extern uint32_t RandomState;

// Seeds the generator from the high-resolution clock (called once at start-up).
void SeedRandom();
// Steps the generator and returns an integer in 0..n-1 (the high word of state * n); n > 0.
int32_t RandomBelow(int32_t n);
// A uniform draw in [0, 1) with 15 bits of resolution: RandomBelow(32768) / 32768.
double RandomUniform();
