// Sound statistics and their table.
#include "tools/sdsynth/SoundStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sdsynth {

namespace {

double ToDb(double level) {
    return level > 0.0 ? 20.0 * std::log10(level) : -200.0;
}

} // namespace

SoundStats MeasureSound(const std::vector<int16_t>& samples, int rate) {
    SoundStats s;
    if (samples.empty() || rate <= 0) return s;
    s.seconds = static_cast<double>(samples.size()) / rate;
    double sumSquares = 0.0;
    int peak = 0;
    std::vector<int> steps;
    steps.reserve(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        sumSquares += static_cast<double>(samples[i]) * samples[i];
        if (i > 0) steps.push_back(std::abs(samples[i] - samples[i - 1]));
    }
    s.peak = peak / 32768.0;
    s.peakDb = ToDb(s.peak);
    s.rmsDb = ToDb(std::sqrt(sumSquares / static_cast<double>(samples.size())) / 32768.0);
    s.first = samples.front() / 32768.0;
    s.last = samples.back() / 32768.0;
    s.loopStep = std::fabs(s.first - s.last);
    if (!steps.empty()) {
        const size_t k = steps.size() * 99 / 100;
        std::nth_element(steps.begin(), steps.begin() + static_cast<long>(k), steps.end());
        s.typicalStep = steps[k] / 32768.0;
    }
    return s;
}

bool LoopsCleanly(const SoundStats& s) {
    const double nearZero = 0.01;
    return std::fabs(s.first) <= nearZero && std::fabs(s.last) <= nearZero && s.loopStep <= s.typicalStep;
}

void PrintStatsHeader(std::ostream& out) {
    out << "sound             length  peak dBFS  RMS dBFS   first%    last%  loop step% / p99 step%\n";
}

void PrintStatsRow(std::ostream& out, const std::string& name, const SoundStats& s, bool looped) {
    char line[200];
    std::snprintf(line, sizeof line, "%-16s %6.3fs  %9.2f  %8.2f  %7.3f  %7.3f", name.c_str(), s.seconds,
                  s.peakDb, s.rmsDb, 100.0 * s.first, 100.0 * s.last);
    out << line;
    if (looped) {
        std::snprintf(line, sizeof line, "  %7.3f / %7.3f %s", 100.0 * s.loopStep, 100.0 * s.typicalStep,
                      LoopsCleanly(s) ? "loops cleanly" : "CLICKS");
        out << line;
    } else {
        out << "  (one-shot)";
    }
    out << '\n';
}

} // namespace sdsynth
