// The sprite tree: every moving and drawn object of a screen, advanced, collided and drawn in depth order.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/DXDraw.h"
#include "engine/PictureCollection.h"
#include "engine/Types.h"

class TDirectDrawSurface;
class TSpriteEngine;

// Base of every sprite: tree links, position, size, flags and the five virtual operations.
// A sprite is created on the heap under its parent (which then owns it) and freed with delete,
// which first frees its own subtree and then unlinks it from its parent at once.
class TSprite {
  public:
    // Links the new sprite in under Parent (null only for an engine root).
    explicit TSprite(TSprite* parent);
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    // Slot 0: called on the querying sprite for each hit found by Collide; setting Stop ends the query.
    virtual void CollideWith(TSprite* other, bool& stop);
    // Slot 1: draws the sprite on the engine's surface (only called when it overlaps the surface).
    virtual void Render();
    // Slot 2: one step of the sprite's own motion; MoveCount is the frame timer's lag count.
    virtual void Advance(int moveCount);
    // Slot 3: the sprite's rectangle in surface pixels.
    virtual TRect WorldRect() const;
    // Slot 4: whether this sprite accepts a hit by Other once the rectangles overlap.
    virtual bool HitTest(TSprite* other);

    // Position summed over this sprite and every ancestor up to and including the root.
    double WorldX() const;
    double WorldY() const;

    int32_t Z() const { return z_; }
    // Stores a new depth and re-sorts the sprite among its siblings; nothing when unchanged.
    void SetZ(int32_t z);

    TSpriteEngine* Engine() const { return engine_; }
    TSprite* Parent() const { return parent_; }
    // Number of children and the child at Index in insertion order; Child raises ESpriteError
    // when the sprite has no child list at all.
    int ChildCount() const;
    TSprite* Child(int index) const;
    // Children sorted by ascending Z (the drawing order); empty when there are none.
    const std::vector<TSprite*>& DrawOrder() const;
    // True while the sprite has a child list (created with the first child, freed with the last).
    bool HasChildList() const { return children_ != nullptr; }
    // Frees every child, last first.
    void DestroyChildren();

    // The three tree walks: advance (creation order), draw (depth order; at the root the
    // engine's RenderedCount starts again at 0), collision query.
    void AdvanceAll(int moveCount);
    void RenderAll();
    // Tests this sprite against the whole tree, calls CollideWith for each hit, returns the hits.
    int Collide();

    bool CollisionEnabled = true; // takes part in collision tests, with its subtree
    bool MoveEnabled = true;      // is advanced, with its subtree
    bool Visible = true;          // is drawn, with its subtree
    double X = 0, Y = 0;          // position relative to the parent
    int32_t Width = 0, Height = 0;

  private:
    void AddChild(TSprite* child);
    void RemoveChild(TSprite* child);
    void InsertDrawOrder(TSprite* child);
    // One candidate of the running collision query, then its subtree.
    static void CollideVisit(TSpriteEngine& e, TSprite* candidate);

    TSpriteEngine* engine_ = nullptr;
    TSprite* parent_ = nullptr;
    std::unique_ptr<std::vector<TSprite*>> children_;
    std::unique_ptr<std::vector<TSprite*>> drawOrder_;
    int32_t z_ = 0;
};

// A sprite drawing one pattern of a picture item, with a pattern animation.
class TImageSprite : public TSprite {
  public:
    explicit TImageSprite(TSprite* parent);

    // Draws the current pattern at ImageRect (colour-keyed when the item is transparent).
    void Render() override;
    // Steps the animation by AnimRate x MoveCount, wrapping or stopping at the ends.
    void Advance(int moveCount) override;
    // The sprite's rectangle; wraps round the surface when Tiled.
    TRect WorldRect() const override;
    // The pixel test against another image sprite when PixelExact, else true.
    bool HitTest(TSprite* other) override;

    // Trunc(AnimPosition) + AnimFirst.
    int CurrentPattern() const;
    // WorldRect moved so that the picture's frame is centred in Width x Height.
    TRect ImageRect() const;

    int32_t AnimFrames = 0;                  // patterns the animation runs through
    bool AnimLoop = false;                   // wraps round instead of resting on the last pattern
    double AnimPosition = 0;                 // current position in patterns
    double AnimRate = 0;                     // patterns per unit of move count
    int32_t AnimFirst = 0;                   // pattern shown at position 0
    TPictureCollectionItem* Image = nullptr; // not owned
    bool PixelExact = false;                 // collisions with other image sprites compare pixels
    bool Tiled = false;                      // the rectangle wraps round the surface
};

// A grid of cells, each drawing one pattern of one picture item; solid cells collide.
class TBackgroundSprite : public TSprite {
  public:
    explicit TBackgroundSprite(TSprite* parent);

    // Draws the visible cells (the whole surface when Tiled).
    void Render() override;
    // The grid's rectangle (the surface when Tiled).
    TRect WorldRect() const override;
    // True when Other's rectangle touches a solid cell (or there is nothing to test against).
    bool HitTest(TSprite* other) override;

    // Resizes the grid: every cell shows pattern 0 and is solid; a part <= 0 empties the map.
    void ResizeMap(int columns, int rows);
    // Pattern of a cell (-1 outside the grid); negative patterns are empty cells.
    int Cell(int col, int row) const;
    void SetCell(int col, int row, int pattern);
    // Solid flag of a cell (false outside the grid).
    bool IsSolid(int col, int row) const;
    void SetSolid(int col, int row, bool solid);
    int MapColumns() const { return columns_; }
    int MapRows() const { return rows_; }

    TPictureCollectionItem* Image = nullptr; // not owned
    bool Tiled = false;                      // the grid repeats endlessly over the surface

  private:
    std::vector<int32_t> cells_;
    std::vector<uint8_t> solid_;
    int columns_ = 0, rows_ = 0;
};

// The root of a sprite tree: the target surface, counters and the collision query's state.
class TSpriteEngine : public TSprite {
  public:
    TSpriteEngine();
    // Frees every sprite of the tree.
    ~TSpriteEngine() override;

    // Sets the target surface; its bounds become SurfaceRect and the root's size. Null: no
    // surface and an empty SurfaceRect.
    void SetSurface(TDirectDrawSurface* surface);
    TDirectDrawSurface* Surface() const { return surface_; }
    const TRect& SurfaceRect() const { return surfaceRect_; }

    int32_t SpriteCount = 0;    // live sprites under this root
    int32_t HitCount = 0;       // hits of the running query
    bool CollisionStop = false; // set to end the running query
    TRect ColliderRect;         // WorldRect of the querying sprite
    TSprite* Collider = nullptr;
    int32_t RenderedCount = 0; // sprites drawn by the last render

  private:
    TDirectDrawSurface* surface_ = nullptr;
    TRect surfaceRect_;
};

// The form's sprite engine component (MDXSpriteEngine): owns the root and follows a display.
class TDXSpriteEngine : public TDXDrawListener {
  public:
    TDXSpriteEngine();
    ~TDXSpriteEngine() override;
    TDXSpriteEngine(const TDXSpriteEngine&) = delete;
    TDXSpriteEngine& operator=(const TDXSpriteEngine&) = delete;

    // The root every game sprite is created under.
    TSpriteEngine& Engine() { return *engine_; }
    // The display drawn on; setting it moves the registration from the old display to the new.
    TDXDraw* DXDraw() const { return dxDraw_; }
    void SetDXDraw(TDXDraw* dxDraw);

    // Advances every sprite by the lag count.
    void Move(int moveCount);
    // Draws every sprite; only while the display is initialised.
    void Draw();

    // Display notices: destroying forgets the display, initialise/finalise set the surface.
    void DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType notify) override;

  private:
    std::unique_ptr<TSpriteEngine> engine_;
    TDXDraw* dxDraw_ = nullptr;
};

// Destroys the sprite a variable points at (taking it out of its parent) and empties the
// variable; nothing when it is already empty. The one way the game frees a sprite it holds.
template <class T> void FreeSprite(T*& sprite) {
    delete sprite;
    sprite = nullptr;
}
