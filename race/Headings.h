// The sine and cosine of every tilt the boat can take, as fixed values: the race must give the
// same result on every machine and C library, and a recorded race must re-simulate exactly.
#pragma once
#include <cstdint>

// The tilts a boat can take (Heading, in 1/256 of a full turn).
constexpr int32_t MinHeading = -25;
constexpr int32_t MaxHeading = 25;

// sin / cos of Heading x AngleUnit, to the bit what this game's C library gave when the table was
// made. A tilt outside MinHeading..MaxHeading (the boat's rules never make one) is computed by the
// C library as before, so such a value still behaves as it always did.
double HeadingSin(int32_t heading);
double HeadingCos(int32_t heading);
