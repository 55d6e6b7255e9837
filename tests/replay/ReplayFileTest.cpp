// A replay file both ways: every field comes back, and damaged or hostile files are refused with a
// message naming what is wrong.
#include "replay/ReplayFile.h"
#include "replay/Hash.h"

#include <gtest/gtest.h>

#include <cstdio>

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

// A tiny race, byte by byte as docs/REPLAYS.md shows it: 65 frames (one checkpoint), one event.
TReplay TinyReplay() {
    TReplay r;
    r.RulesVersion = 1;
    r.GameVersion = "1.3.0";
    r.DataDigest = 0x1122334455667788ull;
    r.Start.RandomState = 0x12345678;
    r.Start.Boat = 1;
    r.Start.HoverIndex = 2;
    r.Start.Flags = sfNavArmed;
    r.Start.PreviousInput = 3;
    r.Start.FreeText = "_______";
    r.Start.PlayerName = "AB";
    r.Frames.assign(64, TFrame{1, true, fiUp});
    r.Frames.push_back(TFrame{2, false, 0});
    r.Events = {{64, evMinimise, 0}};
    r.Checkpoints = {0xABCD};
    r.Claimed = {1500, 1, 3, 65, 0x0102030405060708ull};
    return r;
}

const std::vector<uint8_t> TinyBytes = {
    'S',  'D',  'R',  'P',  0x0D, 0x0A, 0x1A, 0x0A,       // 0 magic
    0x01, 0x00,                                           // 8 format version 1
    0x01, 0x00, 0x00, 0x00,                               // 10 rules version 1
    0x05, '1',  '.',  '3',  '.',  '0',                    // 14 game version
    0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11,       // 20 data digest
    0x78, 0x56, 0x34, 0x12,                               // 28 random state
    0x01,                                                 // 32 boat
    0x02, 0x00, 0x00, 0x00,                               // 33 hover index
    0x10, 0x00, 0x00, 0x00,                               // 37 flags: NavArmed
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,       // 41 previous input
    0x07, '_',  '_',  '_',  '_',  '_',  '_',  '_',        // 49 free text
    0x02, 'A',  'B',                                      // 57 player name
    0xDC, 0x05, 0x00, 0x00,                               // 60 score 1500
    0x01, 0x00, 0x00, 0x00,                               // 64 level
    0x03, 0x00, 0x00, 0x00,                               // 68 lives
    0x41, 0x00, 0x00, 0x00,                               // 72 frames 65
    0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,       // 76 final hash
    0x02, 0x00, 0x00, 0x00,                               // 84 run count
    0x40, 0x01, 0x01, 0x80,                               // 88 64 frames, lag 1, Up, moved
    0x01, 0x02, 0x00, 0x00,                               // 92 1 frame, lag 2, nothing, not moved
    0x01, 0x00, 0x00, 0x00,                               // 96 event count
    0x40, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, // 100 before frame 64: minimise
    0x01, 0x00, 0x00, 0x00,                               // 109 checkpoint count
    0xCD, 0xAB,                                           // 113 checkpoint
    0x8D, 0x2B, 0xB3, 0xDC,                               // 115 CRC-32 (zlib.crc32 of bytes 0..114)
};

// Where each part of TinyBytes starts, for cutting it short.
struct TSection {
    size_t start;
    const char* name;
};
const TSection TinySections[] = {
    {10, "the rules version"}, {14, "the game version"}, {20, "the data digest"},    {28, "the start state"},
    {49, "the free text"},     {57, "the player name"},  {60, "the claimed result"}, {84, "the frame runs"},
    {96, "the events"},        {109, "the checkpoints"},
};

// Writes a fresh checksum over everything before the last four bytes, as a careful forger would.
std::vector<uint8_t> Reseal(std::vector<uint8_t> bytes) {
    const uint32_t crc = Crc32(bytes.data(), bytes.size() - 4);
    for (int k = 0; k < 4; ++k)
        bytes[bytes.size() - 4 + size_t(k)] = uint8_t(crc >> (8 * k));
    return bytes;
}

std::vector<uint8_t> PutU32(std::vector<uint8_t> bytes, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        bytes[at + size_t(k)] = uint8_t(v >> (8 * k));
    return bytes;
}

std::vector<uint8_t> Put(std::vector<uint8_t> bytes, size_t at, uint8_t v) {
    bytes[at] = v;
    return bytes;
}

std::vector<uint8_t> Insert(std::vector<uint8_t> bytes, size_t at, std::vector<uint8_t> more) {
    bytes.insert(bytes.begin() + long(at), more.begin(), more.end());
    return bytes;
}

TEST(ReplayFileTest, TinyReplayHasTheDocumentedBytes) {
    EXPECT_EQ(EncodeReplay(TinyReplay()), TinyBytes);
    const TReadResult back = Decode(TinyBytes);
    ASSERT_TRUE(back.Ok) << back.Error;
    EXPECT_EQ(back.Replay, TinyReplay());
}

TEST(ReplayFileTest, MalformedFilesAreRefusedWithWhatIsWrong) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string error;
        TReadLimits limits = {};
    };
    TReadLimits small;
    small.MaxFileSize = 100;
    TReadLimits fewFrames;
    fewFrames.MaxFrames = 64;
    const std::vector<uint8_t> t = TinyBytes;
    const std::string longText(65, 'x');
    const Case cases[] = {
        {"empty", {}, "truncated in the magic"},
        {"cut in the magic", {'S', 'D', 'R'}, "truncated in the magic"},
        {"bad magic", Reseal(Put(t, 0, 'X')), "not a replay file (bad magic)"},
        {"text-mode copy", Reseal(Put(t, 5, 0x0D)), "not a replay file (bad magic)"},
        {"cut in the version", std::vector<uint8_t>(t.begin(), t.begin() + 9),
         "truncated in the format version"},
        {"unknown version", Reseal(Put(t, 8, 7)), "unknown format version 7"},
        {"too short for a checksum", std::vector<uint8_t>(t.begin(), t.begin() + 13),
         "truncated in the checksum"},
        {"bad checksum", Put(t, 118, 0xDD),
         "checksum mismatch (stored 0xDDB32B8D, contents give 0xDCB32B8D)"},
        {"over the size limit", t, "file of 119 bytes over the limit of 100", small},
        {"boat 7", Reseal(Put(t, 32, 7)), "boat 7 is not 1, 2 or 3"},
        {"boat 0", Reseal(Put(t, 32, 0)), "boat 0 is not 1, 2 or 3"},
        {"unknown start flag", Reseal(Put(t, 37, 0x90)), "unknown start flags 0x80"},
        {"previous input bit 36", Reseal(Put(t, 45, 0x10)),
         "previous input states beyond the 36 the input keeps"},
        {"free text too long", Reseal(Insert(Put(t, 49, 65), 50, std::vector<uint8_t>(58, 'x'))),
         "free text too long (65 bytes, at most 64)"},
        {"control character in the name", Reseal(Put(t, 59, '\n')), "player name holds a control character"},
        {"frames over the hard limit", Reseal(PutU32(t, 72, 9999999)),
         "frame count 9999999 over the limit 5760000"},
        {"frames over a reader's limit", t, "frame count 65 over the limit 64", fewFrames},
        {"run count over the bytes left", Reseal(PutU32(t, 84, 7)),
         "truncated in the frame runs: run count 7 needs more than the 27 bytes left"},
        {"run count over the frames", Reseal(PutU32(PutU32(t, 72, 1), 84, 2)),
         "run count 2 over the frames 1"},
        {"run of length 0", Reseal(Put(t, 92, 0)), "frame run 1 has length 0"},
        {"unknown input bit", Reseal(Put(t, 91, 0x84)), "frame run 0 has unknown input bits 0x0400"},
        {"runs short of the claim", Reseal(Put(t, 88, 63)),
         "frame runs hold 64 frames, the result claims 65"},
        {"runs over the claim", Reseal(Put(t, 92, 2)), "frame runs hold 66 frames, the result claims 65"},
        {"event count over the limit", Reseal(PutU32(t, 96, 5000)), "event count 5000 over the limit 4096"},
        {"event count over the bytes left", Reseal(PutU32(t, 96, 2)),
         "truncated in the events: event count 2 needs more than the 15 bytes left"},
        {"unknown event kind", Reseal(Put(t, 104, 9)), "event 0 has unknown kind 9"},
        {"event kind 0", Reseal(Put(t, 104, 0)), "event 0 has unknown kind 0"},
        {"event past the last frame", Reseal(PutU32(t, 100, 66)),
         "event 0 at frame 66 past the last frame 65"},
        {"events out of order", Reseal(Insert(PutU32(t, 96, 2), 109, {10, 0, 0, 0, 1, 0, 0, 0, 0})),
         "events out of order: event 1 at frame 10 after frame 64"},
        {"too few checkpoints", Reseal(Insert(PutU32(t, 109, 0), 113, {})),
         "checkpoint count 0 for 65 frames (should be 1)"},
        {"checkpoint count over the bytes left", Reseal(PutU32(t, 109, 5)),
         "truncated in the checkpoints: checkpoint count 5 needs more than the 2 bytes left"},
        {"bytes after the checkpoints", Reseal(Insert(t, 115, {0})),
         "unread bytes after the checkpoints (1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TReadResult r = Decode(c.bytes, c.limits);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Error, c.error);
    }
}

TEST(ReplayFileTest, EventAfterTheLastFrameIsTheAnswerThatEndsTheRace) {
    const TReadResult r = Decode(Reseal(PutU32(TinyBytes, 100, 65)));
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(r.Replay.Events[0].Frame, 65u);
}

TEST(ReplayFileTest, EveryCutIsRefusedAndASealedCutNamesItsSection) {
    for (size_t n = 0; n < TinyBytes.size(); ++n) {
        SCOPED_TRACE(n);
        std::vector<uint8_t> cut(TinyBytes.begin(), TinyBytes.begin() + long(n));
        const TReadResult plain = Decode(cut);
        EXPECT_FALSE(plain.Ok);
        EXPECT_FALSE(plain.Error.empty());
        // Below 10 there is no room for a checksum after the magic and version; from 115 on the cut
        // is in the checksum itself.
        if (n < 10 || n >= 115) continue;
        // The same cut with a checksum that fits it: only the structure can tell.
        cut.resize(n + 4);
        const TReadResult sealed = Decode(Reseal(cut));
        EXPECT_FALSE(sealed.Ok);
        const char* section = "";
        for (const TSection& s : TinySections)
            if (s.start <= n) section = s.name;
        EXPECT_EQ(sealed.Error.rfind(std::string("truncated in ") + section, 0), 0u) << sealed.Error;
    }
}

TEST(ReplayFileTest, AnyFlippedBitIsRefused) {
    for (size_t i = 0; i < TinyBytes.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            SCOPED_TRACE(testing::Message() << "byte " << i << " bit " << bit);
            const TReadResult r = Decode(Put(TinyBytes, i, uint8_t(TinyBytes[i] ^ (1u << bit))));
            EXPECT_FALSE(r.Ok);
            if (i < 8)
                EXPECT_EQ(r.Error, "not a replay file (bad magic)");
            else if (i < 10)
                EXPECT_EQ(r.Error.rfind("unknown format version", 0), 0u) << r.Error;
            else
                EXPECT_EQ(r.Error.rfind("checksum mismatch", 0), 0u) << r.Error;
        }
    }
}

TEST(ReplayFileTest, HeaderAloneIsReadFromTheStartOfAFile) {
    const std::vector<uint8_t> start(TinyBytes.begin(), TinyBytes.begin() + 84);
    const TReadResult r = DecodeReplayHeader(start.data(), start.size());
    ASSERT_TRUE(r.Ok) << r.Error;
    TReplay expected = TinyReplay();
    expected.Frames.clear();
    expected.Events.clear();
    expected.Checkpoints.clear();
    EXPECT_EQ(r.Replay, expected);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string error;
    };
    const Case cases[] = {
        {"cut in the result", std::vector<uint8_t>(start.begin(), start.begin() + 70),
         "truncated in the claimed result"},
        {"bad magic", Put(start, 1, 'd'), "not a replay file (bad magic)"},
        {"unknown version", Put(start, 9, 1), "unknown format version 257"},
        {"boat 4", Put(start, 32, 4), "boat 4 is not 1, 2 or 3"},
        {"frames over the limit", PutU32(start, 72, 5760001), "frame count 5760001 over the limit 5760000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TReadResult bad = DecodeReplayHeader(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(bad.Ok);
        EXPECT_EQ(bad.Error, c.error);
    }
}

TEST(ReplayFileTest, ReplaysThatWouldNotReadBackAreNotWritten) {
    struct Case {
        const char* name;
        void (*change)(TReplay&);
        std::string problem;
    };
    const Case cases[] = {
        {"boat 4", [](TReplay& r) { r.Start.Boat = 4; }, "boat 4 is not 1, 2 or 3"},
        {"name too long", [](TReplay& r) { r.Start.PlayerName = std::string(65, 'n'); },
         "player name too long (65 bytes, at most 64)"},
        {"game version too long", [](TReplay& r) { r.GameVersion = std::string(300, 'v'); },
         "game version too long (300 bytes, at most 64)"},
        {"a frame more than claimed", [](TReplay& r) { r.Frames.push_back({}); },
         "66 frames recorded, the result claims 65"},
        {"unknown input bit", [](TReplay& r) { r.Frames[3].Input = 0x8001; },
         "frame 3 has unknown input bits 0x8000"},
        {"events out of order",
         [](TReplay& r) {
             r.Events.insert(r.Events.begin(), TEvent{65, evClick, 0});
         },
         "events out of order: event 1 at frame 64 after frame 65"},
        {"too many events",
         [](TReplay& r) {
             r.Events.assign(4097, TEvent{0, evHover, 1});
         },
         "event count 4097 over the limit 4096"},
        {"a checkpoint too many", [](TReplay& r) { r.Checkpoints.push_back(1); },
         "checkpoint count 2 for 65 frames (should be 1)"},
        {"over the file size limit",
         [](TReplay& r) {
             // Input changing every frame: 88 bytes up to the runs, 20000 runs of 4 bytes, 4 for no
             // events, 4 + 312 x 2 for the checkpoints, 4 for the checksum.
             r.Frames.clear();
             for (uint32_t i = 0; i < 20000; ++i)
                 r.Frames.push_back({1, true, uint16_t(i & 1)});
             r.Claimed.Frames = 20000;
             r.Checkpoints.assign(20000 / 64, 0);
             r.Events.clear();
         },
         "file of 80724 bytes over the limit of 65536"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TReplay r = TinyReplay();
        c.change(r);
        EXPECT_EQ(ReplayProblem(r), c.problem);
        EXPECT_TRUE(EncodeReplay(r).empty());
    }
    EXPECT_EQ(ReplayProblem(TinyReplay()), "");
}

TEST(ReplayFileTest, ThreeMinuteRaceFitsIn2KB) {
    // 12,000 frames; the input changes every 20 to 59 frames (about 300 times), the lag is 2 on a
    // dozen frames and one frame could not move; a checkpoint every 64 frames and a few events.
    TReplay r = TinyReplay();
    r.Frames.clear();
    uint32_t seed = 1, changes = 0;
    uint16_t input = 0;
    while (r.Frames.size() < 12000) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t length = 20 + (seed >> 16) % 40;
        input = uint16_t((input + 1 + (seed >> 8) % 7) & 0x1F);
        ++changes;
        for (uint32_t i = 0; i < length && r.Frames.size() < 12000; ++i)
            r.Frames.push_back({1, true, input});
    }
    for (size_t i = 500; i < 12000; i += 1000)
        r.Frames[i].LagCount = 2;
    r.Frames[7000].CanMove = false;
    r.Claimed.Frames = 12000;
    r.Checkpoints.assign(12000 / 64, 0x5A5A);
    r.Events = {{3000, evMinimise, 0}, {3400, evHover, 0}, {3401, evClick, 0}, {12000, evClick, 0}};
    const std::vector<uint8_t> bytes = EncodeReplay(r);
    ASSERT_FALSE(bytes.empty()) << ReplayProblem(r);
    std::printf("three-minute race: %u input changes, %zu bytes\n", unsigned(changes), bytes.size());
    RecordProperty("bytes", int(bytes.size()));
    EXPECT_GE(changes, 250u);
    EXPECT_LT(bytes.size(), 2048u);
    const TReadResult back = Decode(bytes);
    ASSERT_TRUE(back.Ok) << back.Error;
    EXPECT_EQ(back.Replay, r);
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
