// Level statistics of a finished sound: length, peak, loudness and how its ends meet when looped.
#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace sdsynth {

// Measurements of one mono 16-bit sound. Levels are fractions of full scale (1.0 = 32768).
struct SoundStats {
    double seconds = 0.0;
    double peak = 0.0;      // largest magnitude
    double peakDb = -200.0; // the same in dBFS
    double rmsDb = -200.0;  // loudness over the whole sound
    double first = 0.0;     // first and last sample
    double last = 0.0;
    double loopStep = 0.0;    // |first - last|: the jump heard when the sound loops
    double typicalStep = 0.0; // 99th percentile of the sample-to-sample steps inside the sound
};

// Measures samples played at rate samples per second.
SoundStats MeasureSound(const std::vector<int16_t>& samples, int rate);

// Prints the table header, and one row per sound (looped sounds get their loop check in the last column).
void PrintStatsHeader(std::ostream& out);
void PrintStatsRow(std::ostream& out, const std::string& name, const SoundStats& stats, bool looped);

// True when a looped sound starts and ends near zero and its wrap-around step is no bigger than
// the steps inside it, so the loop does not click.
bool LoopsCleanly(const SoundStats& stats);

} // namespace sdsynth
