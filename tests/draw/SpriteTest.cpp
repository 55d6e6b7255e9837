// The sprite tree: depth order, the three walks, animation, collisions, maps and the component.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DrawFixture.h"
#include "engine/DXSprite.h"
#include "engine/Errors.h"

namespace {

// A sprite that writes what happens to it into a shared log.
class LogSprite : public TSprite {
  public:
    LogSprite(TSprite* parent, std::string name, std::vector<std::string>& log, int z = 0)
        : TSprite(parent), name_(std::move(name)), log_(log) {
        SetZ(z);
        Width = Height = 10;
    }
    ~LogSprite() override { log_.push_back("free " + name_); }
    void Render() override { log_.push_back("draw " + name_); }
    void Advance(int moveCount) override {
        log_.push_back("move " + name_ + " " + std::to_string(moveCount));
    }
    void CollideWith(TSprite* other, bool& stop) override {
        log_.push_back("hit " + name_ + " " + static_cast<LogSprite*>(other)->name_);
        if (StopOnHit) stop = true;
        if (DisableOnHit) CollisionEnabled = false;
    }
    bool HitTest(TSprite* other) override {
        log_.push_back("test " + name_ + " " + static_cast<LogSprite*>(other)->name_);
        return Accepts;
    }
    bool Accepts = true, StopOnHit = false, DisableOnHit = false;

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

std::vector<std::string> Only(const std::vector<std::string>& log, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& s : log)
        if (s.rfind(prefix, 0) == 0) out.push_back(s);
    return out;
}

using Lines = std::vector<std::string>;

// A root with a surface of its own, no display needed.
struct Tree {
    Tree() {
        surface.SetSize(800, 600);
        root.SetSurface(&surface);
    }
    Lines log; // outlives the sprites, which log their own destruction
    TDirectDrawSurface surface;
    TSpriteEngine root;
};

} // namespace

TEST(SpriteTree, EqualDepthDrawsTheNewestUnderneath) {
    Tree t;
    new LogSprite(&t.root, "a", t.log);
    new LogSprite(&t.root, "b", t.log);
    new LogSprite(&t.root, "top", t.log, 5);
    new LogSprite(&t.root, "c", t.log);
    auto* low = new LogSprite(&t.root, "low", t.log, -1);
    t.root.RenderAll();
    EXPECT_EQ(Only(t.log, "draw"), (Lines{"draw low", "draw c", "draw b", "draw a", "draw top"}));
    EXPECT_EQ(t.root.RenderedCount, 5);

    // Setting the same depth keeps the place; a new depth re-sorts like a new sprite of that depth.
    t.log.clear();
    low->SetZ(-1);
    EXPECT_EQ(t.root.DrawOrder().front(), low);
    low->SetZ(0);
    t.root.RenderAll();
    EXPECT_EQ(Only(t.log, "draw"), (Lines{"draw low", "draw c", "draw b", "draw a", "draw top"}));
    t.log.clear();
    low->SetZ(9);
    t.root.RenderAll();
    EXPECT_EQ(Only(t.log, "draw").back(), "draw low");
    // Extreme depths sort without overflowing the comparison.
    auto* bottom = new LogSprite(&t.root, "bottom", t.log, INT32_MIN);
    low->SetZ(INT32_MAX);
    EXPECT_EQ(t.root.DrawOrder().front(), bottom);
    EXPECT_EQ(t.root.DrawOrder().back(), low);
}

TEST(SpriteTree, FlagsHideFreezeAndRemoveWholeSubtrees) {
    Tree t;
    auto* parent = new LogSprite(&t.root, "p", t.log);
    new LogSprite(parent, "child", t.log);
    auto* other = new LogSprite(&t.root, "other", t.log);

    parent->Visible = false;
    t.root.RenderAll();
    EXPECT_EQ(Only(t.log, "draw"), (Lines{"draw other"}));
    EXPECT_EQ(t.root.RenderedCount, 1);

    parent->MoveEnabled = false;
    t.root.AdvanceAll(3);
    EXPECT_EQ(Only(t.log, "move"), (Lines{"move other 3"}));

    t.log.clear();
    EXPECT_EQ(other->Collide(), 2); // p and its child overlap it
    parent->CollisionEnabled = false;
    t.log.clear();
    EXPECT_EQ(other->Collide(), 0);
    EXPECT_TRUE(t.log.empty());
    other->CollisionEnabled = false;
    parent->CollisionEnabled = true;
    EXPECT_EQ(other->Collide(), 0) << "a disabled sprite queries nothing";
}

TEST(SpriteTree, WalksAdvanceInCreationOrderAndSkipOffSurfaceDrawing) {
    Tree t;
    auto* a = new LogSprite(&t.root, "a", t.log, 3);
    new LogSprite(a, "a1", t.log);
    new LogSprite(&t.root, "b", t.log, 1);
    auto* off = new LogSprite(&t.root, "off", t.log);
    off->X = 800;                                    // touches the surface's right edge only
    (new LogSprite(off, "inside", t.log))->X = -795; // back on the surface, drawn though its parent is not

    t.root.AdvanceAll(2);
    EXPECT_EQ(Only(t.log, "move"),
              (Lines{"move a 2", "move a1 2", "move b 2", "move off 2", "move inside 2"}));
    t.root.RenderAll();
    EXPECT_EQ(Only(t.log, "draw"), (Lines{"draw inside", "draw b", "draw a", "draw a1"}));
}

TEST(SpriteTree, WorldPositionSumsEveryAncestorIncludingTheRoot) {
    Tree t;
    t.root.X = 1000;
    auto* a = new TSprite(&t.root);
    a->X = 10.75;
    a->Y = -3.5;
    auto* b = new TSprite(a);
    b->X = 0.5;
    b->Y = -0.25;
    b->Width = 4;
    b->Height = 2;
    EXPECT_DOUBLE_EQ(b->WorldX(), 1011.25);
    EXPECT_EQ(b->WorldRect(), (TRect{1011, -3, 1015, -1})) << "truncated toward zero";
    EXPECT_EQ(b->Engine(), &t.root);
    EXPECT_EQ(a->Engine(), &t.root);
}

TEST(SpriteTree, ChildListsComeAndGoWithTheChildren) {
    Tree t;
    auto* p = new TSprite(&t.root);
    EXPECT_FALSE(p->HasChildList());
    try {
        p->Child(0);
        FAIL() << "no exception";
    } catch (const ESpriteError& e) {
        EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (0)");
    }
    auto* c = new TSprite(p);
    EXPECT_TRUE(p->HasChildList());
    EXPECT_EQ(t.root.SpriteCount, 2);
    EXPECT_THROW(p->Child(1), std::out_of_range);
    delete c;
    EXPECT_FALSE(p->HasChildList());
    EXPECT_TRUE(p->DrawOrder().empty());
    EXPECT_EQ(t.root.SpriteCount, 1);
    auto* again = new TSprite(p);
    EXPECT_EQ(p->Child(0), again);
    EXPECT_EQ(p->DrawOrder().size(), 1u);
}

TEST(SpriteTree, DestroyingFreesTheSubtreeLastChildFirst) {
    Tree t;
    auto* p = new LogSprite(&t.root, "p", t.log);
    auto* c1 = new LogSprite(p, "c1", t.log);
    new LogSprite(c1, "c1a", t.log);
    new LogSprite(p, "c2", t.log);
    EXPECT_EQ(t.root.SpriteCount, 4);
    delete p;
    EXPECT_EQ(Only(t.log, "free"), (Lines{"free p", "free c2", "free c1", "free c1a"}));
    EXPECT_EQ(t.root.SpriteCount, 0);
    EXPECT_FALSE(t.root.HasChildList());
}

TEST(SpriteCollide, TestsBothWaysAndOnlyTellsTheCollider) {
    Tree t;
    auto* me = new LogSprite(&t.root, "me", t.log);
    auto* refuses = new LogSprite(&t.root, "refuses", t.log);
    refuses->Accepts = false;
    (new LogSprite(&t.root, "far", t.log))->X = 50;
    new LogSprite(&t.root, "near", t.log);
    EXPECT_EQ(me->Collide(), 1);
    EXPECT_EQ(t.log,
              (Lines{"test me refuses", "test refuses me", "test me near", "test near me", "hit me near"}));
    EXPECT_EQ(t.root.HitCount, 1);
}

TEST(SpriteCollide, StopsWhenTheColliderDisablesItselfOrAsksToStop) {
    for (bool disable : {true, false}) {
        SCOPED_TRACE(disable ? "disables its collisions" : "sets the stop flag");
        Tree t;
        auto* me = new LogSprite(&t.root, "me", t.log);
        (disable ? me->DisableOnHit : me->StopOnHit) = true;
        auto* first = new LogSprite(&t.root, "first", t.log);
        new LogSprite(first, "inner", t.log);
        new LogSprite(&t.root, "second", t.log);
        EXPECT_EQ(me->Collide(), 1);
        EXPECT_EQ(Only(t.log, "hit"), (Lines{"hit me first"}));
        EXPECT_TRUE(Only(t.log, "test me inner").empty());
        EXPECT_TRUE(Only(t.log, "test me second").empty());
    }
}

TEST(ImageSpriteAnimation, StepsWrapsAndRests) {
    struct Case {
        const char* what;
        int frames;
        double rate;
        bool loop;
        double start;
        std::vector<double> positions; // after each step of move count 1
        double finalRate;
    };
    const Case cases[] = {
        {"one-shot rests on its last pattern", 5, 4.5, false, 0, {4.5, 4, 4}, 0},
        {"looping wraps round", 5, 4.5, true, 0, {4.5, 4.0, 3.5}, 4.5},
        {"looping with no frames stays at 0", 0, 0.7, true, 0, {0, 0}, 0.7},
        {"explosion wrap", 8, 0.225, true, 7.875, {0.1, 0.325}, 0.225},
        {"backwards loop wraps to the end", 4, -0.5, true, 0.25, {3.75, 3.25}, -0.5},
        {"backwards one-shot rests on 0", 4, -0.5, false, 0.25, {0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSpriteEngine root;
        auto* s = new TImageSprite(&root);
        s->AnimFrames = c.frames;
        s->AnimRate = c.rate;
        s->AnimLoop = c.loop;
        s->AnimPosition = c.start;
        for (double want : c.positions) {
            s->Advance(1);
            EXPECT_NEAR(s->AnimPosition, want, 1e-9);
        }
        EXPECT_DOUBLE_EQ(s->AnimRate, c.finalRate);
    }
    TSpriteEngine root;
    auto* s = new TImageSprite(&root);
    s->AnimFrames = 10;
    s->AnimRate = 0.5;
    s->Advance(3);
    EXPECT_DOUBLE_EQ(s->AnimPosition, 1.5) << "the rate scales with the move count";
    s->AnimFirst = 4;
    EXPECT_EQ(s->CurrentPattern(), 5);
}

TEST(ImageSpriteRect, TiledRectanglesWrapRoundTheSurface) {
    struct Case {
        double x, y;
        TRect want;
    };
    // Surface 800 x 600, sprite 50 x 40: the wrap period is 850 across and 640 down.
    const Case cases[] = {
        {10, 20, {10, 20, 60, 60}},   {-10, -20, {-10, -20, 40, 20}},
        {-60, 0, {790, 0, 840, 40}}, // re-enters on the right
        {-51, 0, {799, 0, 849, 40}},  {870, 660, {20, 20, 70, 60}},
        {1650, 0, {800, 0, 850, 40}}, // 800 is not past the edge
        {1651, 0, {-49, 0, 1, 40}},
    };
    Tree t;
    auto* s = new TImageSprite(&t.root);
    s->Width = 50;
    s->Height = 40;
    s->Tiled = true;
    for (const Case& c : cases) {
        s->X = c.x;
        s->Y = c.y;
        EXPECT_EQ(s->WorldRect(), c.want) << c.x << "," << c.y;
    }
}

TEST(BackgroundMap, ResizesAndAnswersOutsideTheGrid) {
    TSpriteEngine root;
    auto* bg = new TBackgroundSprite(&root);
    EXPECT_FALSE(bg->CollisionEnabled);
    bg->ResizeMap(3, 2);
    EXPECT_EQ(bg->Cell(2, 1), 0);
    EXPECT_TRUE(bg->IsSolid(2, 1));
    bg->SetCell(2, 1, 7);
    bg->SetSolid(2, 1, false);
    bg->ResizeMap(3, 2); // same size: kept
    EXPECT_EQ(bg->Cell(2, 1), 7);
    EXPECT_FALSE(bg->IsSolid(2, 1));
    for (auto [c, r] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}}) {
        EXPECT_EQ(bg->Cell(c, r), -1);
        EXPECT_FALSE(bg->IsSolid(c, r));
    }
    bg->ResizeMap(4, 0);
    EXPECT_EQ(bg->MapColumns(), 0);
    EXPECT_EQ(bg->MapRows(), 0);
    bg->ResizeMap(2, 2);
    EXPECT_EQ(bg->Cell(1, 1), 0) << "a new size starts afresh";
}

// ---- sprites with pictures, on the display ----

class ImageSprites : public DrawFixture {};

TEST_F(ImageSprites, DrawTheCurrentPatternCentredInTheirSize) {
    // Two 10 x 10 patterns side by side: red and green.
    auto& item = AddPicture(
        list, "Two", 20, 10,
        [](int x, int) {
            return x < 10 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
        },
        10, 10);
    ASSERT_EQ(item.NumPatterns(), 2);
    auto* s = new TImageSprite(&Root());
    s->Image = &item;
    s->Width = 20;
    s->Height = 15;
    s->X = 100;
    s->Y = 200;
    EXPECT_EQ(s->ImageRect(), (TRect{105, 202, 125, 217}));
    struct Case {
        double position;
        int first;
        uint16_t want;
    };
    for (const Case& c : {Case{0.9, 0, Px({255, 0, 0})}, Case{1.2, 0, Px({0, 255, 0})},
                          Case{0, 1, Px({0, 255, 0})}, Case{2, 0, 0}, Case{0, -1, 0}}) {
        Back().FillAll(0);
        s->AnimPosition = c.position;
        s->AnimFirst = c.first;
        sprites.Draw();
        EXPECT_EQ(Back().PixelAt(105, 202), c.want) << c.position << " " << c.first;
        EXPECT_EQ(Back().PixelAt(114, 211), c.want);
        EXPECT_EQ(Back().PixelAt(115, 202), 0);
    }
}

TEST_F(ImageSprites, PixelExactTestComparesOpaquePixels) {
    // Left half opaque, right half key: two such sprites meet only where an opaque half lies on
    // an opaque half.
    auto& half = AddPicture(list, "Half", 10, 10, [](int x, int) {
        return x < 5 ? Rgb{0, 0, 255} : Rgb{255, 0, 255};
    });
    auto make = [&](double x) {
        auto* s = new TImageSprite(&Root());
        s->Image = &half;
        s->Width = s->Height = 10;
        s->X = x;
        s->PixelExact = true;
        return s;
    };
    TImageSprite* a = make(0);
    TImageSprite* b = make(5); // b's opaque half lies on a's key half
    EXPECT_FALSE(a->HitTest(b));
    b->X = 3;
    EXPECT_TRUE(a->HitTest(b));
    b->X = 10;
    EXPECT_FALSE(a->HitTest(b)) << "rectangles only touch";
    a->PixelExact = false;
    b->X = 5;
    EXPECT_TRUE(a->HitTest(b)) << "without PixelExact the rectangles decide";
    auto* plain = new TSprite(&Root());
    a->PixelExact = true;
    EXPECT_TRUE(a->HitTest(plain)) << "only image sprites are compared by pixels";
    // The surfaces are left unlocked.
    TLockedPixels lock;
    ASSERT_TRUE(half.SurfaceOfPattern(0)->LockPixels(nullptr, lock));
    half.SurfaceOfPattern(0)->UnlockPixels();
}

TEST_F(ImageSprites, TiledBackgroundCoversTheSurfaceShiftedByItsPosition) {
    // A 64 x 50 tile, pixel colour telling its position in the tile.
    auto& tile = AddPicture(list, "Tile", 64, 50, [](int x, int y) {
        return Rgb{uint8_t(x * 4), uint8_t(y * 5), 0};
    });
    auto* bg = new TBackgroundSprite(&Root());
    bg->ResizeMap(1, 1);
    bg->Image = &tile;
    bg->Tiled = true;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {124.0, 37.5}, {-30.0, 599.0}, {1000.9, -1000.2}}) {
        bg->X = x;
        bg->Y = y;
        Back().FillAll(0);
        sprites.Draw();
        const int ox = int(x) % 64, oy = int(y) % 50;
        int wrong = 0;
        for (int py = 0; py < 600; py += 7)
            for (int px = 0; px < 800; px += 5) {
                const int tx = ((px - ox) % 64 + 64) % 64, ty = ((py - oy) % 50 + 50) % 50;
                if (Back().PixelAt(px, py) != Px({uint8_t(tx * 4), uint8_t(ty * 5), 0})) ++wrong;
            }
        EXPECT_EQ(wrong, 0) << x << "," << y;
    }
}

TEST_F(ImageSprites, UntiledBackgroundDrawsItsCellsOnce) {
    auto& tiles = AddPicture(
        list, "Tiles", 20, 10,
        [](int x, int) {
            return x < 10 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
        },
        10, 10);
    auto* bg = new TBackgroundSprite(&Root());
    bg->Image = &tiles;
    bg->ResizeMap(3, 2);
    bg->SetCell(1, 0, 1);
    bg->SetCell(2, 1, -1); // empty
    for (double x : {40.0, -15.0}) {
        bg->X = x;
        bg->Y = 30;
        Back().FillAll(0);
        sprites.Draw();
        const int left = int(x);
        auto at = [&](int col, int row) { return Back().PixelAt(left + col * 10 + 5, 30 + row * 10 + 5); };
        if (left >= 0) {
            EXPECT_EQ(at(0, 0), Px({255, 0, 0}));
        }
        EXPECT_EQ(at(1, 0), Px({0, 0, 255}));
        EXPECT_EQ(at(2, 1), 0);
        EXPECT_EQ(at(1, 1), Px({255, 0, 0}));
        EXPECT_EQ(Back().PixelAt(left + 35, 35), 0) << "nothing past the grid";
        EXPECT_EQ(at(1, 2), 0);
    }
}

TEST_F(ImageSprites, BackgroundHitsOnlySolidCells) {
    auto& tiles = AddFlat(list, "Cell", 10, 10, {1, 2, 3});
    auto* bg = new TBackgroundSprite(&Root());
    bg->Image = &tiles;
    bg->ResizeMap(4, 4);
    bg->X = 100;
    bg->Y = 100;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            bg->SetSolid(c, r, c == 2 && r == 1); // one solid cell: (120,110)-(130,120)
    auto* probe = new TSprite(&Root());
    probe->Width = probe->Height = 4;
    struct Case {
        double x, y;
        bool hit;
    };
    for (const Case& c :
         {Case{121, 111, true}, Case{117, 107, true}, Case{115, 111, false}, Case{130, 111, false},
          Case{126, 118, true}, Case{101, 101, false}, Case{300, 300, false}}) {
        probe->X = c.x;
        probe->Y = c.y;
        EXPECT_EQ(bg->HitTest(probe), c.hit) << c.x << "," << c.y;
    }
    bg->ResizeMap(0, 0);
    EXPECT_TRUE(bg->HitTest(probe)) << "an empty map accepts everything";
}

TEST_F(ImageSprites, EngineFollowsTheDisplay) {
    EXPECT_EQ(Root().Surface(), &Back());
    EXPECT_EQ(Root().Width, 800);
    EXPECT_EQ(Root().Height, 600);
    std::vector<std::string> log;
    new LogSprite(&Root(), "s", log);

    draw->FinalizeDisplay();
    EXPECT_EQ(Root().Surface(), nullptr);
    sprites.Draw();
    Root().RenderAll();
    EXPECT_TRUE(Only(log, "draw").empty()) << "no drawing while the display is down";
    EXPECT_EQ(Root().RenderedCount, 0);
    draw->InitializeDisplay();
    EXPECT_EQ(Root().Surface(), &Back());
    sprites.Draw();
    EXPECT_EQ(Only(log, "draw").size(), 1u);

    // A second engine set on the display later is brought up to date; a display destroyed under
    // it is forgotten.
    TDXSpriteEngine late;
    late.SetDXDraw(draw.get());
    EXPECT_EQ(late.Engine().Surface(), &Back());
    late.SetDXDraw(nullptr);
    EXPECT_EQ(late.Engine().Surface(), nullptr);
    late.SetDXDraw(draw.get());
    list.SetDXDraw(nullptr);
    list3.SetDXDraw(nullptr);
    sprites.SetDXDraw(nullptr);
    draw.reset();
    EXPECT_EQ(late.DXDraw(), nullptr);
    EXPECT_EQ(late.Engine().Surface(), nullptr);
    Game.DXDraw = nullptr;
    Root().DestroyChildren(); // before the log they write to goes
}
