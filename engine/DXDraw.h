// The display device: the window or full screen, the 800 x 600 back surface every frame is
// composed on, presenting it, lost-surface recovery, and the notices its listeners follow.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/Surface.h"

namespace platform {
class Window;
}

// Options of the display device, in their bit order.
enum TDXDrawOption : uint32_t {
    doFullScreen,
    doNoWindowChange,
    doAllowReboot,
    doWaitVBlank,
    doAllowPalette256,
    doSystemMemory,
    doStretch,
    doCenter,
    doFlip,
    do3D,
    doDirectX7Mode,
    doRetainedMode,
    doHardware,
    doSelectDriver,
    doZBuffer
};

// A set of TDXDrawOption as bits.
class TDXDrawOptions {
  public:
    TDXDrawOptions() = default;
    TDXDrawOptions(std::initializer_list<TDXDrawOption> list) {
        for (auto o : list)
            Include(o);
    }
    bool Has(TDXDrawOption o) const { return bits_ & (1u << o); }
    void Include(TDXDrawOption o) { bits_ |= (1u << o); }
    void Exclude(TDXDrawOption o) { bits_ &= ~(1u << o); }
    uint32_t Bits() const { return bits_; }
    bool operator==(const TDXDrawOptions&) const = default;

  private:
    uint32_t bits_ = 0;
};

// Notices the display sends to its listeners (image lists, the sprite engine).
enum TDXDrawNotifyType {
    dxntDestroying = 0,
    dxntInitializing = 1,
    dxntInitialize = 2,
    dxntInitializeSurface = 3,
    dxntFinalize = 4,
    dxntFinalizeSurface = 5,
    dxntRestore = 6,
    dxntSetSurfaceSize = 7,
};

// Anything that follows the display through initialisation, loss and shutdown.
class TDXDrawListener {
  public:
    virtual ~TDXDrawListener() = default;
    // Called with each notice; Sender is the display.
    virtual void DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType notify) = 0;
};

// One display mode the platform offers.
struct TDisplayMode {
    int Width = 0, Height = 0, BitCount = 0;
    bool operator==(const TDisplayMode&) const = default;
};

// Display settings: the mode asked for in full screen and the rules for choosing one.
class TDXDrawDisplay {
  public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    void SetWidth(int v) { width_ = v < 0 ? 0 : v; }
    void SetHeight(int v) { height_ = v < 0 ? 0 : v; }
    // Only 8, 16, 24 or 32 are accepted; anything else raises and keeps the old value.
    void SetBitCount(int v);
    bool FixedBitCount = true, FixedRatio = true, FixedSize = false;

    // The modes the platform reports, sorted by width, height, bits (filled on first use).
    const std::vector<TDisplayMode>& Modes();
    // Tries W x H x B, then searches the mode list; Apply sets a mode and says if it took.
    // Records the chosen mode in Width/Height/BitCount on success.
    bool DynSetSize(int w, int h, int bits, const std::function<bool(const TDisplayMode&)>& apply);
    // Forgets the mode list (at every finalisation).
    void ClearModes() {
        modes_.clear();
        modesRead_ = false;
    }
    // Where the mode list comes from (the platform, or a test's own list).
    std::function<std::vector<TDisplayMode>()> ModeSource;

  private:
    int width_ = 640, height_ = 480, bitCount_ = 8;
    std::vector<TDisplayMode> modes_;
    bool modesRead_ = false;
};

// The display device component (the form's MDXDraw).
class TDXDraw {
  public:
    // Window is the platform window the frames are shown in (may be null for a surface-only
    // device in tests: initialisation then raises "Form not found").
    explicit TDXDraw(platform::Window* window);
    ~TDXDraw();
    TDXDraw(const TDXDraw&) = delete;
    TDXDraw& operator=(const TDXDraw&) = delete;

    TDXDrawDisplay Display;
    bool AutoInitialize = true;
    bool AutoSize = true;

    // Options asked for, and those in force (derived, see SetOptions).
    const TDXDrawOptions& Options() const { return options_; }
    void SetOptions(const TDXDrawOptions& o);
    const TDXDrawOptions& ActiveOptions() const { return activeOptions_; }

    void InitializeDisplay();
    void FinalizeDisplay();
    // Shows the back surface when initialised, not busy and the surfaces are intact.
    void FlipPage();
    // Initialised, not busy, a back surface with pixels, surfaces intact.
    bool ReadyToDraw();
    // False when not initialised, busy or without a primary surface; restores lost surfaces.
    bool SurfacesIntact();
    void RestoreSurfaces();

    // Registers a listener (after removing it if present) and brings it up to date.
    void AddListener(TDXDrawListener* listener);
    // Unregisters a listener and tells it the surfaces and device are gone.
    void RemoveListener(TDXDrawListener* listener);

    bool Initialized() const { return initialized_; }
    bool SurfacesInitialized() const { return surfacesInitialized_; }
    bool InProgress() const { return inProgress_; }

    TDirectDrawSurface& BackSurface() { return *back_; }
    int SurfaceWidth() const;
    int SurfaceHeight() const;
    void SetSurfaceWidth(int w);
    void SetSurfaceHeight(int h);
    platform::Window* Window() const { return window_; }

    // Events (the form sets these).
    std::function<void()> OnInitializing, OnInitialize, OnInitializeSurface, OnFinalize, OnFinalizeSurface,
        OnRestoreSurface;

    // Frames presented so far (for tests and benchmarks).
    uint64_t PresentCount() const { return presentCount_; }

  private:
    void Notify(TDXDrawNotifyType n);
    void DeriveActiveOptions();
    void CreateSurfaces();
    void ReleaseSurfaces();
    void Resize(int w, int h);

    platform::Window* window_;
    TDXDrawOptions options_{doAllowReboot,  doWaitVBlank, doCenter,
                            doDirectX7Mode, doHardware,   doSelectDriver};
    TDXDrawOptions activeOptions_;
    bool initialized_ = false, initializing_ = false, surfacesInitialized_ = false, inProgress_ = false;
    bool everInitialized_ = false, initializeFired_ = false;
    int nesting_ = 0;
    bool primary_ = false;
    std::unique_ptr<TDirectDrawSurface> back_;
    int surfaceWidth_ = 800, surfaceHeight_ = 600;
    std::vector<TDXDrawListener*> listeners_;
    uint64_t presentCount_ = 0;
};
