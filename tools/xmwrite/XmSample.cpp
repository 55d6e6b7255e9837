// Instrument sample rendering and tuning.
#include "tools/xmwrite/XmSample.h"

#include <algorithm>
#include <cmath>

#include "tools/sdsynth/Notes.h"
#include "tools/sdsynth/SynthParse.h"
#include "tools/sdsynth/SynthRender.h"

namespace xmwrite {

void TuneFor(double rate, int midi, int& relativeNote, int& finetune) {
    const int xmNote = midi - 11; // 1-based tracker note; C-4 = 49
    const double semis = 12.0 * std::log2(rate / 8363.0) - (xmNote - 49);
    relativeNote = static_cast<int>(std::floor(semis + 0.5));
    finetune = static_cast<int>(std::lround((semis - relativeNote) * 128.0));
    finetune = std::clamp(finetune, -128, 127);
    if (relativeNote < -96 || relativeNote > 95)
        throw sdsynth::SynthError("the sample's pitch is out of the tracker's range");
}

SampleData RenderInstrument(const Instrument& ins) {
    sdsynth::SoundDesc desc = ins.synth;
    SampleData out;
    const double baseHz = sdsynth::MidiToHz(ins.baseMidi);
    double cycle = 0.0; // samples per cycle of the base note (pitched only)
    if (ins.pitched) {
        cycle = std::max(2.0, std::round(desc.rate / baseHz));
        desc.rate = static_cast<int>(std::lround(baseHz * cycle));
    }
    out.rate = desc.rate;
    const size_t total = static_cast<size_t>(std::llround(desc.length * desc.rate));
    std::vector<float> buf =
        sdsynth::RenderLayers(desc, static_cast<double>(total) / desc.rate, ins.pitched ? baseHz : 0.0);
    if (ins.loopStart >= 0.0) {
        size_t start = static_cast<size_t>(std::llround(ins.loopStart * desc.rate));
        size_t length = static_cast<size_t>(std::llround(ins.loopLength * desc.rate));
        if (ins.pitched) {
            // A whole number of cycles, as rendered (the rate was chosen to make a cycle whole).
            const double cycles = std::max(1.0, std::round(static_cast<double>(length) / cycle));
            length = static_cast<size_t>(std::llround(cycles * desc.rate / baseHz));
        }
        length = std::min(length, buf.size() - std::min(buf.size(), start));
        const size_t crossfade =
            std::min({start, length / 2, static_cast<size_t>(desc.crossfade * desc.rate)});
        sdsynth::CrossfadeLoop(buf, start, length, crossfade);
        out.loopStart = static_cast<uint32_t>(start);
        out.loopLength = static_cast<uint32_t>(length);
    } else {
        sdsynth::FadeOutTail(buf, static_cast<size_t>(std::llround(desc.fadeOut * desc.rate)));
    }
    sdsynth::NormalizePeak(buf, desc.peakDb);
    out.pcm = sdsynth::ToPcm16(buf);
    TuneFor(desc.rate, ins.pitched ? ins.baseMidi : 60, out.relativeNote, out.finetune);
    return out;
}

} // namespace xmwrite
