// The rotation table behind rotated drawing: angles in 1/256 of a turn, clockwise on screen.
#pragma once
#include <array>

// Entry i = cos(i x 2 pi / 256), built once on first use.
const std::array<double, 256>& RotationTable();
// Cosine and sine of an angle in 1/256 turns (any integer; taken modulo 256).
double RotationCos(int angle);
double RotationSin(int angle);
