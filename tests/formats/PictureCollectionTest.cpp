// Image lists: name lookup, pattern layouts, surfaces and their colour key, and the display notices.
#include <gtest/gtest.h>

#include <functional>

#include "Fixtures.h"
#include "engine/DIB.h"
#include "engine/Errors.h"
#include "engine/PictureCollection.h"
#include "platform/HeadlessWindow.h"

namespace {

// Gives the item a W x H 24-bit picture whose pixel colours come from Color(x, y).
void Paint(TPictureCollectionItem& item, int w, int h, const std::function<TColor(int, int)>& color) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TColor c = color(x, y);
            rgb.insert(rgb.end(), {ColorRed(c), ColorGreen(c), ColorBlue(c)});
        }
    std::vector<uint8_t> payload = MakeDIBPayload(EncodeDIB24(w, h, rgb));
    TByteReader r(payload);
    item.Picture().ReadData(r);
}

TColor Gradient(int x, int y) {
    return RGBColor(uint8_t(x), uint8_t(y), uint8_t(x ^ y));
}

struct ImageListFixture : ::testing::Test {
    platform::HeadlessWindow window;
    TDXDraw draw{&window};
    TDXImageList images; // destroyed before the display

    void SetUp() override {
        draw.Display.SetWidth(800);
        draw.Display.SetHeight(600);
        draw.Display.SetBitCount(16);
        draw.SetOptions({doAllowReboot, doHardware, doSelectDriver});
        images.SetDXDraw(&draw);
    }
    TPictureCollection& list() { return images.Items(); }
    // One item with a picture and a layout, surfaces built.
    TPictureCollectionItem& Build(int w, int h, int pw, int ph, int sw = 0, int sh = 0, bool sysMem = false) {
        if (!draw.Initialized()) draw.InitializeDisplay();
        TPictureCollectionItem& it = list().Add();
        Paint(it, w, h, Gradient);
        it.PatternWidth = pw, it.PatternHeight = ph, it.SkipWidth = sw, it.SkipHeight = sh,
        it.SystemMemory = sysMem;
        it.RebuildSurfaces();
        return it;
    }
};

} // namespace

TEST(HashCollection, BucketIsTheNameHashOfTheLowerCasedName) {
    struct Case {
        const char* name;
        int bucket;
    } cases[] = {
        {"", 0},
        {"a", 16}, // one character: length only
        {"Ab", (32 + 'a' + 'a') % 256},
        {"Boat1", (80 + 't' + 'b') % 256}, // second-to-last and first characters
        {"BOAT1", (80 + 't' + 'b') % 256},
    };
    for (const Case& c : cases)
        EXPECT_EQ(THashCollection::NameHash(c.name), c.bucket) << c.name;
}

TEST(HashCollection, FindItemIgnoresCaseAndTheLastNamedWins) {
    TPictureCollection list;
    TPictureCollectionItem& first = list.Add();
    first.SetName("Boat1_Normal");
    list.Add().SetName("Tree");
    TPictureCollectionItem& second = list.Add();
    second.SetName("Boat1_Normal");
    EXPECT_EQ(&list.FindItem("boat1_normal"), &second);
    EXPECT_EQ(&list.FindItem("TREE"), list.Items(1));

    // Renaming the first item away and back makes it the last named.
    first.SetName("Spare");
    first.SetName("Boat1_Normal");
    EXPECT_EQ(&list.FindItem("Boat1_Normal"), &first);

    // Destroying an item moves the later ones down and keeps the index consistent.
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(second.Index(), 1);
    EXPECT_EQ(&list.FindItem("Boat1_Normal"), &second);
    try {
        list.FindItem("Nope");
        FAIL() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "Image 'Nope' not found");
    }
}

TEST_F(ImageListFixture, PatternLayoutsCutWholeCellsIntoChunks) {
    struct Case {
        const char* what;
        int w, h, pw, ph, sw, sh;
        bool sysMem;
        std::vector<std::pair<int, int>> surfaces; // sizes in creation order
        int patterns;
        int probe; // a pattern to look at
        TRect probeRect;
        int probeSurface; // its surface number
    } cases[] = {
        {"whole picture", 50, 30, 0, 0, 0, 0, false, {{50, 30}}, 1, 0, {0, 0, 50, 30}, 0},
        {"96 x 32 strip of 32 x 32", 96, 32, 32, 32, 0, 0, false, {{96, 32}}, 3, 2, {64, 0, 96, 32}, 0},
        {"1000 x 40 strip of 40 x 40",
         1000,
         40,
         40,
         40,
         0,
         0,
         false,
         {{520, 40}, {480, 40}},
         25,
         13,
         {0, 0, 40, 40},
         1},
        {"skip width 2 on 94 wide", 94, 30, 30, 30, 2, 0, false, {{94, 30}}, 3, 2, {64, 0, 94, 30}, 0},
        {"grid of 32 x 32", 64, 64, 32, 32, 0, 0, false, {{64, 64}}, 4, 3, {32, 32, 64, 64}, 0},
        {"tall grid in two chunk rows",
         40,
         1000,
         40,
         40,
         0,
         0,
         false,
         {{40, 520}, {40, 480}},
         25,
         14,
         {0, 40, 40, 80},
         1},
        {"system memory keeps one surface",
         1000,
         40,
         40,
         40,
         0,
         0,
         true,
         {{1000, 40}},
         25,
         13,
         {520, 0, 560, 40},
         0},
        {"picture smaller than a cell", 20, 20, 32, 20, 0, 0, false, {}, 0, 0, {}, 0},
    };
    for (const Case& c : cases) {
        TPictureCollectionItem& it = Build(c.w, c.h, c.pw, c.ph, c.sw, c.sh, c.sysMem);
        ASSERT_EQ(it.Surfaces().size(), c.surfaces.size()) << c.what;
        for (size_t i = 0; i < c.surfaces.size(); ++i) {
            EXPECT_EQ(it.Surfaces()[i]->Width(), c.surfaces[i].first) << c.what;
            EXPECT_EQ(it.Surfaces()[i]->Height(), c.surfaces[i].second) << c.what;
        }
        EXPECT_EQ(it.NumPatterns(), c.patterns) << c.what;
        if (c.patterns == 0) continue;
        EXPECT_EQ(it.PatternBounds(c.probe), c.probeRect) << c.what;
        EXPECT_EQ(it.SurfaceOfPattern(c.probe), it.Surfaces()[size_t(c.probeSurface)].get()) << c.what;
        // The pattern's pixels are the picture's cell (top-left pixel of the probe cell).
        const TDirectDrawSurface& s = *it.SurfaceOfPattern(c.probe);
        int cellX = (c.probe % ((c.w + c.sw) / (it.FrameWidth() + c.sw))) * (it.FrameWidth() + c.sw);
        int cellY = (c.probe / ((c.w + c.sw) / (it.FrameWidth() + c.sw))) * (it.FrameHeight() + c.sh);
        TColor g = Gradient(cellX, cellY);
        EXPECT_EQ(s.PixelAt(c.probeRect.Left, c.probeRect.Top),
                  RGBToPixel565(ColorRed(g), ColorGreen(g), ColorBlue(g)))
            << c.what;
    }
}

TEST(PictureCollectionItem, PatternCountFromStoredPropertiesWithoutSurfaces) {
    // columns x rows, each counted as size div (pattern + skip), plus one when the rest is
    // exactly one more pattern.
    struct Case {
        int w, h, pw, ph, sw, sh;
        int patterns;
    } cases[] = {
        {96, 8, 32, 8, 0, 0, 3},
        {94, 8, 30, 8, 2, 0, 3}, // 94 div 32 = 2, remainder 30 equals the pattern width: one more
        {95, 8, 30, 8, 2, 0, 2}, // remainder 31 is not the pattern width
        {100, 8, 0, 8, 0, 0, 1}, // no pattern width: the whole picture
        {10, 8, 32, 8, 0, 0, 0},
        // The same rules down the picture with the row gap:
        {32, 94, 32, 30, 0, 2, 3}, // 94 div 32 = 2, remainder 30: 3 rows
        {32, 95, 32, 30, 0, 2, 2}, // remainder 31: 2 rows (3 if the gap were left out)
        {32, 60, 32, 20, 0, 5, 2}, // 60 div 25 = 2, remainder 10: 2 rows (60 div 20 = 3 without it)
        {64, 60, 30, 20, 2, 5, 4}, // 64 div 32 = 2 columns (remainder 0) x 2 rows
    };
    for (const Case& c : cases) {
        TPictureCollection list;
        TPictureCollectionItem& it = list.Add();
        Paint(it, c.w, c.h, Gradient);
        it.PatternWidth = c.pw;
        it.PatternHeight = c.ph;
        it.SkipWidth = c.sw;
        it.SkipHeight = c.sh;
        EXPECT_EQ(it.NumPatterns(), c.patterns)
            << c.w << "x" << c.h << " cells " << c.pw << "x" << c.ph << " gaps " << c.sw << "," << c.sh;
        EXPECT_EQ(it.PatternBounds(0), TRect{});
    }
    TPictureCollection list;
    EXPECT_EQ(list.Add().NumPatterns(), 0) << "empty picture";
}

TEST_F(ImageListFixture, PatternIndexOutsideTheListGivesNothing) {
    TPictureCollectionItem& it = Build(96, 32, 32, 32);
    for (int index : {-1, it.NumPatterns(), 1000}) {
        EXPECT_EQ(it.PatternBounds(index), TRect{}) << index;
        EXPECT_EQ(it.SurfaceOfPattern(index), nullptr) << index;
    }
}

TEST_F(ImageListFixture, FuchsiaKeyMatchesTheMagentaPixels) {
    TPictureCollectionItem& it = list().Add();
    Paint(it, 8, 8,
          [](int x, int y) { return (x + y) % 3 == 0 ? RGBColor(255, 0, 255) : RGBColor(250, 4, 250); });
    std::vector<uint8_t> bytes;
    {
        // Through the file, with the colour given as the identifier.
        it.SetName("Keyed");
        it.SetTransparentColor(0xFF00FF);
        bytes = list().SaveListStream();
        ASSERT_NE(std::search(bytes.begin(), bytes.end(), std::begin("clFuchsia"), std::end("clFuchsia") - 1),
                  bytes.end());
    }
    TByteReader r(bytes);
    list().LoadListStream(r);
    draw.InitializeDisplay();
    TPictureCollectionItem& loaded = list().FindItem("Keyed");
    ASSERT_EQ(loaded.Surfaces().size(), 1u);
    const TDirectDrawSurface& s = *loaded.Surfaces()[0];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(s.PixelAt(x, y) == s.ColorKey(), (x + y) % 3 == 0) << x << "," << y;

    // Drawn transparently, only the other pixels reach the back surface.
    TDirectDrawSurface dest;
    dest.SetSize(8, 8);
    dest.FillAll(0x1234);
    loaded.DrawPattern(dest, 0, 0, 0);
    EXPECT_EQ(dest.PixelAt(0, 0), 0x1234);
    EXPECT_EQ(dest.PixelAt(1, 0), s.PixelAt(1, 0));

    // A new key re-keys the existing surfaces.
    loaded.SetTransparentColor(RGBColor(250, 4, 250));
    EXPECT_EQ(s.ColorKey(), s.PixelAt(1, 0));
}

TEST_F(ImageListFixture, ColorToPixelConvertsAsPictureLoadingDoes) {
    draw.InitializeDisplay();
    TDirectDrawSurface s(&draw);
    s.SetSize(2, 2);
    s.PixelAt(0, 0) = 0xBEEF;
    for (TColor c : {0x000000u, 0xFFFFFFu, 0xFF00FFu, 0x123456u, 0x07070Fu, 0x80FF01u}) {
        TPictureCollection list;
        TPictureCollectionItem& it = list.Add();
        Paint(it, 1, 1, [c](int, int) { return c; });
        TDirectDrawSurface loaded(&draw);
        LoadFromPicture(loaded, *it.Picture().Graphic(), TRect{0, 0, 1, 1});
        EXPECT_EQ(ColorToPixel(s, c), loaded.PixelAt(0, 0)) << std::hex << c;
    }
    EXPECT_EQ(s.PixelAt(0, 0), 0xBEEF) << "the probed pixel is put back";
    // System colours are resolved to their RGB value first.
    EXPECT_EQ(ColorToPixel(s, 0xFF00000F), ColorToPixel(s, ColorToRGB(0xFF00000F)));
    TDirectDrawSurface empty(&draw);
    EXPECT_EQ(ColorToPixel(empty, 0xFFFFFF), 0u);
}

TEST_F(ImageListFixture, SurfacesFollowTheDisplayLifecycle) {
    // Loaded while the display is not initialised: no surfaces, the stored-property count.
    TPictureCollectionItem& strip = list().Add();
    strip.SetName("Strip");
    Paint(strip, 96, 32, Gradient);
    strip.PatternWidth = 32;
    TPictureCollectionItem& empty = list().Add();
    empty.SetName("Empty");
    std::vector<uint8_t> emptyPayload = MakeDIBPayload({});
    TByteReader er(emptyPayload);
    empty.Picture().ReadData(er);
    list().Add().SetName("Unknown"); // no graphic at all
    std::vector<uint8_t> bytes = list().SaveListStream();
    TByteReader r(bytes);
    list().LoadListStream(r);
    ASSERT_EQ(list().Count(), 3);
    EXPECT_TRUE(list().FindItem("Strip").Surfaces().empty());
    EXPECT_EQ(list().FindItem("Strip").NumPatterns(), 3);
    EXPECT_FALSE(list().FindItem("Strip").Ready());

    // The initialise notice attaches, the closing restore builds the surfaces.
    draw.InitializeDisplay();
    EXPECT_EQ(list().DXDraw(), &draw);
    EXPECT_TRUE(list().FindItem("Strip").Ready());
    EXPECT_EQ(list().FindItem("Strip").Surfaces().size(), 1u);
    EXPECT_EQ(list().FindItem("Strip").NumPatterns(), 3);
    EXPECT_TRUE(list().FindItem("Empty").Surfaces().empty());
    EXPECT_EQ(list().FindItem("Unknown").NumPatterns(), 0);

    // A restore (after lost surfaces) copies the picture onto new surfaces again.
    TDirectDrawSurface* before = list().FindItem("Strip").Surfaces()[0].get();
    const uint16_t pixel = before->PixelAt(5, 5);
    before->PixelAt(5, 5) = uint16_t(pixel ^ 0xFFFF);
    draw.RestoreSurfaces();
    ASSERT_EQ(list().FindItem("Strip").Surfaces().size(), 1u);
    EXPECT_EQ(list().FindItem("Strip").Surfaces()[0]->PixelAt(5, 5), pixel);

    // Loading while initialised builds at once.
    TByteReader again(bytes);
    list().LoadListStream(again);
    EXPECT_EQ(list().FindItem("Strip").Surfaces().size(), 1u);

    // Finalise drops them; drawing an item that is not ready does nothing.
    draw.FinalizeDisplay();
    EXPECT_TRUE(list().FindItem("Strip").Surfaces().empty());
    EXPECT_EQ(list().DXDraw(), nullptr);
    TDirectDrawSurface dest;
    dest.SetSize(4, 4);
    list().FindItem("Strip").DrawPattern(dest, 0, 0, 0);
    EXPECT_EQ(dest.PixelAt(0, 0), 0);

    // And come back with the next initialisation.
    draw.InitializeDisplay();
    EXPECT_EQ(list().FindItem("Strip").Surfaces().size(), 1u);

    // Unbinding the list releases everything.
    images.SetDXDraw(nullptr);
    EXPECT_TRUE(list().FindItem("Strip").Surfaces().empty());
}

TEST_F(ImageListFixture, EachPictureIsCopiedOntoItsSurfacesWhenFirstUsed) {
    // Two pictures: A is 16 x 8 in two 8 x 8 patterns (one 16 x 8 surface), B is 8 x 8.
    TPictureCollectionItem& a = list().Add();
    a.SetName("A");
    Paint(a, 16, 8, Gradient);
    a.PatternWidth = 8;
    a.PatternHeight = 8;
    TPictureCollectionItem& b = list().Add();
    b.SetName("B");
    Paint(b, 8, 8, Gradient);
    draw.InitializeDisplay();

    // Whatever reads or draws A copies A, and only A. Pattern 1 starts at x = 8, whose first
    // pixel is Gradient(8, 0) = RGB(8, 0, 8) -> 5-6-5 (8 >> 3) << 11 | 0 | 8 >> 3 = 0x0801.
    TDirectDrawSurface dest(&draw);
    dest.SetSize(8, 8);
    struct Reader {
        const char* what;
        std::function<void()> read;
    };
    const Reader readers[] = {
        {"DrawPattern",
         [&] {
             a.DrawPattern(dest, 0, 0, 1);
             EXPECT_EQ(dest.PixelAt(0, 0), 0x0801);
         }},
        {"DrawRotated",
         [&] {
             a.DrawRotated(dest, 0, 0, 8, 8, 1, 0, 0, 0);
             EXPECT_EQ(dest.PixelAt(0, 0), 0x0801);
         }},
        {"SurfaceOfPattern", [&] { EXPECT_NE(a.SurfaceOfPattern(1), nullptr); }},
        {"PatternBounds",
         [&] {
             EXPECT_EQ(a.PatternBounds(1), (TRect{8, 0, 16, 8}));
         }},
        {"NumPatterns", [&] { EXPECT_EQ(a.NumPatterns(), 2); }},
        {"Surfaces", [&] { EXPECT_EQ(a.Surfaces().size(), 1u); }},
        {"Patterns", [&] { EXPECT_EQ(a.Patterns().size(), 2u); }},
    };
    for (const Reader& r : readers) {
        dest.FillAll(0);
        draw.RestoreSurfaces(); // every picture due again
        ASSERT_TRUE(a.SurfacesDue() && b.SurfacesDue()) << r.what;
        r.read();
        EXPECT_FALSE(a.SurfacesDue()) << r.what;
        EXPECT_TRUE(b.SurfacesDue()) << r.what << ": a picture nobody used stays due";
    }

    // The idle copy takes the due pictures one at a time, in list order, until none is left.
    draw.RestoreSurfaces();
    EXPECT_TRUE(list().BuildNextDueSurfaces());
    EXPECT_FALSE(a.SurfacesDue());
    EXPECT_TRUE(b.SurfacesDue());
    EXPECT_TRUE(list().BuildNextDueSurfaces());
    EXPECT_FALSE(b.SurfacesDue());
    EXPECT_EQ(b.Surfaces().size(), 1u);
    EXPECT_FALSE(list().BuildNextDueSurfaces());

    // A display that is gone leaves nothing due (and nothing to copy).
    draw.RestoreSurfaces();
    draw.FinalizeDisplay();
    EXPECT_FALSE(a.SurfacesDue());
    EXPECT_FALSE(list().BuildNextDueSurfaces());
    EXPECT_TRUE(a.Surfaces().empty());
}

TEST_F(ImageListFixture, AttachingToADisplayThatIsNotInitialisedFails) {
    try {
        list().AttachDisplay(draw);
        FAIL() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
    }
}

TEST(PictureCollection, MissingFileLeavesTheCollectionAsItWas) {
    TPictureCollection list;
    list.Add().SetName("Kept");
    try {
        list.LoadListFile("no/such/file.dxg");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file \"no/such/file.dxg\". No such file or directory");
    }
    EXPECT_EQ(list.Count(), 1);
}
