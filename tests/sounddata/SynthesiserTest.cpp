// The sound synthesiser: description errors point at their line, pitches and levels come out as written,
// loops join cleanly, renders repeat exactly, and WAV files survive a round trip.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/sdsynth/Notes.h"
#include "tools/sdsynth/SoundStats.h"
#include "tools/sdsynth/SynthParse.h"
#include "tools/sdsynth/SynthRender.h"
#include "tools/sdsynth/WavFile.h"

namespace {

using sdsynth::SynthError;

// Rising zero crossings per second of the samples in [from, to).
double MeasureHz(const std::vector<float>& s, size_t from, size_t to, int rate) {
    int crossings = 0;
    size_t first = 0, last = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (s[i - 1] < 0.0f && s[i] >= 0.0f) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first)
                         : 0.0;
}

TEST(NoteNames, ReadLettersAccidentalsAndOctaves) {
    const struct {
        const char* text;
        int midi;
    } good[] = {
        {"A4", 69}, {"C4", 60}, {"c4", 60}, {"F#3", 54}, {"Bb2", 46}, {"bb1", 34}, {"B7", 107}, {"C-1", 0},
    };
    for (const auto& c : good)
        EXPECT_EQ(sdsynth::ParseNoteName(c.text), c.midi) << c.text;
    for (const char* bad : {"", "A", "H2", "C#", "A10", "4", "Cb", "E##4"})
        EXPECT_FALSE(sdsynth::ParseNoteName(bad).has_value()) << bad;
    EXPECT_DOUBLE_EQ(sdsynth::MidiToHz(69), 440.0);
    EXPECT_NEAR(sdsynth::MidiToHz(60), 261.626, 0.001);
}

TEST(SoundDescription, MistakesAreReportedWithFileAndLine) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"layer sine\nfreq 440\nwobble 3\n", "t.sd:3: unknown keyword 'wobble'"},
        {"freq 440\n", "t.sd:1: 'freq' comes before any 'layer'"},
        {"layer sine\nfreq loud\n", "t.sd:2: 'freq' expects a number, got 'loud'"},
        {"layer sine\n  freq 440 # comment\nenv 0 0 2 0\n", "t.sd:3: 'env' value 2 is outside 0..1"},
        {"layer triangle\nslide 3\n", "t.sd:2: 'slide' takes 2 value(s), got 1"},
        {"layer sine\nseq 0.1 0.5\n", "t.sd:2: 'seq' takes a step"},
        {"layer pink\n", "t.sd:1: unknown oscillator shape 'pink'"},
        {"rate 8000\nlayer noise\nlowpass 5000\n",
         "t.sd: a filter cutoff lies at or above half the sample rate"},
        {"length 0.1\nloop 1\ncrossfade 0.08\nlayer sine\nfreq 100\n", "t.sd: the loop crossfade is longer"},
        {"# nothing but a comment\n", "t.sd: the sound has no 'layer'"},
    };
    for (const auto& c : cases) {
        try {
            sdsynth::ParseSound(c.text, "t.sd");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const SynthError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
    }
}

TEST(Synthesiser, ToneSoundsAtItsPitchAndPeakLevel) {
    const auto desc = sdsynth::ParseSound("length 1\npeak -6\nlayer sine\nnote A4\n", "a.sd");
    const auto s = sdsynth::RenderSound(desc);
    ASSERT_EQ(s.size(), 22050u);
    EXPECT_NEAR(MeasureHz(s, 0, s.size(), 22050), 440.0, 0.5);
    float peak = 0;
    for (float v : s)
        peak = std::max(peak, std::fabs(v));
    EXPECT_NEAR(peak, std::pow(10.0, -6.0 / 20.0), 1e-4);
    EXPECT_EQ(s.back(), 0.0f) << "a one-shot fades to silence";
}

TEST(Synthesiser, PitchSlideAndSequenceReachTheirNotes) {
    // An octave glide over the first half, then held: the second half sounds an octave up.
    const auto glide =
        sdsynth::RenderSound(sdsynth::ParseSound("length 1\nlayer sine\nfreq 200\nslide 12 0.5\n", "g"));
    EXPECT_NEAR(MeasureHz(glide, 11025, 22050, 22050), 400.0, 1.0);
    // A two-note sequence: each step sounds its own pitch.
    const auto seq =
        sdsynth::RenderSound(sdsynth::ParseSound("length 1\nlayer sine\nseq 0.5 1 A3 A5\n", "s"));
    EXPECT_NEAR(MeasureHz(seq, 1000, 10000, 22050), 220.0, 1.0);
    EXPECT_NEAR(MeasureHz(seq, 12000, 21000, 22050), 880.0, 2.0);
}

TEST(Synthesiser, LoopOfUnevenNoisyMaterialStartsNearZeroAndJoinsWithoutAClick) {
    // Neither the 97 Hz saw nor the 7 Hz tremolo fits the loop a whole number of times, so only the
    // crossfade and the zero-crossing start make the join seamless.
    const char* text = "length 0.5\nloop 1\ncrossfade 0.05\npeak -3\n"
                       "layer saw\nfreq 97\ntremolo 7 0.5\nlowpass 2000\n"
                       "layer noise\nlevel 0.4\nbandpass 1200 1200 1\n";
    const auto loop = sdsynth::RenderSound(sdsynth::ParseSound(text, "l"));
    EXPECT_EQ(loop.size(), 11025u);
    const auto stats = sdsynth::MeasureSound(sdsynth::ToPcm16(loop), 22050);
    EXPECT_TRUE(sdsynth::LoopsCleanly(stats)) << stats.first << " " << stats.last << " " << stats.typicalStep;
    EXPECT_NEAR(stats.peakDb, -3.0, 0.05);
}

TEST(Synthesiser, RendersRepeatExactlyAndSeedsChangeTheNoise) {
    const std::string text = "length 0.3\nlayer noise\nlowpass 3000 500\nrepeat 0.1\nenv 0 0.08 0 0\n";
    const auto a = sdsynth::RenderSound(sdsynth::ParseSound(text, "n"));
    EXPECT_EQ(a, sdsynth::RenderSound(sdsynth::ParseSound(text, "n")));
    EXPECT_NE(a, sdsynth::RenderSound(sdsynth::ParseSound(text + "seed 99\n", "n")));
}

TEST(Synthesiser, SilentSoundIsAnError) {
    EXPECT_THROW(sdsynth::RenderSound(sdsynth::ParseSound("layer sine\nfreq 100\nlevel 0\n", "z")),
                 SynthError);
}

TEST(WavFile, RoundTripsAndRefusesWhatItCannotRead) {
    sdsynth::Pcm16 pcm;
    pcm.rate = 11025;
    pcm.samples = {0, 1, -1, 32767, -32768, 1234};
    const auto bytes = sdsynth::EncodeWav(pcm);
    ASSERT_EQ(bytes.size(), 44u + 12u);
    const auto back = sdsynth::DecodeWav(bytes);
    EXPECT_EQ(back.rate, 11025);
    EXPECT_EQ(back.samples, pcm.samples);

    // A chunk of another kind before the samples is skipped.
    auto withList = bytes;
    const uint8_t list[] = {'L', 'I', 'S', 'T', 2, 0, 0, 0, 'x', 'y'};
    withList.insert(withList.begin() + 36, std::begin(list), std::end(list));
    EXPECT_EQ(sdsynth::DecodeWav(withList).samples, pcm.samples);

    auto stereo = bytes;
    stereo[22] = 2;
    auto eightBit = bytes;
    eightBit[34] = 8;
    auto notRiff = bytes;
    notRiff[0] = 'X';
    const std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 3);
    const std::vector<uint8_t> headerOnly(bytes.begin(), bytes.begin() + 10);
    for (const auto& bad : {stereo, eightBit, notRiff, cut, headerOnly})
        EXPECT_THROW(sdsynth::DecodeWav(bad), SynthError);
}

} // namespace
