// Sound description reader: keywords, their values and the checks on them.
#include "tools/sdsynth/SynthParse.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tools/sdsynth/Notes.h"

namespace sdsynth {

void NeedArgs(const std::vector<std::string>& w, size_t min, size_t max) {
    const size_t n = w.size() - 1;
    if (n < min || n > max) {
        std::string want =
            min == max ? std::to_string(min) : std::to_string(min) + ".." + std::to_string(max);
        throw SynthError("'" + w[0] + "' takes " + want + " value(s), got " + std::to_string(n));
    }
}

namespace {

// A number that must lie in [lo, hi].
double Ranged(const std::string& text, const std::string& keyword, double lo, double hi) {
    const double v = ParseNumber(text, keyword);
    if (v < lo || v > hi) {
        std::ostringstream msg;
        msg << "'" << keyword << "' value " << text << " is outside " << lo << ".." << hi;
        throw SynthError(msg.str());
    }
    return v;
}

Shape ParseShape(const std::string& text) {
    if (text == "sine") return Shape::Sine;
    if (text == "square") return Shape::Square;
    if (text == "saw") return Shape::Saw;
    if (text == "triangle") return Shape::Triangle;
    if (text == "noise") return Shape::Noise;
    throw SynthError("unknown oscillator shape '" + text + "' (sine, square, saw, triangle, noise)");
}

FilterDesc ParseFilter(FilterKind kind, const std::vector<std::string>& w) {
    NeedArgs(w, 1, 3);
    FilterDesc f;
    f.kind = kind;
    f.from = Ranged(w[1], w[0], 10.0, 20000.0);
    f.to = w.size() > 2 ? Ranged(w[2], w[0], 10.0, 20000.0) : f.from;
    if (w.size() > 3) f.q = Ranged(w[3], w[0], 0.1, 30.0);
    return f;
}

LayerDesc& CurrentLayer(SoundDesc& sound, const std::string& keyword) {
    if (sound.layers.empty()) throw SynthError("'" + keyword + "' comes before any 'layer'");
    return sound.layers.back();
}

} // namespace

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string cur;
    for (char c : line) {
        if (c == '#' && cur.empty()) break; // a comment starts a word; "F#4" stays a note
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!cur.empty()) words.push_back(std::move(cur)), cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(std::move(cur));
    return words;
}

double ParseNumber(const std::string& text, const std::string& keyword) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v))
        throw SynthError("'" + keyword + "' expects a number, got '" + text + "'");
    return v;
}

double ParsePitch(const std::string& text, const std::string& keyword) {
    if (auto midi = ParseNoteName(text)) return MidiToHz(*midi);
    const double hz = ParseNumber(text, keyword);
    if (hz < 1.0 || hz > 20000.0)
        throw SynthError("'" + keyword + "' pitch " + text + " is outside 1..20000 Hz");
    return hz;
}

bool ApplySoundLine(SoundDesc& s, const std::vector<std::string>& w) {
    const std::string& k = w[0];
    // Whole-sound settings.
    if (k == "rate") {
        NeedArgs(w, 1, 1);
        s.rate = static_cast<int>(Ranged(w[1], k, 8000, 96000));
        return true;
    }
    if (k == "length") {
        NeedArgs(w, 1, 1);
        s.length = Ranged(w[1], k, 0.001, 30.0);
        return true;
    }
    if (k == "loop") {
        NeedArgs(w, 1, 1);
        s.loop = Ranged(w[1], k, 0, 1) != 0;
        return true;
    }
    if (k == "crossfade") {
        NeedArgs(w, 1, 1);
        s.crossfade = Ranged(w[1], k, 0.0, 2.0);
        return true;
    }
    if (k == "loopstart") {
        NeedArgs(w, 1, 1);
        s.loopStart = Ranged(w[1], k, 0.0, 30.0);
        return true;
    }
    if (k == "peak") {
        NeedArgs(w, 1, 1);
        s.peakDb = Ranged(w[1], k, -40.0, -0.1);
        return true;
    }
    if (k == "fadeout") {
        NeedArgs(w, 1, 1);
        s.fadeOut = Ranged(w[1], k, 0.0, 30.0);
        return true;
    }
    if (k == "layer") {
        NeedArgs(w, 1, 1);
        LayerDesc layer;
        layer.shape = ParseShape(w[1]);
        layer.seed = static_cast<uint32_t>(s.layers.size() * 7919 + 1);
        s.layers.push_back(layer);
        return true;
    }
    // Settings of the current layer.
    static const char* const kLayerWords[] = {
        "freq",  "note",  "ratio",  "detune", "duty",    "slide",    "vibrato",  "tremolo", "env", "gate",
        "start", "level", "repeat", "seq",    "lowpass", "highpass", "bandpass", "drive",   "seed"};
    bool known = false;
    for (const char* lw : kLayerWords)
        known = known || k == lw;
    if (!known) return false;
    LayerDesc& l = CurrentLayer(s, k);
    if (k == "freq" || k == "note") {
        NeedArgs(w, 1, 1);
        l.freq = ParsePitch(w[1], k);
    } else if (k == "ratio") {
        NeedArgs(w, 1, 1);
        l.ratio = Ranged(w[1], k, 0.01, 64.0);
    } else if (k == "detune") {
        NeedArgs(w, 1, 1);
        l.detuneCents = Ranged(w[1], k, -1200.0, 1200.0);
    } else if (k == "duty") {
        NeedArgs(w, 1, 1);
        l.duty = Ranged(w[1], k, 0.01, 0.99);
    } else if (k == "slide") {
        NeedArgs(w, 2, 2);
        l.slideSemis = Ranged(w[1], k, -96.0, 96.0);
        l.slideTime = Ranged(w[2], k, 0.0, 30.0);
    } else if (k == "vibrato") {
        NeedArgs(w, 2, 2);
        l.vibRate = Ranged(w[1], k, 0.0, 100.0);
        l.vibSemis = Ranged(w[2], k, 0.0, 12.0);
    } else if (k == "tremolo") {
        NeedArgs(w, 2, 2);
        l.amRate = Ranged(w[1], k, 0.0, 1000.0);
        l.amDepth = Ranged(w[2], k, 0.0, 1.0);
    } else if (k == "env") {
        NeedArgs(w, 4, 4);
        l.attack = Ranged(w[1], k, 0.0, 30.0);
        l.decay = Ranged(w[2], k, 0.0, 30.0);
        l.sustain = Ranged(w[3], k, 0.0, 1.0);
        l.release = Ranged(w[4], k, 0.0, 30.0);
    } else if (k == "gate") {
        NeedArgs(w, 1, 1);
        l.gate = Ranged(w[1], k, 0.0, 30.0);
    } else if (k == "start") {
        NeedArgs(w, 1, 1);
        l.start = Ranged(w[1], k, 0.0, 30.0);
    } else if (k == "level") {
        NeedArgs(w, 1, 1);
        l.level = Ranged(w[1], k, 0.0, 16.0);
    } else if (k == "repeat") {
        NeedArgs(w, 1, 2);
        l.repeatPeriod = Ranged(w[1], k, 0.001, 30.0);
        l.repeatCount = w.size() > 2 ? static_cast<int>(Ranged(w[2], k, 0, 10000)) : 0;
    } else if (k == "seq") {
        if (w.size() < 4) throw SynthError("'seq' takes a step, a gate fraction and at least one note");
        l.seqStep = Ranged(w[1], k, 0.001, 30.0);
        l.seqGate = Ranged(w[2], k, 0.01, 4.0);
        l.seqFreqs.clear();
        for (size_t i = 3; i < w.size(); ++i)
            l.seqFreqs.push_back(w[i] == "-" ? 0.0 : ParsePitch(w[i], k));
    } else if (k == "lowpass")
        l.filters.push_back(ParseFilter(FilterKind::LowPass, w));
    else if (k == "highpass")
        l.filters.push_back(ParseFilter(FilterKind::HighPass, w));
    else if (k == "bandpass")
        l.filters.push_back(ParseFilter(FilterKind::BandPass, w));
    else if (k == "drive") {
        NeedArgs(w, 1, 1);
        l.drive = Ranged(w[1], k, 0.0, 50.0);
    } else if (k == "seed") {
        NeedArgs(w, 1, 1);
        l.seed = static_cast<uint32_t>(Ranged(w[1], k, 1, 4294967295.0));
    }
    return true;
}

void ValidateSound(const SoundDesc& s) {
    if (s.layers.empty()) throw SynthError("the sound has no 'layer'");
    const double nyquist = s.rate / 2.0;
    for (const LayerDesc& l : s.layers)
        for (const FilterDesc& f : l.filters)
            if (f.from >= nyquist || f.to >= nyquist)
                throw SynthError("a filter cutoff lies at or above half the sample rate");
    if (s.loop) {
        if (s.crossfade * 2 > s.length) throw SynthError("the loop crossfade is longer than half the loop");
        if (s.loopStart >= 0 && s.loopStart < s.crossfade)
            throw SynthError("'loopstart' must leave room for the crossfade before it");
    }
}

SoundDesc ParseSound(const std::string& text, const std::string& name) {
    SoundDesc sound;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    try {
        while (std::getline(in, line)) {
            ++lineNo;
            const auto words = SplitWords(line);
            if (words.empty()) continue;
            if (!ApplySoundLine(sound, words)) throw SynthError("unknown keyword '" + words[0] + "'");
        }
        lineNo = 0;
        ValidateSound(sound);
    } catch (const SynthError& e) {
        throw SynthError(name + (lineNo > 0 ? ":" + std::to_string(lineNo) : std::string()) + ": " +
                         e.what());
    }
    return sound;
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SynthError(path + ": cannot open the file");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SoundDesc LoadSoundFile(const std::string& path) {
    return ParseSound(ReadTextFile(path), path);
}

} // namespace sdsynth
