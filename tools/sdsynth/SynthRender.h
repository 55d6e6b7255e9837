// The synthesiser: turns a sound description into samples (floats in -1..1, then 16-bit PCM).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/sdsynth/SynthDesc.h"

namespace sdsynth {

// Mixes every layer of the sound over `seconds`, without normalising; tone layers without their own pitch
// sound at baseHz (noise layers without one stay white). Used for sound effects and for the score
// writer's instrument samples.
std::vector<float> RenderLayers(const SoundDesc& sound, double seconds, double baseHz);

// Renders the finished sound: mixed, scaled to its peak level and either faded out (one-shots) or cut
// into a seamless loop that starts on a zero crossing. Throws SynthError when the result is silent.
std::vector<float> RenderSound(const SoundDesc& sound, double baseHz = 0.0);

// Shortens buf to loopStart + loopLength samples and crossfades the last `crossfade` samples of the loop
// into the ones just before loopStart, so playing on from the end back to loopStart has no step.
// Needs loopStart >= crossfade and buf long enough; throws SynthError otherwise.
void CrossfadeLoop(std::vector<float>& buf, size_t loopStart, size_t loopLength, size_t crossfade);

// Turns a circular loop so it starts on the zero crossing closest to its current start (within window
// samples either way); the loop itself is unchanged, only its first sample moves.
void RotateToZeroCrossing(std::vector<float>& loop, size_t window);

// Fades the last `samples` samples of buf linearly down to an exact zero at the very end.
void FadeOutTail(std::vector<float>& buf, size_t samples);

// Scales buf so its largest magnitude is peakDb dBFS; throws SynthError for a silent buffer.
void NormalizePeak(std::vector<float>& buf, double peakDb);

// Rounds floats to 16-bit samples (clamped to the 16-bit range).
std::vector<int16_t> ToPcm16(const std::vector<float>& buf);

} // namespace sdsynth
