// Plain description of a synthesised sound: global settings and the layers that are mixed into it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sdsynth {

// Oscillator shapes a layer can use; Noise is white noise, sample-and-held at the layer's pitch when it has
// one.
enum class Shape { Sine, Square, Saw, Triangle, Noise };

// Kinds of the resonant filter a layer's events run through.
enum class FilterKind { LowPass, HighPass, BandPass };

// One filter stage; the cutoff glides exponentially from `from` to `to` over each event.
struct FilterDesc {
    FilterKind kind = FilterKind::LowPass;
    double from = 1000.0;
    double to = 1000.0;
    double q = 0.707;
};

// One note of a layer's sequence: when it starts (seconds), its pitch (Hz) and how long its gate is held.
struct NoteEvent {
    double start = 0.0;
    double freq = 0.0;
    double gate = 0.0;
    double level = 1.0;
};

// One voice of a sound: an oscillator with envelope, pitch motion, filters and its own timing.
struct LayerDesc {
    Shape shape = Shape::Sine;
    double freq = 0.0;        // Hz; 0 means the base pitch given by the caller (instruments)
    double ratio = 1.0;       // multiplies the pitch (harmonics, octave layers)
    double detuneCents = 0.0; // fine offset of the pitch
    double duty = 0.5;        // pulse width of Square
    double slideSemis = 0.0;  // pitch glide over slideTime, in semitones (negative falls)
    double slideTime = 0.0;
    double vibRate = 0.0; // vibrato rate (Hz) and depth (semitones)
    double vibSemis = 0.0;
    double amRate = 0.0; // tremolo rate (Hz) and depth (0..1)
    double amDepth = 0.0;
    double attack = 0.002; // envelope: linear attack, curved decay to sustain, curved release (seconds)
    double decay = 0.0;
    double sustain = 1.0;
    double release = 0.01;
    double gate = -1.0;        // seconds the note is held before release; negative holds to the end
    double start = 0.0;        // first event's start time
    double level = 1.0;        // mix level
    double repeatPeriod = 0.0; // retrigger the event every period seconds
    int repeatCount = 1;       // number of events; 0 repeats to the end of the sound
    double seqStep = 0.0;      // note sequence: one note every step seconds, gate = step * seqGate
    double seqGate = 0.8;
    std::vector<double> seqFreqs; // sequence pitches (Hz); 0 is a rest
    std::vector<FilterDesc> filters;
    double drive = 0.0; // soft saturation amount (0 = clean)
    uint32_t seed = 1;  // noise seed, so every build renders the same samples
};

// A whole sound as read from its description file.
struct SoundDesc {
    int rate = 22050;        // samples per second of the output
    double length = 0.5;     // seconds (for loops: the loop length)
    bool loop = false;       // render as a seamless loop starting and ending near zero
    double crossfade = 0.04; // loop crossfade length (seconds)
    double loopStart = -1.0; // where in the rendering the loop is cut out; negative = crossfade
    double peakDb = -1.0;    // the mix is scaled so its peak sits at this level (dBFS)
    double fadeOut = 0.005;  // one-shots: short fade at the very end so they never stop on a step
    std::vector<LayerDesc> layers;
};

} // namespace sdsynth
