// The display device: notices to listeners and their order, options in force, the bit-count rule,
// mode selection, presenting, and recovery from a lost presentation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DXDraw.h"
#include "engine/Errors.h"
#include "platform/HeadlessWindow.h"

namespace {

// Records every notice it gets as "<name>:<notice>".
struct Recorder : TDXDrawListener {
    std::string name;
    std::vector<std::string>* log;
    Recorder(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
    void DXDrawNotify(TDXDraw&, TDXDrawNotifyType n) override {
        static const char* names[] = {"destroying", "initializing",    "initialize", "initializeSurface",
                                      "finalize",   "finalizeSurface", "restore",    "surfaceSize"};
        log->push_back(name + ":" + names[n]);
    }
};

struct DisplayFixture : ::testing::Test {
    platform::HeadlessWindow window;
    std::vector<std::string> log;
    Recorder a{"a", &log}, b{"b", &log};
    TDXDraw draw{&window}; // goes first, telling the recorders it is being destroyed

    void SetUp() override {
        draw.Display.SetWidth(800);
        draw.Display.SetHeight(600);
        draw.Display.SetBitCount(16);
        draw.Display.FixedSize = true;
        draw.SetOptions({doAllowReboot, doHardware, doSelectDriver});
    }
};

TEST_F(DisplayFixture, RegistrationBringsAListenerUpToDate) {
    draw.AddListener(&a);
    EXPECT_EQ(log, (std::vector<std::string>{"a:surfaceSize", "a:restore"}));
    log.clear();
    draw.InitializeDisplay();
    draw.AddListener(&b);
    std::vector<std::string> bOnly;
    for (auto& s : log)
        if (s[0] == 'b') bOnly.push_back(s);
    EXPECT_EQ(bOnly, (std::vector<std::string>{"b:surfaceSize", "b:initialize", "b:initializeSurface",
                                               "b:restore"}));
    log.clear();
    draw.RemoveListener(&b);
    EXPECT_EQ(log, (std::vector<std::string>{"b:finalizeSurface", "b:finalize"}));
    log.clear();
    draw.RemoveListener(&b);
    EXPECT_TRUE(log.empty()) << "removing twice tells nothing";
}

TEST_F(DisplayFixture, InitialiseNotifiesLastRegisteredFirstInItsOrder) {
    draw.AddListener(&a);
    draw.AddListener(&b);
    log.clear();
    draw.OnInitialize = [&] { log.push_back("OnInitialize"); };
    draw.InitializeDisplay();
    EXPECT_EQ(log,
              (std::vector<std::string>{"b:initializing", "a:initializing", "b:surfaceSize", "a:surfaceSize",
                                        "b:initialize", "a:initialize", "OnInitialize", "b:initializeSurface",
                                        "a:initializeSurface", "b:restore", "a:restore"}));
}

TEST_F(DisplayFixture, InitialisingTwiceFinalisesFirst) {
    draw.AddListener(&a);
    draw.InitializeDisplay();
    log.clear();
    draw.InitializeDisplay();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "a:finalizeSurface");
    EXPECT_EQ(log[1], "a:finalize");
    EXPECT_EQ(log[2], "a:initializing");
}

TEST_F(DisplayFixture, AListenerAddedDuringInitialisationGetsNoEarlyRestore) {
    draw.AddListener(&a);
    draw.OnInitialize = [&] { draw.AddListener(&b); };
    draw.InitializeDisplay();
    // b registers inside initialisation: no restore then, one at the closing restore.
    int restores = 0;
    for (auto& s : log)
        if (s == "b:restore") ++restores;
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(log.back(), "a:restore");
}

TEST_F(DisplayFixture, ActiveOptionsInAWindowAndFullScreen) {
    EXPECT_EQ(draw.ActiveOptions(), TDXDrawOptions{});
    draw.InitializeDisplay();
    EXPECT_EQ(draw.ActiveOptions(), TDXDrawOptions{});

    draw.FinalizeDisplay();
    draw.SetOptions({doAllowReboot, doHardware, doSelectDriver, doFullScreen});
    draw.InitializeDisplay();
    EXPECT_EQ(draw.ActiveOptions(), (TDXDrawOptions{doFullScreen, doAllowReboot}));
    EXPECT_TRUE(window.IsFullScreen());

    draw.FinalizeDisplay();
    draw.SetOptions({doAllowReboot, doHardware, doSelectDriver});
    draw.InitializeDisplay();
    EXPECT_EQ(draw.ActiveOptions(), TDXDrawOptions{});
    EXPECT_FALSE(window.IsFullScreen());
}

TEST_F(DisplayFixture, OnlyPresentationOptionsFollowWhileInitialised) {
    draw.InitializeDisplay();
    draw.SetOptions({doWaitVBlank, doFullScreen, doStretch});
    EXPECT_EQ(draw.ActiveOptions(), (TDXDrawOptions{doWaitVBlank, doStretch}));
}

TEST_F(DisplayFixture, BadBitCountRaisesAndKeepsTheOldValue) {
    try {
        draw.Display.SetBitCount(15);
        FAIL() << "15 bits accepted";
    } catch (const EDirectDrawError& e) {
        EXPECT_STREQ(e.what(), "It should be either of 8 or 16 or 24 or 32");
    }
    EXPECT_EQ(draw.Display.BitCount(), 16);
}

TEST_F(DisplayFixture, ReadyToDrawOnlyWhileInitialised) {
    EXPECT_FALSE(draw.ReadyToDraw());
    EXPECT_FALSE(draw.SurfacesIntact());
    draw.FlipPage();
    EXPECT_EQ(window.PresentCount(), 0u);
    draw.InitializeDisplay();
    EXPECT_TRUE(draw.ReadyToDraw());
    EXPECT_EQ(draw.BackSurface().Width(), 800);
    EXPECT_EQ(draw.BackSurface().Height(), 600);
    draw.FinalizeDisplay();
    EXPECT_FALSE(draw.ReadyToDraw());
    EXPECT_EQ(draw.SurfaceWidth(), 800) << "the size is remembered without a surface";
}

TEST_F(DisplayFixture, FlipShowsTheBackSurface) {
    draw.InitializeDisplay();
    draw.BackSurface().FillAll(0xF800);
    draw.FlipPage();
    ASSERT_EQ(window.PresentCount(), 1u);
    EXPECT_EQ(window.LastFrame()[0], 0xF800);
    EXPECT_EQ(window.LastFrame()[800 * 600 - 1], 0xF800);
}

TEST_F(DisplayFixture, LostPresentationIsRestoredAndListenersRebuild) {
    draw.AddListener(&a);
    draw.InitializeDisplay();
    log.clear();
    window.LosePresentation();
    EXPECT_TRUE(draw.ReadyToDraw());
    EXPECT_EQ(log, std::vector<std::string>{"a:restore"});
}

TEST_F(DisplayFixture, RefusedFullScreenRaisesAndLeavesTheDeviceFinalised) {
    window.RefuseFullScreen(true);
    draw.AddListener(&a);
    draw.SetOptions({doFullScreen});
    try {
        draw.InitializeDisplay();
        FAIL() << "refused mode accepted";
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Display mode cannot be changed (800x600 16bit)");
    }
    EXPECT_FALSE(draw.Initialized());
    EXPECT_FALSE(draw.InProgress());
    EXPECT_FALSE(draw.ReadyToDraw());
}

TEST(DisplayWithoutWindow, InitialiseRaisesFormNotFound) {
    TDXDraw draw(nullptr);
    EXPECT_THROW(draw.InitializeDisplay(), EDXDrawError);
}

TEST(DisplayModeSelection, SearchFollowsTheFixedRules) {
    struct Case {
        bool fixedSize, fixedRatio, fixedBits;
        int w, h, bits;
        std::vector<TDisplayMode> refusedFirst; // the exact mode is refused, then searched
        TDisplayMode expected;
    };
    const std::vector<TDisplayMode> modes = {{1024, 768, 32}, {640, 480, 16}, {800, 600, 32},
                                             {1280, 720, 16}, {800, 600, 16}, {1024, 768, 16}};
    const Case cases[] = {
        // All fixed: only the exact mode passes.
        {true, true, true, 800, 600, 16, {}, {800, 600, 16}},
        // Free size: the smallest mode at least as big with the same ratio.
        {false, true, true, 700, 525, 16, {}, {800, 600, 16}},
        // Free size without the ratio rule finds 1280 x 720 for a wide request.
        {false, true, true, 1100, 600, 16, {}, {1280, 720, 16}},
        // Free bits: any bits above 8; the asked bits are used when the list has them.
        {false, true, false, 900, 700, 16, {}, {1024, 768, 16}},
    };
    for (const Case& c : cases) {
        TDXDrawDisplay d;
        d.FixedSize = c.fixedSize;
        d.FixedRatio = c.fixedRatio;
        d.FixedBitCount = c.fixedBits;
        d.ModeSource = [&] { return modes; };
        TDisplayMode applied{};
        bool exactTried = false;
        bool ok = d.DynSetSize(c.w, c.h, c.bits, [&](const TDisplayMode& m) {
            if (!exactTried) {
                exactTried = true;
                if (m.Width == c.w && m.Height == c.h && m.BitCount == c.bits &&
                    std::find(modes.begin(), modes.end(), m) != modes.end())
                    return applied = m, true;
                return false;
            }
            applied = m;
            return true;
        });
        ASSERT_TRUE(ok) << c.w << "x" << c.h;
        EXPECT_EQ(applied, c.expected) << c.w << "x" << c.h;
        EXPECT_EQ(d.Width(), c.expected.Width);
    }
    TDXDrawDisplay d;
    d.FixedSize = true;
    d.ModeSource = [&] { return modes; };
    EXPECT_FALSE(d.DynSetSize(800, 600, 15, [](const TDisplayMode&) { return true; }))
        << "bad bits fail at once";
    EXPECT_FALSE(d.DynSetSize(0, 600, 16, [](const TDisplayMode&) { return true; }));
    EXPECT_FALSE(d.DynSetSize(800, 600, 24, [](const TDisplayMode& m) { return m.BitCount == 16; }))
        << "with fixed bits nothing else passes";
}

} // namespace
