// Synthesises an instrument's sample and works out the tuning that makes its notes sound at pitch.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/xmwrite/Score.h"

namespace xmwrite {

// A rendered sample with its loop (in samples) and the XM tuning values.
struct SampleData {
    std::vector<int16_t> pcm;
    uint32_t loopStart = 0;
    uint32_t loopLength = 0; // 0: no loop
    int relativeNote = 0;    // semitones, -96..95
    int finetune = 0;        // 1/128 semitone, -128..127
    double rate = 0.0;       // samples per second the sample was rendered at
};

// XM relative note and finetune so that the tracker note matching `midi` plays a sample at `rate`
// samples per second (tracker C-4 = MIDI 60 plays at 8363 Hz without tuning).
void TuneFor(double rate, int midi, int& relativeNote, int& finetune);

// Renders the instrument. Pitched instruments are rendered at a rate holding a whole number of samples
// per cycle of the base note, so the loop (a whole number of cycles, crossfaded) joins without a step.
SampleData RenderInstrument(const Instrument& ins);

} // namespace xmwrite
