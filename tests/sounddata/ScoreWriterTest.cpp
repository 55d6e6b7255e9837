// The score reader and XM writer: channel lines land on the rows they say, mistakes are caught with
// their line, and a written module plays its notes in tune through the tracker library.
#include <gtest/gtest.h>
#include <xmp.h>

#include <cmath>

#include "tools/sdsynth/SynthParse.h"
#include "tools/xmwrite/ScoreParse.h"
#include "tools/xmwrite/XmWrite.h"

namespace {

using sdsynth::SynthError;
using xmwrite::Cell;

const char* const kInstruments =
    "channels 2\n"
    "instrument Tone\n base A4\n length 0.3\n sampleloop 0.1 0.15\n layer sine\nend\n"
    "instrument Drum\n length 0.1\n layer noise\n env 0 0.05 0 0\nend\n";

const Cell& At(const xmwrite::Score& s, int pattern, int row, int channel) {
    return s.patterns[static_cast<size_t>(pattern)].cells[static_cast<size_t>(row * s.channels + channel)];
}

TEST(ScoreReader, NotesLengthsGroupsHitsAndCopiedPatternsLandOnTheirRows) {
    const std::string text = std::string(kInstruments) + "pattern A 10\n"
                                                         "1 Tone c4:2 e4 [g4:1 -]x2\n"
                                                         "1 Tone r:2\n"
                                                         "2 Drum =x.o.g -:5\n"
                                                         "pattern B like A\n"
                                                         "2 Drum =.....x...x\n"
                                                         "order A B A\n";
    const xmwrite::Score s = xmwrite::ParseScore(text, "t.score");
    ASSERT_EQ(s.patterns.size(), 2u);
    EXPECT_EQ(s.order, (std::vector<int>{0, 1, 0}));
    // Channel 1: C4 (tracker C-4 = 49) for two rows, E4 for two (the length carries on), then G4 on
    // every other row from the group, and a key off.
    const int notes[10] = {49, 0, 53, 0, 56, 0, 56, 0, xmwrite::kKeyOff, 0};
    for (int row = 0; row < 10; ++row) {
        EXPECT_EQ(At(s, 0, row, 0).note, notes[row]) << "row " << row;
        EXPECT_EQ(At(s, 0, row, 0).instrument, notes[row] && notes[row] != xmwrite::kKeyOff ? 1 : 0)
            << "row " << row;
        EXPECT_EQ(At(s, 1, row, 0).note, notes[row]) << "copied row " << row;
    }
    // Channel 2: hits at full, softer and ghost volume; the copy replaced this channel only.
    EXPECT_EQ(At(s, 0, 0, 1).note, 49);
    EXPECT_EQ(At(s, 0, 0, 1).instrument, 2);
    EXPECT_EQ(At(s, 0, 0, 1).volume, 0);
    EXPECT_EQ(At(s, 0, 2, 1).volume, 0x10 + 40);
    EXPECT_EQ(At(s, 0, 4, 1).volume, 0x10 + 20);
    EXPECT_EQ(At(s, 1, 0, 1).note, 0);
    EXPECT_EQ(At(s, 1, 5, 1).note, 49);
    EXPECT_EQ(At(s, 1, 9, 1).note, 49);
    EXPECT_DOUBLE_EQ(xmwrite::SongSeconds(s), 30 * 6 * 2.5 / 125);
}

TEST(ScoreReader, MistakesAreReportedWithTheirLine) {
    const struct {
        const char* body;
        const char* message;
    } cases[] = {
        {"pattern A 4\n1 Tone c4:5\norder A\n", ":14: channel 1 runs past the 4 rows of pattern 'A'"},
        {"pattern A 4\n1 Tone c4:3\norder A\n", ":15: channel 1 of pattern 'A' fills 3 of its 4 rows"},
        {"pattern A 4\n1 Piano c4:4\norder A\n", ":14: unknown instrument 'Piano'"},
        {"pattern A 4\n3 Tone c4:4\norder A\n", ":14: 'channel' needs a whole number in 1..2"},
        {"pattern A 4\n1 Tone c9:4\norder A\n", ":14: note 'c9' is outside the range C0..B7"},
        {"pattern A 4\n1 Tone h4:4\norder A\n", ":14: 'h4' is not a note"},
        {"pattern A 4\n1 Drum c4:4\norder A\n", ":14: 'Drum' has no 'base' pitch"},
        {"pattern A 4\n1 Drum =x.y.\norder A\n", ":14: a hit line uses x, o, g"},
        {"pattern A 4\n1 Tone [c4:1 -x2\norder A\n", ":14: '[' without ']'"},
        {"pattern A 4\n1 Tone c4:4\norder A Z\n", ":15: order names the unknown pattern 'Z'"},
        {"pattern B like Q\n", ":13: pattern 'Q' is not defined yet"},
        {"pattern A 4\n1 Tone c4:4\n", ": the score has no 'order'"},
        {"instrument Tone\nlayer sine\nend\n", ":13: instrument 'Tone' is defined twice"},
        {"instrument Pad\nlayer saw\n", ": instrument 'Pad' has no 'end'"},
    };
    for (const auto& c : cases) {
        try {
            xmwrite::ParseScore(std::string(kInstruments) + c.body, "t.score");
            ADD_FAILURE() << "accepted: " << c.body;
        } catch (const SynthError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(std::string("t.score") + c.message, 0), 0u) << e.what();
        }
    }
}

// Plays a module from memory and returns its mono output, with the module's restart position and orders.
struct Rendered {
    std::vector<int16_t> samples;
    int restart = -1;
    std::vector<int> orders;
    int channels = 0;
    int instruments = 0;
};

Rendered Render(const std::vector<uint8_t>& module, double seconds) {
    Rendered r;
    xmp_context ctx = xmp_create_context();
    EXPECT_EQ(xmp_load_module_from_memory(ctx, module.data(), static_cast<long>(module.size())), 0);
    xmp_module_info info;
    xmp_get_module_info(ctx, &info);
    r.restart = info.mod->rst;
    r.channels = info.mod->chn;
    r.instruments = info.mod->ins;
    for (int i = 0; i < info.mod->len; ++i)
        r.orders.push_back(info.mod->xxo[i]);
    xmp_start_player(ctx, 44100, XMP_FORMAT_MONO);
    // Smooth interpolation, so the zero crossings follow the pitch without jitter.
    xmp_set_player(ctx, XMP_PLAYER_INTERP, XMP_INTERP_SPLINE);
    xmp_frame_info fi;
    while (r.samples.size() < seconds * 44100 && xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        const auto* s = static_cast<const int16_t*>(fi.buffer);
        r.samples.insert(r.samples.end(), s, s + fi.buffer_size / 2);
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    return r;
}

double MeasureHz(const std::vector<int16_t>& s, double from, double to) {
    const size_t a = static_cast<size_t>(from * 44100), b = static_cast<size_t>(to * 44100);
    int crossings = 0;
    size_t first = 0, last = 0;
    for (size_t i = a + 1; i < b && i < s.size(); ++i)
        if (s[i - 1] < 0 && s[i] >= 0) {
            if (crossings++ == 0) first = i;
            last = i;
        }
    return crossings > 1 ? (crossings - 1) * 44100.0 / static_cast<double>(last - first) : 0.0;
}

TEST(XmWriter, WrittenModulePlaysEachNoteInTuneAndWrapsToItsFirstOrder) {
    // Speed 6 at 125 bpm: a row lasts 0.12 s, so each 16-row note lasts 1.92 s.
    const std::string text = std::string(kInstruments) + "pattern P 48\n"
                                                         "1 Tone a4:16 c3 e6\n"
                                                         "pattern Q 16\n"
                                                         "1 Tone r:16\n"
                                                         "order P Q P\n";
    const auto score = xmwrite::ParseScore(text, "tune.score");
    const Rendered r = Render(xmwrite::BuildXm(score), 5.8);
    EXPECT_EQ(r.restart, 0);
    EXPECT_EQ(r.orders, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(r.instruments, 2);
    // The base note, an octave and a sixth below it, and an octave and a fifth above it.
    const struct {
        double start;
        double hz;
    } notes[] = {{0.0, 440.0}, {1.92, 130.81}, {3.84, 1318.51}};
    for (const auto& n : notes)
        EXPECT_NEAR(MeasureHz(r.samples, n.start + 0.3, n.start + 1.6), n.hz, n.hz * 0.004)
            << "note at " << n.start;
}

} // namespace
