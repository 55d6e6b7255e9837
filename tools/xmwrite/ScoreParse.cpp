// Score reader: header values, instrument blocks, pattern channel lines and the order list.
#include "tools/xmwrite/ScoreParse.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tools/sdsynth/Notes.h"
#include "tools/sdsynth/SynthParse.h"

namespace xmwrite {

using sdsynth::NeedArgs;
using sdsynth::SynthError;

namespace {

int ParseInt(const std::string& text, const std::string& what, int lo, int hi) {
    const double v = sdsynth::ParseNumber(text, what);
    if (v != static_cast<int>(v) || v < lo || v > hi)
        throw SynthError("'" + what + "' needs a whole number in " + std::to_string(lo) + ".." +
                         std::to_string(hi) + ", got '" + text + "'");
    return static_cast<int>(v);
}

// XM note number of a note name; C-4 of the tracker is middle C (MIDI 60).
uint8_t XmNote(const std::string& name) {
    const auto midi = sdsynth::ParseNoteName(name);
    if (!midi) throw SynthError("'" + name + "' is not a note");
    const int n = *midi - 11;
    if (n < 1 || n > 96) throw SynthError("note '" + name + "' is outside the range C0..B7");
    return static_cast<uint8_t>(n);
}

// Splits "[a" and "b]x4" into separate bracket tokens, then expands the repeat groups.
std::vector<std::string> ExpandGroups(const std::vector<std::string>& words) {
    std::vector<std::string> flat;
    for (std::string w : words) {
        while (w.size() > 1 && w[0] == '[') {
            flat.push_back("[");
            w.erase(0, 1);
        }
        const size_t close = w.find(']');
        if (close != std::string::npos && close > 0) {
            flat.push_back(w.substr(0, close));
            w.erase(0, close);
        }
        flat.push_back(w);
    }
    // Expand innermost groups first by walking with a stack of start positions.
    std::vector<std::string> out;
    std::vector<size_t> starts;
    for (const std::string& t : flat) {
        if (t == "[") {
            starts.push_back(out.size());
        } else if (!t.empty() && t[0] == ']') {
            if (starts.empty()) throw SynthError("']' without '['");
            int times = 1;
            if (t.size() > 1) {
                if (t[1] != 'x') throw SynthError("a group ends with ']' or ']xN', not '" + t + "'");
                times = ParseInt(t.substr(2), "]x", 1, 256);
            }
            const size_t from = starts.back();
            starts.pop_back();
            const std::vector<std::string> group(out.begin() + static_cast<long>(from), out.end());
            for (int i = 1; i < times; ++i)
                out.insert(out.end(), group.begin(), group.end());
        } else {
            out.push_back(t);
        }
    }
    if (!starts.empty()) throw SynthError("'[' without ']'");
    return out;
}

// Builds a score line by line.
class ScoreBuilder {
  public:
    void Line(const std::vector<std::string>& w) {
        if (inInstrument_) return InstrumentLine(w);
        const std::string& k = w[0];
        if (k == "title") {
            score_.title.clear();
            for (size_t i = 1; i < w.size(); ++i)
                score_.title += (i > 1 ? " " : "") + w[i];
        } else if (k == "channels") {
            NeedArgs(w, 1, 1);
            if (!score_.patterns.empty()) throw SynthError("'channels' must come before the first pattern");
            score_.channels = ParseInt(w[1], k, 2, 32);
            if (score_.channels % 2) throw SynthError("'channels' must be even");
        } else if (k == "speed") {
            NeedArgs(w, 1, 1);
            score_.speed = ParseInt(w[1], k, 1, 31);
        } else if (k == "bpm") {
            NeedArgs(w, 1, 1);
            score_.bpm = ParseInt(w[1], k, 32, 255);
        } else if (k == "instrument") {
            NeedArgs(w, 1, 1);
            FinishPattern();
            if (instrumentIndex_.count(w[1])) throw SynthError("instrument '" + w[1] + "' is defined twice");
            if (score_.instruments.size() >= 128) throw SynthError("too many instruments (128 at most)");
            Instrument ins;
            ins.name = w[1];
            ins.synth.peakDb = -1.0;
            score_.instruments.push_back(ins);
            inInstrument_ = true;
        } else if (k == "pattern")
            StartPattern(w);
        else if (k == "order") {
            FinishPattern();
            for (size_t i = 1; i < w.size(); ++i) {
                auto it = patternIndex_.find(w[i]);
                if (it == patternIndex_.end())
                    throw SynthError("order names the unknown pattern '" + w[i] + "'");
                score_.order.push_back(it->second);
            }
            if (score_.order.size() > 256) throw SynthError("the order list is longer than 256 entries");
        } else if (!k.empty() && std::isdigit(static_cast<unsigned char>(k[0])))
            ChannelLine(w);
        else
            throw SynthError("unknown keyword '" + k + "'");
    }

    Score Finish() {
        if (inInstrument_)
            throw SynthError("instrument '" + score_.instruments.back().name + "' has no 'end'");
        FinishPattern();
        if (score_.order.empty()) throw SynthError("the score has no 'order'");
        return std::move(score_);
    }

  private:
    void InstrumentLine(const std::vector<std::string>& w) {
        Instrument& ins = score_.instruments.back();
        const std::string& k = w[0];
        if (k == "end") {
            NeedArgs(w, 0, 0);
            sdsynth::ValidateSound(ins.synth);
            if (ins.loopStart >= 0 && ins.loopStart + ins.loopLength > ins.synth.length)
                throw SynthError("the sample loop of '" + ins.name + "' runs past its 'length'");
            if (ins.envelopeSustain >= static_cast<int>(ins.envelope.size()))
                throw SynthError("'volsustain' names a point the envelope does not have");
            instrumentIndex_[ins.name] = static_cast<int>(score_.instruments.size()) - 1;
            inInstrument_ = false;
        } else if (k == "base") {
            NeedArgs(w, 1, 1);
            const auto midi = sdsynth::ParseNoteName(w[1]);
            if (!midi) throw SynthError("'base' needs a note name, got '" + w[1] + "'");
            ins.baseMidi = *midi;
            ins.pitched = true;
        } else if (k == "pitched") {
            NeedArgs(w, 1, 1);
            ins.pitched = ParseInt(w[1], k, 0, 1) == 1;
        } else if (k == "sampleloop") {
            NeedArgs(w, 2, 2);
            ins.loopStart = sdsynth::ParseNumber(w[1], k);
            ins.loopLength = sdsynth::ParseNumber(w[2], k);
            if (ins.loopStart < 0.005 || ins.loopLength < 0.005)
                throw SynthError("'sampleloop' needs a start and a length of at least 0.005 s");
        } else if (k == "volume") {
            NeedArgs(w, 1, 1);
            ins.volume = ParseInt(w[1], k, 0, 64);
        } else if (k == "panning") {
            NeedArgs(w, 1, 1);
            ins.panning = ParseInt(w[1], k, 0, 255);
        } else if (k == "fadeout") {
            NeedArgs(w, 1, 1);
            ins.fadeout = ParseInt(w[1], k, 0, 4095);
        } else if (k == "volsustain") {
            NeedArgs(w, 1, 1);
            ins.envelopeSustain = ParseInt(w[1], k, 0, 11);
        } else if (k == "volenv") {
            NeedArgs(w, 2, 12);
            ins.envelope.clear();
            for (size_t i = 1; i < w.size(); ++i) {
                const size_t colon = w[i].find(':');
                if (colon == std::string::npos)
                    throw SynthError("'volenv' points are TICK:LEVEL, got '" + w[i] + "'");
                const int tick = ParseInt(w[i].substr(0, colon), k, 0, 65535);
                const int level = ParseInt(w[i].substr(colon + 1), k, 0, 64);
                if (!ins.envelope.empty() && tick <= ins.envelope.back().first)
                    throw SynthError("'volenv' ticks must rise from point to point");
                ins.envelope.emplace_back(tick, level);
            }
            if (ins.envelope.front().first != 0) throw SynthError("'volenv' must start at tick 0");
        } else if (k == "autovibrato") {
            NeedArgs(w, 4, 4);
            ins.vibratoType = ParseInt(w[1], k, 0, 3);
            ins.vibratoSweep = ParseInt(w[2], k, 0, 255);
            ins.vibratoDepth = ParseInt(w[3], k, 0, 15);
            ins.vibratoRate = ParseInt(w[4], k, 0, 63);
        } else if (!sdsynth::ApplySoundLine(ins.synth, w)) {
            throw SynthError("unknown instrument keyword '" + k + "'");
        }
    }

    void StartPattern(const std::vector<std::string>& w) {
        FinishPattern();
        NeedArgs(w, 1, 4);
        if (patternIndex_.count(w[1])) throw SynthError("pattern '" + w[1] + "' is defined twice");
        if (score_.patterns.size() >= 256) throw SynthError("too many patterns (256 at most)");
        Pattern p;
        p.name = w[1];
        size_t i = 2;
        if (i < w.size() && w[i] != "like") p.rows = ParseInt(w[i++], "pattern rows", 1, 256);
        const Pattern* copyOf = nullptr;
        if (i < w.size()) {
            if (w[i] != "like" || i + 2 != w.size())
                throw SynthError("a pattern line reads: pattern NAME [ROWS] [like OTHER]");
            auto it = patternIndex_.find(w[i + 1]);
            if (it == patternIndex_.end()) throw SynthError("pattern '" + w[i + 1] + "' is not defined yet");
            copyOf = &score_.patterns[static_cast<size_t>(it->second)];
            if (i == 2)
                p.rows = copyOf->rows;
            else if (p.rows != copyOf->rows)
                throw SynthError("a copied pattern keeps the rows of its original");
        }
        p.cells = copyOf ? copyOf->cells : std::vector<Cell>(static_cast<size_t>(p.rows * score_.channels));
        copied_ = copyOf != nullptr;
        patternIndex_[p.name] = static_cast<int>(score_.patterns.size());
        score_.patterns.push_back(std::move(p));
        inPattern_ = true;
        filled_.assign(static_cast<size_t>(score_.channels), -1);
        lengths_.assign(static_cast<size_t>(score_.channels), 1);
    }

    void FinishPattern() {
        if (!inPattern_) return;
        inPattern_ = false;
        const Pattern& p = score_.patterns.back();
        for (size_t ch = 0; ch < filled_.size(); ++ch)
            if (filled_[ch] >= 0 && filled_[ch] != p.rows)
                throw SynthError("channel " + std::to_string(ch + 1) + " of pattern '" + p.name + "' fills " +
                                 std::to_string(filled_[ch]) + " of its " + std::to_string(p.rows) + " rows");
    }

    void ChannelLine(const std::vector<std::string>& w) {
        if (!inPattern_) throw SynthError("notes come before any 'pattern'");
        if (w.size() < 3) throw SynthError("a channel line reads: CHANNEL INSTRUMENT NOTES...");
        const int ch = ParseInt(w[0], "channel", 1, score_.channels) - 1;
        auto it = instrumentIndex_.find(w[1]);
        if (it == instrumentIndex_.end()) throw SynthError("unknown instrument '" + w[1] + "'");
        const Instrument& ins = score_.instruments[static_cast<size_t>(it->second)];
        const uint8_t insNo = static_cast<uint8_t>(it->second + 1);
        const uint8_t hitNote = static_cast<uint8_t>(ins.baseMidi - 11);
        Pattern& p = score_.patterns.back();
        int& row = filled_[static_cast<size_t>(ch)];
        if (row < 0) {
            row = 0;
            if (copied_)
                for (int r = 0; r < p.rows; ++r)
                    p.cells[static_cast<size_t>(r * score_.channels + ch)] = Cell{};
        }
        auto cellAt = [&](int r) -> Cell& {
            if (r >= p.rows)
                throw SynthError("channel " + std::to_string(ch + 1) + " runs past the " +
                                 std::to_string(p.rows) + " rows of pattern '" + p.name + "'");
            return p.cells[static_cast<size_t>(r * score_.channels + ch)];
        };
        int& length = lengths_[static_cast<size_t>(ch)];
        for (const std::string& t : ExpandGroups({w.begin() + 2, w.end()})) {
            if (t[0] == '=') {
                for (size_t i = 1; i < t.size(); ++i) {
                    const char c = t[i];
                    if (c != '.') {
                        if (c != 'x' && c != 'o' && c != 'g')
                            throw SynthError(std::string("a hit line uses x, o, g and '.', not '") + c + "'");
                        Cell& cell = cellAt(row);
                        cell.note = hitNote;
                        cell.instrument = insNo;
                        cell.volume = c == 'x' ? 0 : static_cast<uint8_t>(0x10 + (c == 'o' ? 40 : 20));
                    }
                    cellAt(row);
                    ++row;
                }
                continue;
            }
            std::string name = t;
            int volume = -1;
            if (const size_t at = name.find('@'); at != std::string::npos) {
                volume = ParseInt(name.substr(at + 1), "@volume", 0, 64);
                name.resize(at);
            }
            if (const size_t colon = name.find(':'); colon != std::string::npos) {
                length = ParseInt(name.substr(colon + 1), "note length", 1, 256);
                name.resize(colon);
            }
            Cell& cell = cellAt(row);
            if (name == "r") {
                cell.note = kKeyOff;
            } else if (name != "-") {
                if (!ins.pitched)
                    throw SynthError("'" + ins.name + "' has no 'base' pitch; play it with '=' hits");
                cell.note = XmNote(name);
                cell.instrument = insNo;
                if (volume >= 0) cell.volume = static_cast<uint8_t>(0x10 + volume);
            }
            cellAt(row + length - 1);
            row += length;
        }
    }

    Score score_;
    std::map<std::string, int> instrumentIndex_;
    std::map<std::string, int> patternIndex_;
    bool inInstrument_ = false;
    bool inPattern_ = false;
    bool copied_ = false;
    std::vector<int> filled_;  // rows written per channel of the current pattern; -1 = not touched
    std::vector<int> lengths_; // per channel: the note length in force, carried from line to line
};

} // namespace

double SongSeconds(const Score& score) {
    double rows = 0;
    for (int p : score.order)
        rows += score.patterns[static_cast<size_t>(p)].rows;
    return rows * score.speed * 2.5 / score.bpm;
}

Score ParseScore(const std::string& text, const std::string& name) {
    ScoreBuilder builder;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    try {
        while (std::getline(in, line)) {
            ++lineNo;
            const auto words = sdsynth::SplitWords(line);
            if (!words.empty()) builder.Line(words);
        }
        lineNo = 0;
        return builder.Finish();
    } catch (const SynthError& e) {
        throw SynthError(name + (lineNo > 0 ? ":" + std::to_string(lineNo) : std::string()) + ": " +
                         e.what());
    }
}

Score LoadScoreFile(const std::string& path) {
    return ParseScore(sdsynth::ReadTextFile(path), path);
}

} // namespace xmwrite
