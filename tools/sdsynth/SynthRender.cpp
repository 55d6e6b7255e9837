// Oscillators, envelopes, filters and the loop and level finishing of the synthesiser.
#include "tools/sdsynth/SynthRender.h"

#include <algorithm>
#include <cmath>

#include "tools/sdsynth/SynthParse.h"

namespace sdsynth {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Small fast generator with a fixed seed, so builds are repeatable everywhere.
struct NoiseSource {
    uint32_t state;
    double Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483647.5 - 1.0;
    }
};

// Band-limiting correction around a step of a naive saw or square (two-sample polynomial).
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double Frac(double x) {
    return x - std::floor(x);
}

// Two-pole resonant filter (transposed direct form II), coefficients recomputed as the cutoff glides.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;
    void Set(FilterKind kind, double cutoff, double q, double rate) {
        const double w0 = kTwoPi * std::min(cutoff, rate * 0.49) / rate;
        const double c = std::cos(w0), alpha = std::sin(w0) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        switch (kind) {
        case FilterKind::LowPass:
            b0 = (1 - c) / 2;
            b1 = 1 - c;
            b2 = (1 - c) / 2;
            break;
        case FilterKind::HighPass:
            b0 = (1 + c) / 2;
            b1 = -(1 + c);
            b2 = (1 + c) / 2;
            break;
        case FilterKind::BandPass:
            b0 = alpha;
            b1 = 0;
            b2 = -alpha;
            break;
        }
        b0 /= a0;
        b1 /= a0;
        b2 /= a0;
        a1 = -2 * c / a0;
        a2 = (1 - alpha) / a0;
    }
    double Run(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// Envelope level at time t of an event whose gate closes at `gate`.
double EnvelopeAt(const LayerDesc& l, double t, double gate) {
    auto held = [&](double u) {
        if (u < l.attack) return u / l.attack;
        u -= l.attack;
        if (u < l.decay) {
            const double r = 1.0 - u / l.decay;
            return l.sustain + (1.0 - l.sustain) * r * r;
        }
        return l.sustain;
    };
    if (t < gate) return held(t);
    if (l.release <= 0.0) return 0.0;
    const double r = 1.0 - (t - gate) / l.release;
    return r <= 0.0 ? 0.0 : held(gate) * r * r;
}

// The notes a layer plays within [0, seconds).
std::vector<NoteEvent> LayerEvents(const LayerDesc& l, double seconds, double baseHz) {
    const double tune = l.ratio * std::pow(2.0, l.detuneCents / 1200.0);
    std::vector<NoteEvent> pattern;
    double patternLength = 0.0;
    if (!l.seqFreqs.empty()) {
        for (size_t i = 0; i < l.seqFreqs.size(); ++i)
            if (l.seqFreqs[i] > 0.0)
                pattern.push_back({i * l.seqStep, l.seqFreqs[i] * tune, l.seqStep * l.seqGate, 1.0});
        patternLength = l.seqStep * static_cast<double>(l.seqFreqs.size());
    } else {
        const double freq = (l.freq > 0.0 ? l.freq : l.shape == Shape::Noise ? 0.0 : baseHz) * tune;
        pattern.push_back({0.0, freq, l.gate, 1.0});
    }
    const double period = l.repeatPeriod > 0.0 ? l.repeatPeriod : patternLength;
    const int count = l.repeatPeriod > 0.0 ? l.repeatCount : 1;
    std::vector<NoteEvent> events;
    for (int r = 0; count == 0 || r < count; ++r) {
        const double offset = l.start + r * period;
        if (offset >= seconds || (r > 0 && period <= 0.0)) break;
        for (NoteEvent e : pattern) {
            e.start += offset;
            if (e.start >= seconds) continue;
            if (e.gate < 0.0) e.gate = seconds - e.start;
            events.push_back(e);
        }
    }
    return events;
}

// Adds one event of a layer into out.
void RenderEvent(const LayerDesc& l, const NoteEvent& e, int rate, std::vector<float>& out) {
    const size_t first = static_cast<size_t>(std::llround(e.start * rate));
    if (first >= out.size()) return;
    const double duration = e.gate + l.release;
    const size_t count = std::min(out.size() - first, static_cast<size_t>(std::ceil(duration * rate)) + 1);
    std::vector<Biquad> filters(l.filters.size());
    NoiseSource noise{l.seed * 2654435761u + static_cast<uint32_t>(first) * 40503u + 1u};
    double held = noise.Next();
    double phase = 0.0;
    const double driveNorm = l.drive > 0.0 ? std::tanh(l.drive) : 1.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        if (i % 16 == 0) {
            for (size_t k = 0; k < filters.size(); ++k) {
                const FilterDesc& f = l.filters[k];
                const double along = duration > 0.0 ? std::min(t / duration, 1.0) : 0.0;
                filters[k].Set(f.kind, f.from * std::pow(f.to / f.from, along), f.q, rate);
            }
        }
        double semis = l.slideSemis * (l.slideTime > 0.0 ? std::min(t / l.slideTime, 1.0) : 1.0);
        if (l.vibSemis > 0.0) semis += l.vibSemis * std::sin(kTwoPi * l.vibRate * t);
        const double dt = std::min(e.freq * std::pow(2.0, semis / 12.0) / rate, 0.5);
        double v = 0.0;
        switch (l.shape) {
        case Shape::Sine:
            v = std::sin(kTwoPi * phase);
            break;
        case Shape::Triangle:
            v = 4.0 * std::fabs(Frac(phase + 0.75) - 0.5) - 1.0;
            break;
        case Shape::Saw: {
            const double q = Frac(phase + 0.5);
            v = 2.0 * q - 1.0 - PolyBlep(q, dt);
            break;
        }
        case Shape::Square: {
            const double q = Frac(phase);
            v = (q < l.duty ? 1.0 : -1.0) + PolyBlep(q, dt) - PolyBlep(Frac(q + 1.0 - l.duty), dt);
            break;
        }
        case Shape::Noise:
            if (e.freq <= 0.0) held = noise.Next();
            v = held;
            break;
        }
        phase += dt;
        if (phase >= 1.0) {
            phase -= 1.0;
            if (l.shape == Shape::Noise) held = noise.Next();
        }
        double amp = EnvelopeAt(l, t, e.gate) * e.level;
        if (l.amDepth > 0.0) amp *= 1.0 - l.amDepth * (0.5 - 0.5 * std::cos(kTwoPi * l.amRate * t));
        v *= amp;
        for (Biquad& f : filters)
            v = f.Run(v);
        if (l.drive > 0.0) v = std::tanh(l.drive * v) / driveNorm;
        out[first + i] += static_cast<float>(v * l.level);
    }
}

} // namespace

std::vector<float> RenderLayers(const SoundDesc& sound, double seconds, double baseHz) {
    std::vector<float> out(static_cast<size_t>(std::llround(seconds * sound.rate)), 0.0f);
    for (const LayerDesc& l : sound.layers) {
        if (l.freq <= 0.0 && l.seqFreqs.empty() && baseHz <= 0.0 && l.shape != Shape::Noise)
            throw SynthError("a layer has no pitch ('freq', 'note' or 'seq')");
        for (const NoteEvent& e : LayerEvents(l, seconds, baseHz))
            RenderEvent(l, e, sound.rate, out);
    }
    return out;
}

void CrossfadeLoop(std::vector<float>& buf, size_t loopStart, size_t loopLength, size_t crossfade) {
    if (crossfade > loopStart || crossfade > loopLength || loopStart + loopLength > buf.size())
        throw SynthError("the loop window does not fit the rendered sound");
    buf.resize(loopStart + loopLength);
    const size_t tail = loopStart + loopLength - crossfade;
    for (size_t i = 0; i < crossfade; ++i) {
        const float w = (static_cast<float>(i) + 0.5f) / static_cast<float>(crossfade);
        buf[tail + i] = buf[tail + i] * (1.0f - w) + buf[loopStart - crossfade + i] * w;
    }
}

void RotateToZeroCrossing(std::vector<float>& loop, size_t window) {
    const size_t n = loop.size();
    if (n < 2) return;
    window = std::min(window, n / 2);
    size_t best = 0;
    double bestScore = 1e9;
    auto at = [&](long i) {
        return loop[static_cast<size_t>((i % static_cast<long>(n) + static_cast<long>(n)) %
                                        static_cast<long>(n))];
    };
    for (long d = -static_cast<long>(window); d <= static_cast<long>(window); ++d) {
        const float prev = at(d - 1), cur = at(d);
        const bool crosses = (prev <= 0.0f && cur >= 0.0f) || (prev >= 0.0f && cur <= 0.0f);
        // Prefer a real sign change, then the smallest step, then the closest to the old start.
        const double score = (crosses ? 0.0 : 10.0) + std::fabs(prev) + std::fabs(cur) + 1e-7 * std::labs(d);
        if (score < bestScore) {
            bestScore = score;
            best =
                static_cast<size_t>((d % static_cast<long>(n) + static_cast<long>(n)) % static_cast<long>(n));
        }
    }
    std::rotate(loop.begin(), loop.begin() + static_cast<long>(best), loop.end());
}

void FadeOutTail(std::vector<float>& buf, size_t samples) {
    samples = std::min(buf.size(), samples);
    for (size_t i = 0; i < samples; ++i)
        buf[buf.size() - samples + i] *= static_cast<float>(samples - 1 - i) / static_cast<float>(samples);
}

void NormalizePeak(std::vector<float>& buf, double peakDb) {
    float peak = 0.0f;
    for (float v : buf)
        peak = std::max(peak, std::fabs(v));
    if (peak < 1e-9f) throw SynthError("the sound is silent");
    const float gain = static_cast<float>(std::pow(10.0, peakDb / 20.0)) / peak;
    for (float& v : buf)
        v *= gain;
}

std::vector<float> RenderSound(const SoundDesc& sound, double baseHz) {
    ValidateSound(sound);
    const size_t length = static_cast<size_t>(std::llround(sound.length * sound.rate));
    if (!sound.loop) {
        std::vector<float> buf = RenderLayers(sound, sound.length, baseHz);
        FadeOutTail(buf, static_cast<size_t>(std::llround(sound.fadeOut * sound.rate)));
        NormalizePeak(buf, sound.peakDb);
        return buf;
    }
    const size_t crossfade = static_cast<size_t>(std::llround(sound.crossfade * sound.rate));
    const size_t start =
        sound.loopStart >= 0.0 ? static_cast<size_t>(std::llround(sound.loopStart * sound.rate)) : crossfade;
    std::vector<float> buf = RenderLayers(sound, static_cast<double>(start + length) / sound.rate, baseHz);
    CrossfadeLoop(buf, start, length, crossfade);
    buf.erase(buf.begin(), buf.begin() + static_cast<long>(start));
    NormalizePeak(buf, sound.peakDb);
    RotateToZeroCrossing(buf, static_cast<size_t>(sound.rate / 50));
    return buf;
}

std::vector<int16_t> ToPcm16(const std::vector<float>& buf) {
    std::vector<int16_t> pcm(buf.size());
    for (size_t i = 0; i < buf.size(); ++i) {
        const long v = std::lround(static_cast<double>(buf[i]) * 32767.0);
        pcm[i] = static_cast<int16_t>(std::clamp(v, -32768L, 32767L));
    }
    return pcm;
}

} // namespace sdsynth
