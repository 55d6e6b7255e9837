#include "engine/DXDraw.h"

#include <algorithm>
#include <exception>

#include "engine/Errors.h"
#include "platform/Window.h"

void TDXDrawDisplay::SetBitCount(int v) {
    if (v != 8 && v != 16 && v != 24 && v != 32)
        throw EDirectDrawError("It should be either of 8 or 16 or 24 or 32");
    bitCount_ = v;
}

const std::vector<TDisplayMode>& TDXDrawDisplay::Modes() {
    if (!modesRead_) {
        modes_ = ModeSource ? ModeSource() : std::vector<TDisplayMode>{};
        std::sort(modes_.begin(), modes_.end(), [](const TDisplayMode& a, const TDisplayMode& b) {
            if (a.Width != b.Width) return a.Width < b.Width;
            if (a.Height != b.Height) return a.Height < b.Height;
            return a.BitCount < b.BitCount;
        });
        modesRead_ = true;
    }
    return modes_;
}

bool TDXDrawDisplay::DynSetSize(int w, int h, int bits,
                                const std::function<bool(const TDisplayMode&)>& apply) {
    if (w <= 0 || h <= 0 || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) return false;
    auto take = [&](const TDisplayMode& m) {
        if (!apply(m)) return false;
        width_ = m.Width;
        height_ = m.Height;
        bitCount_ = m.BitCount;
        return true;
    };
    if (take({w, h, bits})) return true;

    auto search = [&](bool ratioRule) {
        const std::vector<TDisplayMode>& modes = Modes();
        const TDisplayMode* best = nullptr;
        for (const TDisplayMode& m : modes) {
            // Ratio compared exactly, by cross-multiplication.
            if (ratioRule && int64_t(m.Width) * h != int64_t(w) * m.Height) continue;
            if (FixedSize ? (m.Width != w || m.Height != h) : (m.Width < w || m.Height < h)) continue;
            if (FixedBitCount) {
                if (m.BitCount != bits) continue;
            } else if ((m.BitCount <= 8 || bits <= 8) && m.BitCount < bits) {
                continue;
            }
            // The first passing mode that is neither wider nor taller than the best so far.
            if (!best || (m.Width <= best->Width && m.Height <= best->Height)) best = &m;
        }
        if (!best) return false;
        TDisplayMode chosen = *best;
        if (chosen.BitCount != bits &&
            std::find(modes.begin(), modes.end(), TDisplayMode{chosen.Width, chosen.Height, bits}) !=
                modes.end())
            chosen.BitCount = bits;
        return take(chosen);
    };
    if (FixedRatio && search(true)) return true;
    return search(false);
}

TDXDraw::TDXDraw(platform::Window* window)
    : window_(window), back_(std::make_unique<TDirectDrawSurface>(this)) {
    DeriveActiveOptions();
    Display.ModeSource = [this] {
        std::vector<TDisplayMode> modes;
        if (window_)
            for (const auto& m : window_->DisplayModes())
                modes.push_back({m.Width, m.Height, m.BitCount});
        return modes;
    };
}

TDXDraw::~TDXDraw() {
    try {
        FinalizeDisplay();
    } catch (...) {
        // Destruction must not throw; the device is gone either way.
    }
    std::vector<TDXDrawListener*> still = listeners_;
    for (auto it = still.rbegin(); it != still.rend(); ++it)
        (*it)->DXDrawNotify(*this, dxntDestroying);
}

void TDXDraw::DeriveActiveOptions() {
    TDXDrawOptions a = options_;
    if (!a.Has(doFullScreen)) {
        a.Exclude(doNoWindowChange);
        a.Exclude(doAllowReboot);
        a.Exclude(doAllowPalette256);
        a.Exclude(doFlip);
    }
    if (!a.Has(do3D)) {
        a.Exclude(doDirectX7Mode);
        a.Exclude(doRetainedMode);
        a.Exclude(doHardware);
        a.Exclude(doSelectDriver);
        a.Exclude(doZBuffer);
    }
    if (a.Has(doSystemMemory)) a.Exclude(doFlip);
    if (a.Has(doDirectX7Mode)) a.Exclude(doRetainedMode);
    a.Exclude(doHardware);
    activeOptions_ = a;
}

void TDXDraw::SetOptions(const TDXDrawOptions& o) {
    options_ = o;
    if (!initialized_) {
        DeriveActiveOptions();
        return;
    }
    // While initialised only the presentation details follow the asked-for options.
    for (TDXDrawOption f : {doWaitVBlank, doStretch, doCenter}) {
        if (o.Has(f))
            activeOptions_.Include(f);
        else
            activeOptions_.Exclude(f);
    }
}

void TDXDraw::Notify(TDXDrawNotifyType n) {
    // Last registered first; a listener may unregister itself while being told.
    std::vector<TDXDrawListener*> copy = listeners_;
    for (auto it = copy.rbegin(); it != copy.rend(); ++it)
        if (std::find(listeners_.begin(), listeners_.end(), *it) != listeners_.end())
            (*it)->DXDrawNotify(*this, n);
}

void TDXDraw::AddListener(TDXDrawListener* listener) {
    RemoveListener(listener);
    listeners_.push_back(listener);
    listener->DXDrawNotify(*this, dxntSetSurfaceSize);
    if (initialized_) listener->DXDrawNotify(*this, dxntInitialize);
    if (surfacesInitialized_) listener->DXDrawNotify(*this, dxntInitializeSurface);
    if (nesting_ == 0) listener->DXDrawNotify(*this, dxntRestore);
}

void TDXDraw::RemoveListener(TDXDrawListener* listener) {
    auto it = std::find(listeners_.begin(), listeners_.end(), listener);
    if (it == listeners_.end()) return;
    listeners_.erase(it);
    if (surfacesInitialized_) listener->DXDrawNotify(*this, dxntFinalizeSurface);
    if (initialized_) listener->DXDrawNotify(*this, dxntFinalize);
}

void TDXDraw::InitializeDisplay() {
    everInitialized_ = true;
    FinalizeDisplay();
    if (!window_) throw EDXDrawError("Form not found");

    if (OnInitializing) OnInitializing();
    inProgress_ = true;
    initializing_ = true;
    try {
        Notify(dxntInitializing);
        if (activeOptions_.Has(doFullScreen)) {
            int w = Display.Width(), h = Display.Height(), b = Display.BitCount();
            bool ok = Display.DynSetSize(
                w, h, b, [this](const TDisplayMode&) { return window_->SetFullScreen(true); });
            if (!ok) throw EDXDrawError(Format("Display mode cannot be changed (%dx%d %dbit)", w, h, b));
        } else if (window_->IsFullScreen()) {
            window_->SetFullScreen(false);
        }
        CreateSurfaces();
    } catch (...) {
        inProgress_ = false;
        FinalizeDisplay();
        throw;
    }
    inProgress_ = false;

    initialized_ = true;
    ++nesting_;
    try {
        Notify(dxntSetSurfaceSize);
        Notify(dxntInitialize);
        initializeFired_ = true;
        if (OnInitialize) OnInitialize();
        Notify(dxntInitializeSurface);
        surfacesInitialized_ = true;
        if (OnInitializeSurface) OnInitializeSurface();
    } catch (...) {
        --nesting_;
        initializing_ = false;
        throw;
    }
    --nesting_;
    initializing_ = false;
    RestoreSurfaces();
}

void TDXDraw::CreateSurfaces() {
    // The primary surface is the window's presentation.
    primary_ = true;
    if (!back_->SetSize(std::max(surfaceWidth_, 1), std::max(surfaceHeight_, 1)))
        throw EDXDrawError(Format("%s cannot be made", "Surface"));
    back_->FillAll(0);
}

void TDXDraw::ReleaseSurfaces() {
    back_->SetSize(0, 0);
    primary_ = false;
}

void TDXDraw::FinalizeDisplay() {
    if (!initialized_ && !initializing_) return;
    if (back_->HasPixels()) {
        surfaceWidth_ = back_->Width();
        surfaceHeight_ = back_->Height();
    }
    Display.ClearModes();
    inProgress_ = true;
    std::exception_ptr error;
    if (surfacesInitialized_) {
        surfacesInitialized_ = false;
        try {
            if (OnFinalizeSurface) OnFinalizeSurface();
        } catch (...) {
            error = std::current_exception();
        }
    }
    Notify(dxntFinalizeSurface);
    if (initializeFired_) {
        initializeFired_ = false;
        try {
            if (OnFinalize) OnFinalize();
        } catch (...) {
            if (!error) error = std::current_exception();
        }
    }
    Notify(dxntFinalize);
    initializing_ = false;
    initialized_ = false;
    DeriveActiveOptions();
    ReleaseSurfaces();
    inProgress_ = false;
    if (error) std::rethrow_exception(error);
}

bool TDXDraw::SurfacesIntact() {
    if (!initialized_ || inProgress_ || !primary_) return false;
    auto lost = [this] { return window_->IsPresentationLost() || back_->IsLost(); };
    if (!lost()) return true;
    RestoreSurfaces();
    return !lost();
}

void TDXDraw::RestoreSurfaces() {
    if (!initialized_ || inProgress_) return;
    inProgress_ = true;
    try {
        if (window_->RestorePresentation() && back_->Restore()) {
            back_->FillAll(0);
            Notify(dxntRestore);
            if (OnRestoreSurface) OnRestoreSurface();
        }
    } catch (...) {
        inProgress_ = false;
        throw;
    }
    inProgress_ = false;
}

bool TDXDraw::ReadyToDraw() {
    return initialized_ && !inProgress_ && back_->HasPixels() && SurfacesIntact();
}

void TDXDraw::FlipPage() {
    if (!initialized_ || inProgress_ || !SurfacesIntact()) return;
    if (window_->Present(back_->Pixels(), back_->Width(), back_->Height(), back_->PitchPixels())) {
        ++presentCount_;
        back_->LastResult = 0;
    } else {
        back_->LastResult = -1;
    }
}

int TDXDraw::SurfaceWidth() const {
    return back_->HasPixels() ? back_->Width() : surfaceWidth_;
}
int TDXDraw::SurfaceHeight() const {
    return back_->HasPixels() ? back_->Height() : surfaceHeight_;
}

void TDXDraw::SetSurfaceWidth(int w) {
    Resize(w, SurfaceHeight());
}
void TDXDraw::SetSurfaceHeight(int h) {
    Resize(SurfaceWidth(), h);
}

void TDXDraw::Resize(int w, int h) {
    if (inProgress_) return;
    if (w == SurfaceWidth() && h == SurfaceHeight()) return;
    surfaceWidth_ = w;
    surfaceHeight_ = h;
    if (!initialized_) {
        Notify(dxntSetSurfaceSize);
        return;
    }
    Notify(dxntFinalizeSurface);
    back_->SetSize(std::max(w, 1), std::max(h, 1));
    Notify(dxntSetSurfaceSize);
    Notify(dxntInitializeSurface);
}
