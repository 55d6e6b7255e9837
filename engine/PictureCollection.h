// Image lists: named pictures cut into equal pattern cells, the picture-list file they load from,
// and the colour-keyed pattern surfaces that follow the display through initialise, loss and restore.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/ComponentStream.h"
#include "engine/DXDraw.h"
#include "engine/HashCollection.h"
#include "engine/Picture.h"
#include "engine/Surface.h"
#include "engine/Types.h"

class TPictureCollection;
class TDXImageList;

// One pattern of an item: its rectangle on one of the item's surfaces.
struct TPictureCollectionItemPattern {
    TRect Rect;
    TDirectDrawSurface* Surface = nullptr;
};

// A named picture with its pattern layout and, once the display is ready, its surfaces.
class TPictureCollectionItem : public THashCollectionItem, public TStreamObject {
  public:
    explicit TPictureCollectionItem(TPictureCollection& owner);
    ~TPictureCollectionItem() override;

    // Stored properties (the file's item properties); a new item has these values.
    int32_t PatternHeight = 0; // 0 or less: the whole picture height
    int32_t PatternWidth = 0;  // 0 or less: the whole picture width
    int32_t SkipHeight = 0;    // gap between pattern rows
    int32_t SkipWidth = 0;     // gap between pattern columns
    bool SystemMemory = false; // keep the whole picture on one system-memory surface
    bool Transparent = true;   // draw with the source colour key

    // The item's picture (a TDIB in the game's files, or nothing).
    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }
    // Copies the given picture's graphic; surfaces are not rebuilt.
    void SetPicture(const TPicture& picture) { picture_.Assign(picture); }

    // Colour of the picture that is not drawn when Transparent.
    TColor TransparentColor() const { return transparentColor_; }
    // Stores the colour; a different value re-keys every surface of the item.
    void SetTransparentColor(TColor color);

    // The collection the item belongs to.
    TPictureCollection& Owner() const;

    // PatternWidth when above 0, else the picture's width (0 for an empty picture).
    int FrameWidth() const;
    // PatternHeight when above 0, else the picture's height.
    int FrameHeight() const;
    // The number of patterns: counted on the surfaces when they exist, else computed from the
    // stored properties. (Like every reader of the surfaces below, it builds them first when
    // they are due.)
    int NumPatterns() const;
    // Pattern Index's rectangle on its surface; (0,0,0,0) when Index is out of range.
    TRect PatternBounds(int index) const;
    // The surface holding pattern Index; null when out of range.
    TDirectDrawSurface* SurfaceOfPattern(int index) const;

    // True while the collection is attached to an initialised display.
    bool Ready() const { return ready_; }
    // Releases surfaces if ready; ready again exactly when the display is set and initialised.
    void MakeReady();
    // Drops every surface and pattern and clears the ready flag.
    void ReleaseSurfaces();
    // Copies the picture onto new surfaces and records every pattern (single picture, system
    // memory, or tiled chunks of whole cells). Nothing for an empty picture.
    void RebuildSurfaces();
    // Marks the surfaces for rebuilding: RebuildSurfaces runs when something first reads or
    // draws them (or BuildDueSurfaces does). Start-up and a restore then copy only the pictures
    // on the screen instead of every picture of every list.
    void RebuildSurfacesWhenUsed() { rebuildDue_ = true; }
    // True while a rebuild is marked and has not run yet.
    bool SurfacesDue() const { return rebuildDue_; }
    // Runs a marked rebuild now; nothing when none is marked.
    void BuildDueSurfaces() const;
    // The item's surfaces in creation order (chunk i, j is number i + columns * j).
    const std::vector<std::unique_ptr<TDirectDrawSurface>>& Surfaces() const {
        BuildDueSurfaces();
        return surfaces_;
    }
    // The item's patterns in pattern order.
    const std::vector<TPictureCollectionItemPattern>& Patterns() const {
        BuildDueSurfaces();
        return patterns_;
    }

    // Draws pattern PatternIndex at (X, Y) on Dest (with the colour key when Transparent).
    void DrawPattern(TDirectDrawSurface& dest, int x, int y, int patternIndex);
    // Draws pattern PatternIndex scaled to Width x Height and turned by Angle (1/256 turns,
    // clockwise) about the point (CenterX * Width, CenterY * Height), which lands on (X, Y).
    void DrawRotated(TDirectDrawSurface& dest, int x, int y, int width, int height, int patternIndex,
                     double centerX, double centerY, int angle);

    // Stream reading: the published properties Name, PatternHeight, PatternWidth, Picture,
    // SkipHeight, SkipWidth, SystemMemory, Transparent, TransparentColor.
    std::string StreamClassName() const override { return "TPictureCollectionItem"; }
    std::string StreamInstanceName() const override { return Name(); }
    bool FindProperty(const std::string& name, TStreamProperty& out) override;

  private:
    TDirectDrawSurface& AddSurface(const TRect& rect);

    TPicture picture_;
    TColor transparentColor_ = 0;
    bool ready_ = false;
    bool rebuildDue_ = false;
    std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces_;
    std::vector<TPictureCollectionItemPattern> patterns_;
};

// The named pictures of an image list, in file order; defines the binary property "ColorTable".
class TPictureCollection : public THashCollection, public TStreamCollection {
  public:
    explicit TPictureCollection(TDXImageList* owner = nullptr) : owner_(owner) {}
    ~TPictureCollection() override;

    // The image list that owns the collection (null for a free-standing one).
    TDXImageList* Owner() const { return owner_; }
    // The item at Index (0-based), null when out of range.
    TPictureCollectionItem* Items(int index) const;
    // Appends a new item with default values.
    TPictureCollectionItem& Add();
    // The item named Name ignoring case (the one named last when several are);
    // raises EPictureCollectionError "Image '%s' not found".
    TPictureCollectionItem& FindItem(const std::string& name) const;

    // Reads a picture-list file; EFOpenError "Cannot open file "%s". %s" leaves the collection as it was.
    void LoadListFile(const std::string& path);
    // Empties the collection, reads a picture-list stream into it, then builds surfaces when
    // the display is ready. Read errors propagate; items read before stay, without surfaces.
    void LoadListStream(TByteReader& stream);
    // Writes the collection as a picture-list file (resource name upper-cased).
    std::vector<uint8_t>
    SaveListStream(const std::string& resourceName = "TPictureCollectionComponent") const;
    void SaveListFile(const std::string& path) const;

    // Detaches, stores the device and makes every item ready; raises EPictureCollectionError
    // "TPictureCollection cannot be initialized" when the device is not initialised.
    void AttachDisplay(TDXDraw& device);
    // Releases every item's surfaces and forgets the device.
    void DetachDisplay();
    // Rebuilds every item's surfaces, each when it is first used (RebuildSurfacesWhenUsed).
    void RebuildSurfaces();
    // Builds the surfaces of the first item whose rebuild is still due; false when none is (the
    // main loop calls this while it waits for the next frame, so that no first use has to).
    bool BuildNextDueSurfaces();
    // The display the collection is attached to, or null.
    TDXDraw* DXDraw() const { return dxDraw_; }
    // True when the device is set and initialised.
    bool DisplayReady() const;

    // 256 colour entries of 4 bytes, kept as stored in the file.
    std::array<uint8_t, 1024> ColorTable{};

    // Stream reading: the defined binary property ColorTable and the collection's items.
    std::string StreamClassName() const override { return "TPictureCollection"; }
    bool DefinesBinaryProperty(const std::string& name) const override;
    void ReadBinaryProperty(const std::string& name, TByteReader& data) override;
    void ClearItems() override { Clear(); }
    TStreamObject& AppendItem() override { return Add(); }

  private:
    TDXImageList* owner_;
    TDXDraw* dxDraw_ = nullptr;
};

// The image list component (the form's MDXImageList): owns the collection and follows its display.
class TDXImageList : public TDXDrawListener {
  public:
    TDXImageList();
    ~TDXImageList() override;
    TDXImageList(const TDXImageList&) = delete;
    TDXImageList& operator=(const TDXImageList&) = delete;

    // The display the list follows, or null.
    TDXDraw* DXDraw() const { return dxDraw_; }
    // Unregisters from the old device and registers with the new one (which reports its state).
    void SetDXDraw(TDXDraw* device);
    // The owned collection of pictures.
    TPictureCollection& Items() { return items_; }
    const TPictureCollection& Items() const { return items_; }

    // Follows the device: initialize attaches, finalize detaches, restore rebuilds, destroying forgets it.
    void DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType notify) override;

  private:
    TDXDraw* dxDraw_ = nullptr;
    TPictureCollection items_{this};
};

// Pattern-surface operations of the picture loader.
// Sizes Surface to Rect and copies that rectangle of Graphic into it at (0, 0) as 5-6-5 pixels.
// Raises EDirectDrawSurfaceError "Surface cannot be made" when the surface cannot be sized.
void LoadFromPicture(TDirectDrawSurface& surface, const TGraphic& graphic, const TRect& rect);
// The raw pixel a colour becomes on Surface, converted exactly as LoadFromPicture converts
// picture pixels; system colours are resolved first; 0 for a surface without pixels.
uint32_t ColorToPixel(TDirectDrawSurface& surface, TColor color);
// Sets the surface's source colour key to the raw value.
void SetSourceKey(TDirectDrawSurface& surface, uint32_t value);
// A colour as plain $00BBGGRR: system colours ($FF0000nn) by their platform value, none and default as black.
TColor ColorToRGB(TColor color);
