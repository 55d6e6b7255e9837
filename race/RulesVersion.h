// The version of the race's rules that a recorded race was played under.
#pragma once
#include <cstdint>

// Raise this by one with any change that alters what a race does from the same start and input
// (physics, spawning, collisions, scoring, timings, the random generator, the heading table), and
// record the committed replays again: a replay made under other rules cannot re-simulate, and the
// verifier refuses it by this number instead of reporting a false mismatch.
constexpr uint32_t RulesVersion = 1;
