// Frames to runs and runs to bytes: equal frames share a run no longer than a count byte holds, and
// long stalls take the lag escape.
#include "replay/RunLength.h"

#include <gtest/gtest.h>

namespace {

using namespace replay;

std::vector<TFrame> Repeat(std::vector<TFrame> frames, uint32_t count, TFrame f) {
    frames.insert(frames.end(), count, f);
    return frames;
}

TEST(RunLengthTest, EqualFramesShareRunsOfAtMost255) {
    const TFrame up{1, true, fiUp};
    const TFrame upNoMove{1, false, fiUp};
    const TFrame upLag2{2, true, fiUp};
    const TFrame left{1, true, fiLeft};
    struct Case {
        const char* name;
        std::vector<TFrame> frames;
        std::vector<TFrameRun> runs;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"one", {up}, {{1, up}}},
        {"input change", Repeat(Repeat({}, 3, up), 2, left), {{3, up}, {2, left}}},
        {"move flag and lag split runs",
         {up, upNoMove, upLag2, up},
         {{1, up}, {1, upNoMove}, {1, upLag2}, {1, up}}},
        {"exactly 255", Repeat({}, 255, up), {{255, up}}},
        {"600 equal frames", Repeat({}, 600, up), {{255, up}, {255, up}, {90, up}}},
        {"256 then a change", Repeat(Repeat({}, 256, up), 1, left), {{255, up}, {1, up}, {1, left}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToRuns(c.frames), c.runs);
        std::vector<TFrame> back;
        AppendRuns(c.runs, back);
        EXPECT_EQ(back, c.frames);
    }
}

TEST(RunLengthTest, RunBytesAreCountLagAndInputWord) {
    struct Case {
        const char* name;
        TFrameRun run;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"usual frame", {3, {1, true, uint16_t(fiUp | fiFire)}}, {0x03, 0x01, 0x11, 0x80}},
        {"could not move", {255, {1, false, fiCtrl}}, {0xFF, 0x01, 0x00, 0x02}},
        {"lag 254 fits the byte", {1, {254, true, 0}}, {0x01, 0xFE, 0x00, 0x80}},
        {"lag 255 escapes", {1, {255, true, 0}}, {0x01, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x80}},
        {"lag 300 escapes", {2, {300, false, fiNo}}, {0x02, 0xFF, 0x2C, 0x01, 0x00, 0x00, 0x00, 0x01}},
        {"lag 0", {1, {0, true, 0}}, {0x01, 0x00, 0x00, 0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TByteWriter out;
        WriteRun(out, c.run);
        EXPECT_EQ(out.Data(), c.bytes);
        TByteReader in(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(ReadRun(in), c.run);
        EXPECT_FALSE(in.Failed());
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

} // namespace
