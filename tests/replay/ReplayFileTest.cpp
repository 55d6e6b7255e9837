// A replay file both ways: every field comes back, and damaged or hostile files are refused with a
// message naming what is wrong.
#include "replay/ReplayFile.h"
#include "replay/Hash.h"

#include <gtest/gtest.h>

namespace {

using namespace replay;

// A small race that sets every field to something other than its default.
TReplay SmallReplay() {
    TReplay r;
    r.RulesVersion = 3;
    r.GameVersion = "1.3.0";
    r.DataDigest = 0x0123456789ABCDEFull;
    r.Start.RandomState = 0xDEADBEEF;
    r.Start.Boat = 2;
    r.Start.HoverIndex = -1;
    r.Start.Flags = sfEscWasDown | sfNavArmed | sfCtrlDown;
    r.Start.PreviousInput = 0xF00000001ull;
    r.Start.FreeText = "Go Team";
    r.Start.PlayerName = "Ann";
    for (uint32_t i = 0; i < 130; ++i) {
        TFrame f;
        f.LagCount = i == 70 ? 300 : (i == 71 ? 2 : 1);
        f.CanMove = i != 5;
        f.Input = uint16_t(i < 40 ? fiUp : (i < 100 ? fiUp | fiLeft | fiFire : fiCtrl));
        r.Frames.push_back(f);
    }
    r.Events = {{10, evMinimise, 0}, {12, evHover, 1}, {12, evClick, 1}, {130, evClick, 0}};
    r.Checkpoints = {0xBEEF, 0x1234};
    r.Claimed = {1500, 2, 3, 130, 0xFEDCBA9876543210ull};
    return r;
}

TReadResult Decode(const std::vector<uint8_t>& bytes, const TReadLimits& limits = {}) {
    return DecodeReplay(bytes.data(), bytes.size(), limits);
}

TEST(ReplayFileTest, RoundTripKeepsEveryField) {
    const TReplay original = SmallReplay();
    const std::vector<uint8_t> bytes = EncodeReplay(original);
    ASSERT_FALSE(bytes.empty()) << ReplayProblem(original);
    const TReadResult back = Decode(bytes);
    ASSERT_TRUE(back.Ok) << back.Error;
    EXPECT_EQ(back.Replay, original);
}

} // namespace
