// Note names ("C4", "F#3", "Bb5") to MIDI numbers and frequencies, shared by the sound and score readers.
#pragma once
#include <optional>
#include <string>

namespace sdsynth {

// MIDI note number of a name like "A4" (= 69), "c#5", "Eb2"; nothing when the text is not a note name.
std::optional<int> ParseNoteName(const std::string& text);

// Equal-tempered frequency of a MIDI note (A4 = 440 Hz); fractional notes give the pitches between.
double MidiToHz(double midi);

} // namespace sdsynth
