// Note-name parsing and pitch conversion.
#include "tools/sdsynth/Notes.h"

#include <cctype>
#include <cmath>

namespace sdsynth {

std::optional<int> ParseNoteName(const std::string& text) {
    if (text.size() < 2) return std::nullopt;
    static const int kSemis[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    if (letter < 'a' || letter > 'g') return std::nullopt;
    int semis = kSemis[letter - 'a'];
    size_t i = 1;
    if (text[i] == '#') {
        ++semis;
        ++i;
    } else if (text[i] == 'b' && i + 1 < text.size()) {
        --semis;
        ++i;
    }
    if (i >= text.size()) return std::nullopt;
    bool negative = false;
    if (text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    const int octave = (negative ? -1 : 1) * (text[i] - '0');
    return (octave + 1) * 12 + semis;
}

double MidiToHz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

} // namespace sdsynth
