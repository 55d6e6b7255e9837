// Reader of the sound description text: one keyword and its values per line, '#' starts a comment.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/sdsynth/SynthDesc.h"

namespace sdsynth {

// A description that cannot be used; the message names the file and line when they are known.
class SynthError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Splits one line into words, dropping everything from a word that starts with '#' on.
std::vector<std::string> SplitWords(const std::string& line);

// Throws SynthError ("'kw' takes 1..2 value(s), got 3") unless the words of a line (the keyword
// first) hold between min and max values after the keyword. The score writer checks its lines
// the same way.
void NeedArgs(const std::vector<std::string>& w, size_t min, size_t max);

// A finite number, or SynthError naming the keyword it belongs to.
double ParseNumber(const std::string& text, const std::string& keyword);

// A pitch written as Hz ("440") or as a note name ("A4").
double ParsePitch(const std::string& text, const std::string& keyword);

// Applies one line (already split) to the sound: global keywords, "layer SHAPE" to start a layer, or a
// keyword of the current layer. Returns false for a keyword it does not know; throws on bad values.
// Used by the sound reader and by the score reader for instrument blocks.
bool ApplySoundLine(SoundDesc& sound, const std::vector<std::string>& words);

// Reads a whole description; errors carry "name:line: ".
SoundDesc ParseSound(const std::string& text, const std::string& name);

// Reads a description file from disk.
SoundDesc LoadSoundFile(const std::string& path);
// The whole of a text file; SynthError "<path>: cannot open the file" when it cannot be read.
std::string ReadTextFile(const std::string& path);

// Checks the values that only make sense together (lengths, loop window); throws SynthError.
void ValidateSound(const SoundDesc& sound);

} // namespace sdsynth
