// The real window on SDL2: the 800 x 600 picture scaled into a resizable window or over the
// desktop, letterboxed at its 4:3 shape.
#include <SDL.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/KeyCodes.h"
#include "platform/PictureScaler.h"
#include "platform/Window.h"
#include "platform/WindowLayout.h"

namespace platform {
namespace {

// SDL key symbol -> the game's virtual-key code (0 when the game has no use for it).
int VirtualKeyOf(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return vk::KeyA + int(k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return vk::Key0 + int(k - SDLK_0);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return vk::Numpad0 + 1 + int(k - SDLK_KP_1);
    if (k >= SDLK_F1 && k <= SDLK_F12) return vk::F1 + int(k - SDLK_F1);
    switch (k) {
    case SDLK_KP_0:
        return vk::Numpad0;
    case SDLK_BACKSPACE:
        return vk::Back;
    case SDLK_TAB:
        return vk::Tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return vk::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return vk::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return vk::Control;
    case SDLK_LALT:
    case SDLK_RALT:
        return vk::Menu;
    case SDLK_PAUSE:
        return vk::Pause;
    case SDLK_CAPSLOCK:
        return vk::Capital;
    case SDLK_ESCAPE:
        return vk::Escape;
    case SDLK_SPACE:
        return vk::Space;
    case SDLK_PAGEUP:
        return vk::Prior;
    case SDLK_PAGEDOWN:
        return vk::Next;
    case SDLK_END:
        return vk::End;
    case SDLK_HOME:
        return vk::Home;
    case SDLK_LEFT:
        return vk::Left;
    case SDLK_UP:
        return vk::Up;
    case SDLK_RIGHT:
        return vk::Right;
    case SDLK_DOWN:
        return vk::Down;
    case SDLK_INSERT:
        return vk::Insert;
    case SDLK_DELETE:
        return vk::Delete;
    case SDLK_KP_MULTIPLY:
        return vk::Multiply;
    case SDLK_KP_PLUS:
        return vk::Add;
    case SDLK_KP_MINUS:
        return vk::Subtract;
    case SDLK_KP_PERIOD:
        return vk::Decimal;
    case SDLK_KP_DIVIDE:
        return vk::Divide;
    case SDLK_NUMLOCKCLEAR:
        return vk::NumLock;
    case SDLK_SCROLLLOCK:
        return vk::Scroll;
    // Punctuation gets the desktop's own codes, which no game table uses, so that (for
    // instance) the apostrophe key can never act as the Right arrow.
    case SDLK_SEMICOLON:
        return vk::Oem1;
    case SDLK_EQUALS:
        return vk::OemPlus;
    case SDLK_COMMA:
        return vk::OemComma;
    case SDLK_MINUS:
        return vk::OemMinus;
    case SDLK_PERIOD:
        return vk::OemPeriod;
    case SDLK_SLASH:
        return vk::Oem2;
    case SDLK_BACKQUOTE:
        return vk::Oem3;
    case SDLK_LEFTBRACKET:
        return vk::Oem4;
    case SDLK_BACKSLASH:
        return vk::Oem5;
    case SDLK_RIGHTBRACKET:
        return vk::Oem6;
    case SDLK_QUOTE:
        return vk::Oem7;
    default:
        return 0;
    }
}

// Controller buttons -> the game's joystick buttons (bit i = button i + 1). Button 4 pauses,
// 5 is Esc, 6 Yes, 7 No, 8 fires; A both fires and answers Yes, as a player expects.
uint32_t ControllerButtons(SDL_GameController* c) {
    auto on = [c](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(c, b) != 0; };
    auto bit = [](int gameButton) { return uint32_t(1) << (gameButton - 1); };
    uint32_t m = 0;
    if (on(SDL_CONTROLLER_BUTTON_A)) m |= bit(6) | bit(8);
    if (on(SDL_CONTROLLER_BUTTON_B)) m |= bit(7);
    if (on(SDL_CONTROLLER_BUTTON_X)) m |= bit(8);
    if (on(SDL_CONTROLLER_BUTTON_Y)) m |= bit(6);
    if (on(SDL_CONTROLLER_BUTTON_START)) m |= bit(4);
    if (on(SDL_CONTROLLER_BUTTON_BACK)) m |= bit(5);
    if (on(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER)) m |= bit(8);
    if (on(SDL_CONTROLLER_BUTTON_LEFTSHOULDER)) m |= bit(1);
    return m;
}

// Whether this renderer draws through an OpenGL that runs on the processor.
bool IsSoftwareGl(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name ||
        std::string(info.name).rfind("opengl", 0) != 0)
        return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString) return false;
    const unsigned char* name = getString(0x1F01); // the GL renderer's name
    if (!name) return false;
    std::string n(reinterpret_cast<const char*>(name));
    return n.find("llvmpipe") != std::string::npos || n.find("softpipe") != std::string::npos ||
           n.find("Software Rasterizer") != std::string::npos;
}

} // namespace

// Trying the GPU renderer in this process would leave the OpenGL driver (tens of megabytes) mapped
// for the whole run even when the answer is no. Must run before this process starts SDL's video.
// When the child cannot tell (no accelerated renderer at all, a headless driver) the software path
// is used and the question is asked again at the next start.
RendererChoice ProbeRendererInChild() {
    std::fflush(nullptr);
    // The child's end is signalled by SIGCHLD, held back meanwhile, so that the wait below wakes
    // the moment the child is done instead of sleeping in steps.
    sigset_t childEnded, previous;
    sigemptyset(&childEnded);
    sigaddset(&childEnded, SIGCHLD);
    sigprocmask(SIG_BLOCK, &childEnded, &previous);
    const pid_t pid = fork();
    if (pid < 0) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        return RendererChoice::Unknown;
    }
    if (pid == 0) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        int verdict = 2;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            SDL_Window* w = SDL_CreateWindow("probe", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
            SDL_Renderer* r = w ? SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED) : nullptr;
            if (r) verdict = IsSoftwareGl(r) ? 1 : 0;
        }
        _exit(verdict); // no clean-up: the display server drops the child's window
    }
    // A driver that hangs must not keep the game from starting: give it five seconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    RendererChoice choice = RendererChoice::Software;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            const int verdict = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
            choice = verdict == 0   ? RendererChoice::Accelerated
                     : verdict == 1 ? RendererChoice::Software
                                    : RendererChoice::Unknown;
            break;
        }
        if (done < 0) {
            choice = RendererChoice::Unknown;
            break;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds(0)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        // Any child's end wakes the wait; it also looks again every 50 ms, for a caller whose
        // other threads could take the signal.
        const auto ns =
            std::min<int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(left).count(), 50000000);
        const timespec wait{time_t(ns / 1000000000), long(ns % 1000000000)};
        sigtimedwait(&childEnded, nullptr, &wait);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return choice;
}

namespace {

// Usable areas of every display, the primary one first.
std::vector<Rect> UsableAreas() {
    std::vector<Rect> areas;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayUsableBounds(i, &r) == 0 || SDL_GetDisplayBounds(i, &r) == 0)
            areas.push_back({r.x, r.y, r.w, r.h});
    }
    return areas;
}

struct Pad {
    SDL_JoystickID Id = -1;
    SDL_Joystick* Joystick = nullptr;
    SDL_GameController* Controller = nullptr;
};

class SdlWindow : public Window {
  public:
    explicit SdlWindow(const WindowOptions& o)
        : width_(o.Width), height_(o.Height), rendererChoice_(o.Remembered.Renderer) {
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        // A driver the player chose is used as it is; otherwise ask once per machine.
        if (o.ProbeRenderer && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) &&
            rendererChoice_ == RendererChoice::Unknown)
            rendererChoice_ = ProbeRendererInChild();
        if (!SDL_GetHint(SDL_HINT_RENDER_DRIVER) && rendererChoice_ != RendererChoice::Accelerated)
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            throw std::runtime_error(std::string("Cannot start the video system: ") + SDL_GetError());
        SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
        const StartWindow start = ChooseStartWindow(o.Remembered, UsableAreas());
        startPlaced_ = !start.Centred;
        startX_ = start.X;
        startY_ = start.Y;
        const int x = start.Centred ? int(SDL_WINDOWPOS_CENTERED) : start.X;
        const int y = start.Centred ? int(SDL_WINDOWPOS_CENTERED) : start.Y;
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
        window_ = SDL_CreateWindow(o.Caption.c_str(), x, y, start.WindowSize.W, start.WindowSize.H, flags);
        if (!window_) throw std::runtime_error(std::string("Cannot open the window: ") + SDL_GetError());
        SDL_SetWindowMinimumSize(window_, kMinimumWindowSize.W, kMinimumWindowSize.H);
        normal_ = previousNormal_ = {x, y, start.WindowSize.W, start.WindowSize.H};
        startMaximized_ = start.Maximized;
        if (!CreateRenderer()) {
            std::string why = SDL_GetError();
            SDL_DestroyWindow(window_);
            throw std::runtime_error("Cannot draw in the window: " + why);
        }
        hand_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
        if (hand_) SDL_SetCursor(hand_);
        SDL_StartTextInput();
        OpenPads();
    }

    ~SdlWindow() override {
        for (auto& p : pads_)
            ClosePad(p);
        if (stage_) SDL_DestroyTexture(stage_);
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (hand_) SDL_FreeCursor(hand_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
    }

    void Show() override {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
        if (!shown_) {
            shown_ = true;
            // The window was created before the window manager framed it, so a remembered place
            // put the frame where the inside should be; once the frame's size is known (a window
            // event soon after), the inside is put where it was remembered (PlaceOnceFramed).
            placePending_ = startPlaced_;
            // A window left maximised opens in its normal size and place first and is maximised
            // after, so that un-maximising brings that size and place back.
            if (startMaximized_ && !placePending_) SDL_MaximizeWindow(window_);
            // Where the window manager really put it (a centred window has no position until now).
            if (!maximized_) SDL_GetWindowPosition(window_, &normal_.X, &normal_.Y);
            previousNormal_ = normal_;
        }
    }

    bool SetFullScreen(bool on) override {
        if (SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
        fullScreen_ = on;
        return true;
    }
    bool IsFullScreen() const override { return fullScreen_; }

    bool StorePlacement() override {
        SDL_GetWindowPosition(window_, &savedX_, &savedY_);
        placementStored_ = true;
        return true;
    }
    void RestorePlacement() override {
        if (!placementStored_) return;
        SDL_SetWindowPosition(window_, savedX_, savedY_);
        placementStored_ = false;
    }
    void Center() override {
        // Start-up centres the window before showing it; a place remembered from the last run wins
        // there. A maximised window stays as it is.
        if (!shown_ && startPlaced_) return;
        if (maximized_) return;
        if (!placementStored_) SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }

    std::vector<DisplayModeInfo> DisplayModes() override {
        // The picture is scaled to the desktop, so the game's own mode is always on offer.
        std::vector<DisplayModeInfo> modes{{width_, height_, 16}};
        int display = SDL_GetWindowDisplayIndex(window_);
        int n = SDL_GetNumDisplayModes(display < 0 ? 0 : display);
        for (int i = 0; i < n; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(display < 0 ? 0 : display, i, &m) == 0)
                modes.push_back({m.w, m.h, int(SDL_BITSPERPIXEL(m.format))});
        }
        return modes;
    }

    bool Present(const uint16_t* pixels, int width, int height, int pitchPixels) override {
        (void)width;
        (void)height;
        if (lost_ || (!direct_ && !texture_)) return false;
        // A frame like the one on the screen (a still menu) is not scaled and sent again; the
        // window repaints itself from the last frame when it needs to.
        const size_t row = size_t(width_), rowBytes = row * 2;
        bool same = hasFrame_ && shown_ && last_.size() == row * size_t(height_);
        for (int y = 0; same && y < height_; ++y)
            same = std::memcmp(last_.data() + row * size_t(y), pixels + size_t(y) * size_t(pitchPixels),
                               rowBytes) == 0;
        if (same) return true;
        last_.resize(row * size_t(height_));
        for (int y = 0; y < height_; ++y)
            std::memcpy(last_.data() + row * size_t(y), pixels + size_t(y) * size_t(pitchPixels), rowBytes);
        if (!direct_ && SDL_UpdateTexture(texture_, nullptr, pixels, pitchPixels * 2) != 0) return false;
        hasFrame_ = true;
        return Draw(false);
    }

    WindowSettings CurrentSettings() const override {
        const Uint32 flags = SDL_GetWindowFlags(window_);
        const bool normal = !fullScreen_ && !maximized_ &&
                            !(flags & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MINIMIZED));
        const Rect r = normal ? NormalGeometryNow() : normal_;
        WindowSettings s;
        s.HasSize = s.HasPosition = true;
        s.WindowSize = {r.W, r.H};
        s.X = r.X;
        s.Y = r.Y;
        s.Maximized = maximized_;
        s.Renderer = rendererChoice_;
        return s;
    }

    bool IsPresentationLost() const override { return lost_; }
    bool RestorePresentation() override {
        if (!lost_) return true;
        last_.clear(); // what was on the screen is gone: the next frame is drawn whatever it holds
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        if (deviceReset_) {
            if (renderer_) SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            if (!CreateRenderer()) return false;
            deviceReset_ = false;
        } else {
            texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                         width_, height_);
            if (!texture_) return false;
        }
        lost_ = false;
        return true;
    }

    bool PollEvent(Event& e) override {
        SDL_Event ev;
        while (queue_.empty() && SDL_PollEvent(&ev))
            Translate(ev);
        return TakeQueued(e);
    }

    bool WaitEvent(Event& e, int timeoutMs) override {
        if (PollEvent(e)) return true;
        SDL_Event ev;
        if (SDL_WaitEventTimeout(&ev, std::max(timeoutMs, 1))) Translate(ev);
        return TakeQueued(e);
    }

    int ShowCursor(bool show) override {
        cursorCount_ += show ? 1 : -1;
        SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
        return cursorCount_;
    }

    bool IsForeground() const override { return focused_; }

    void ReadKeyboard(uint8_t keys[256]) override {
        std::fill(keys, keys + 256, 0);
        int n = 0;
        const Uint8* state = SDL_GetKeyboardState(&n);
        for (int sc = 0; sc < n; ++sc) {
            if (!state[sc]) continue;
            int code = VirtualKeyOf(SDL_GetKeyFromScancode(SDL_Scancode(sc)));
            if (code > 0 && code < 256) keys[code] = 0x80;
        }
    }

    int JoystickCount() override { return int(pads_.size()); }

    bool ReadJoystick(int index, JoystickReading& out) override {
        if (index < 0 || size_t(index) >= pads_.size()) return false;
        Pad& p = pads_[size_t(index)];
        out = JoystickReading{};
        if (p.Controller) {
            out.X = SDL_GameControllerGetAxis(p.Controller, SDL_CONTROLLER_AXIS_LEFTX);
            out.Y = SDL_GameControllerGetAxis(p.Controller, SDL_CONTROLLER_AXIS_LEFTY);
            out.Z = SDL_GameControllerGetAxis(p.Controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
            // The d-pad steers like the stick pushed all the way.
            if (SDL_GameControllerGetButton(p.Controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) out.X = -32768;
            if (SDL_GameControllerGetButton(p.Controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) out.X = 32767;
            if (SDL_GameControllerGetButton(p.Controller, SDL_CONTROLLER_BUTTON_DPAD_UP)) out.Y = -32768;
            if (SDL_GameControllerGetButton(p.Controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) out.Y = 32767;
            out.Buttons = ControllerButtons(p.Controller);
            out.ButtonCount = 32;
            return true;
        }
        int axes = SDL_JoystickNumAxes(p.Joystick);
        if (axes > 0) out.X = SDL_JoystickGetAxis(p.Joystick, 0);
        if (axes > 1) out.Y = SDL_JoystickGetAxis(p.Joystick, 1);
        if (axes > 2) out.Z = SDL_JoystickGetAxis(p.Joystick, 2);
        out.ButtonCount = std::min(SDL_JoystickNumButtons(p.Joystick), 32);
        for (int b = 0; b < out.ButtonCount; ++b)
            if (SDL_JoystickGetButton(p.Joystick, b)) out.Buttons |= uint32_t(1) << b;
        return true;
    }

    void SetIcon(const uint8_t* rgba, int width, int height) override {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(rgba), width, height, 32,
                                                            width * 4, SDL_PIXELFORMAT_RGBA32);
        if (!s) return;
        SDL_SetWindowIcon(window_, s);
        SDL_FreeSurface(s);
    }

  private:
    // Draws the last frame into the window as it is now: black bars, the picture enlarged by a
    // whole factor with sharp pixels, and then filtered to the final size. `whole` when all of
    // the window must be painted again (it was uncovered or resized).
    bool Draw(bool whole) {
        if (direct_) return DrawDirect(whole);
        int dw = 0, dh = 0;
        if (!DrawableSize(dw, dh)) return false;
        const PictureLayout l = FitPicture({dw, dh}, {width_, height_});
        const Rect& p = l.Picture;
        SDL_SetRenderTarget(renderer_, nullptr);
        // Only the bars are painted black: the picture covers the rest (at 4K, clearing it all
        // would cost as much as a quarter of the frame).
        if (p.W <= 0 || p.H <= 0) {
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
            SDL_RenderClear(renderer_);
        } else if (!(p == Rect{0, 0, dw, dh})) {
            const std::array<SDL_Rect, 4> bars = Bars(p, dw, dh);
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
            SDL_RenderFillRects(renderer_, bars.data(), 4);
        }
        if (p.W > 0 && p.H > 0) {
            const SDL_Rect dst{p.X, p.Y, p.W, p.H}; // (the picture)
            SDL_Texture* source = texture_;
            if (l.Smooth && Stage(l.WholeScale)) {
                SDL_SetRenderTarget(renderer_, stage_);
                SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
                SDL_SetRenderTarget(renderer_, nullptr);
                source = stage_;
            }
            // Without a stage (a renderer that cannot draw into textures) the picture is filtered
            // straight from its own size.
            SDL_SetTextureScaleMode(texture_, l.Smooth && source == texture_ ? SDL_ScaleModeLinear
                                                                             : SDL_ScaleModeNearest);
            SDL_RenderCopy(renderer_, source, nullptr, &dst);
        }
        SDL_RenderPresent(renderer_);
        return true;
    }

    // The stage texture for a whole factor, in the window's own pixel format; false when the
    // renderer cannot draw into textures.
    bool Stage(int factor) {
        if (stage_ && stageFactor_ == factor) return true;
        if (stage_) SDL_DestroyTexture(stage_);
        stage_ = nullptr;
        stageFactor_ = 0;
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(renderer_, &info) != 0 || !(info.flags & SDL_RENDERER_TARGETTEXTURE))
            return false;
        Uint32 format = SDL_GetWindowPixelFormat(window_);
        if (format == SDL_PIXELFORMAT_UNKNOWN || SDL_BYTESPERPIXEL(format) != 4)
            format = SDL_PIXELFORMAT_ARGB8888;
        stage_ =
            SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_TARGET, width_ * factor, height_ * factor);
        if (!stage_)
            stage_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                       width_ * factor, height_ * factor);
        if (!stage_) return false;
        SDL_SetTextureScaleMode(stage_, SDL_ScaleModeLinear);
        SDL_SetTextureBlendMode(stage_, SDL_BLENDMODE_NONE);
        stageFactor_ = factor;
        return true;
    }

    // Without a GPU the processor does all of the enlarging anyway, and our own scaler does it
    // straight into the window's pixels in a fraction of the time of the software renderer's
    // general copies (one conversion, a sharp stage and a filtered stretch, each a full pass).
    bool DrawDirect(bool whole) {
        SDL_Surface* s = SDL_GetWindowSurface(window_); // a new one after each resize
        if (!s) return false;
        PixelFormat32 format;
        if (!DirectFormat(s->format, format)) return false;
        const PictureLayout l = FitPicture({s->w, s->h}, {width_, height_});
        const Rect& p = l.Picture;
        const Size target{p.W, p.H};
        if (!(plan_.Target == target) || plan_.WholeScale != l.WholeScale || !(plan_.Format == format))
            plan_ = PlanScale({width_, height_}, target, l.WholeScale, format);
        // The bars are painted when the surface is new (or was painted over), not every frame.
        whole = whole || s != painted_ || s->w != paintedSize_.W || s->h != paintedSize_.H;
        if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return false;
        if (whole) {
            const Uint32 black = SDL_MapRGB(s->format, 0, 0, 0);
            if (p.W <= 0 || p.H <= 0) {
                SDL_FillRect(s, nullptr, black);
            } else {
                const std::array<SDL_Rect, 4> bars = Bars(p, s->w, s->h);
                SDL_FillRects(s, bars.data(), 4, black);
            }
        }
        if (p.W > 0 && p.H > 0 && last_.size() == size_t(width_) * size_t(height_))
            ScalePicture(plan_, last_.data(), width_,
                         static_cast<uint8_t*>(s->pixels) + size_t(p.Y) * size_t(s->pitch) + size_t(p.X) * 4,
                         s->pitch);
        if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
        painted_ = s;
        paintedSize_ = {s->w, s->h};
        if (whole || p.W <= 0 || p.H <= 0) return SDL_UpdateWindowSurface(window_) == 0;
        const SDL_Rect changed{p.X, p.Y, p.W, p.H};
        return SDL_UpdateWindowSurfaceRects(window_, &changed, 1) == 0;
    }

    // The black bars above, below, left and right of the picture in a drawable of w x h (empty
    // where the picture reaches the edge).
    static std::array<SDL_Rect, 4> Bars(const Rect& p, int w, int h) {
        return {{{0, 0, w, p.Y},
                 {0, p.Y + p.H, w, h - p.Y - p.H},
                 {0, p.Y, p.X, p.H},
                 {p.X + p.W, p.Y, w - p.X - p.W, p.H}}};
    }

    // The window's pixels as our scaler writes them: four bytes, whole 8-bit channels.
    static bool DirectFormat(const SDL_PixelFormat* f, PixelFormat32& out) {
        if (!f || f->BytesPerPixel != 4 || f->Rloss || f->Gloss || f->Bloss) return false;
        if (f->Rshift % 8 || f->Gshift % 8 || f->Bshift % 8) return false;
        out.RedShift = f->Rshift;
        out.GreenShift = f->Gshift;
        out.BlueShift = f->Bshift;
        out.AlphaMask = f->Amask;
        return true;
    }

    // The size of what the picture is drawn into, in pixels.
    bool DrawableSize(int& w, int& h) const {
        if (!direct_) return SDL_GetRendererOutputSize(renderer_, &w, &h) == 0;
        SDL_Surface* s = SDL_GetWindowSurface(window_);
        if (!s) return false;
        w = s->w;
        h = s->h;
        return true;
    }

    // Shows the last frame again when the window needs it while the frame loop may be frozen
    // (uncovered, resized, maximised: the frame timer runs only while the game is active).
    void Repaint() {
        if (hasFrame_ && !lost_ && (direct_ || texture_)) Draw(true);
    }

    bool CreateRenderer() {
        last_.clear();
        direct_ = false;
        stageFactor_ = 0;
        stage_ = nullptr; // textures die with their renderer
        if (rendererChoice_ == RendererChoice::Accelerated || SDL_GetHint(SDL_HINT_RENDER_DRIVER))
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        // A "hardware" renderer that is really OpenGL rasterised on the processor (a machine
        // without a GPU) costs several times the CPU of SDL's own software path, which hands
        // the finished picture straight to the window system. Unless the player chose a driver.
        // (Normally the probe at start has found this out already; this catches a machine that
        // lost its GPU since the choice was remembered.)
        if (renderer_ && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && IsSoftwareGl(renderer_)) {
            SDL_DestroyRenderer(renderer_);
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            renderer_ = nullptr;
            rendererChoice_ = RendererChoice::Software;
        }
        if (!renderer_) {
            // The software path: our own scaler into the window's pixels, where they are in a
            // format it writes; otherwise SDL's software renderer.
            PixelFormat32 format;
            SDL_Surface* s = SDL_GetWindowSurface(window_);
            if (s && DirectFormat(s->format, format)) {
                direct_ = true;
                painted_ = nullptr;
                return true;
            }
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        }
        if (!renderer_) return false;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width_,
                                     height_);
        if (texture_) SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        return texture_ != nullptr;
    }

    // A mouse position in window units -> picture pixels; false over the bars.
    bool ToPicture(int x, int y, int& px, int& py) const {
        int ww = 0, wh = 0, dw = 0, dh = 0;
        SDL_GetWindowSize(window_, &ww, &wh);
        if (!DrawableSize(dw, dh)) return false;
        return WindowToPicture(FitPicture({dw, dh}, {width_, height_}), {ww, wh}, {dw, dh}, x, y, px, py,
                               {width_, height_});
    }

    void PlaceOnceFramed() {
        int top = 0, left = 0, bottom = 0, right = 0;
        if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) {
            placePending_ = false; // no frame information on this desktop: leave it be
        } else if (top > 0 || left > 0) {
            placePending_ = false;
            SDL_SetWindowPosition(window_, startX_, startY_);
        } else {
            return;
        }
        if (startMaximized_) SDL_MaximizeWindow(window_);
    }

    Rect NormalGeometryNow() const {
        Rect r;
        SDL_GetWindowPosition(window_, &r.X, &r.Y);
        SDL_GetWindowSize(window_, &r.W, &r.H);
        return r;
    }

    // Keeps the size and place the window has in its normal state, for the next start.
    void WindowChanged(const SDL_WindowEvent& w) {
        const Uint32 flags = SDL_GetWindowFlags(window_);
        const bool normal = !(flags & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MINIMIZED));
        switch (w.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MOVED:
            // Read the window as it is now rather than the event's numbers: several moves
            // come together when leaving full screen, and the last one counts.
            if (normal && !fullScreen_ && !maximized_) {
                previousNormal_ = normal_;
                normal_ = NormalGeometryNow();
            }
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            if (fullScreen_) break;
            // The window manager may report the new size before it reports the state.
            if (maximized_ == false) {
                int ww = 0, wh = 0;
                SDL_GetWindowSize(window_, &ww, &wh);
                if (normal_.W == ww && normal_.H == wh) normal_ = previousNormal_;
            }
            maximized_ = true;
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if (!fullScreen_ && !(flags & SDL_WINDOW_MAXIMIZED)) maximized_ = false;
            break;
        default:
            break;
        }
    }

    void OpenPads() {
        for (auto& p : pads_)
            ClosePad(p);
        pads_.clear();
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            Pad p;
            if (SDL_IsGameController(i)) {
                p.Controller = SDL_GameControllerOpen(i);
                if (p.Controller) p.Joystick = SDL_GameControllerGetJoystick(p.Controller);
            } else {
                p.Joystick = SDL_JoystickOpen(i);
            }
            if (!p.Joystick) continue;
            p.Id = SDL_JoystickInstanceID(p.Joystick);
            pads_.push_back(p);
        }
    }

    static void ClosePad(Pad& p) {
        if (p.Controller)
            SDL_GameControllerClose(p.Controller);
        else if (p.Joystick)
            SDL_JoystickClose(p.Joystick);
        p = Pad{};
    }

    // The shift state the key event was made with; the state at the time of reading may already
    // be a later one when several key events arrive together (Alt released before Enter is read).
    static void Shift(Event& e, Uint16 m) {
        e.Alt = (m & KMOD_ALT) != 0;
        e.Shift = (m & KMOD_SHIFT) != 0;
        e.Ctrl = (m & KMOD_CTRL) != 0;
    }

    bool TakeQueued(Event& e) {
        if (queue_.empty()) return false;
        e = queue_.front();
        queue_.pop_front();
        return true;
    }

    void Push(const Event& e) { queue_.push_back(e); }

    // Turns one SDL event into none, one or two of the game's events.
    void Translate(const SDL_Event& ev) {
        Event e;
        switch (ev.type) {
        case SDL_QUIT:
            e.Kind = EventKind::Quit;
            Push(e);
            return;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            int code = VirtualKeyOf(ev.key.keysym.sym);
            if (code == 0) return;
            e.Kind = ev.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
            e.Key = code;
            Shift(e, ev.key.keysym.mod);
            Push(e);
            // Backspace, Enter and Esc also arrive as characters, as on the desktop.
            // (Alt+Enter is the full-screen switch, not a typed Enter.)
            if (ev.type == SDL_KEYDOWN && !e.Alt &&
                (code == vk::Back || code == vk::Return || code == vk::Escape)) {
                Event c;
                c.Kind = EventKind::KeyChar;
                c.Char = uint8_t(code);
                Push(c);
            }
            return;
        }
        case SDL_TEXTINPUT: {
            // UTF-8 -> the game's 8-bit characters; what does not fit in 8 bits is dropped.
            const unsigned char* t = reinterpret_cast<const unsigned char*>(ev.text.text);
            for (size_t i = 0; t[i];) {
                unsigned cp = 0;
                size_t len = 1;
                if (t[i] < 0x80)
                    cp = t[i];
                else if ((t[i] & 0xE0) == 0xC0 && t[i + 1]) {
                    cp = ((t[i] & 0x1Fu) << 6) | (t[i + 1] & 0x3Fu);
                    len = 2;
                } else {
                    len = (t[i] & 0xF0) == 0xE0 ? 3 : (t[i] & 0xF8) == 0xF0 ? 4 : 1;
                    cp = 0;
                }
                for (size_t k = 1; k < len; ++k)
                    if (!t[i + k]) {
                        len = k;
                        break;
                    }
                i += len;
                if (cp < 32 || cp > 255) continue;
                Event c;
                c.Kind = EventKind::KeyChar;
                c.Char = uint8_t(cp);
                Push(c);
            }
            return;
        }
        case SDL_MOUSEMOTION:
            // Over the bars the mouse is off the picture, as if outside the window.
            if (!ToPicture(ev.motion.x, ev.motion.y, e.X, e.Y)) return;
            e.Kind = EventKind::MouseMove;
            Push(e);
            return;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            bool down = ev.type == SDL_MOUSEBUTTONDOWN;
            // Clicks on the bars do nothing.
            if (!ToPicture(ev.button.x, ev.button.y, e.X, e.Y)) return;
            e.Button = ev.button.button == SDL_BUTTON_LEFT ? 1 : ev.button.button == SDL_BUTTON_RIGHT ? 2 : 3;
            e.Kind = down ? EventKind::MouseDown : EventKind::MouseUp;
            Push(e);
            // A left release ends a click; the second press of a double click is its own event.
            if (e.Button == 1 && down && ev.button.clicks >= 2) {
                e.Kind = EventKind::DoubleClick;
                Push(e);
            }
            if (e.Button == 1 && !down && ev.button.clicks == 1) {
                e.Kind = EventKind::Click;
                Push(e);
            }
            return;
        }
        case SDL_WINDOWEVENT:
            if (placePending_) PlaceOnceFramed();
            WindowChanged(ev.window);
            switch (ev.window.event) {
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                Repaint();
                return;
            case SDL_WINDOWEVENT_CLOSE:
                e.Kind = EventKind::CloseRequest;
                break;
            case SDL_WINDOWEVENT_MINIMIZED:
                e.Kind = EventKind::Minimized;
                break;
            case SDL_WINDOWEVENT_RESTORED:
                e.Kind = EventKind::Restored;
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                focused_ = true;
                e.Kind = EventKind::Activated;
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                focused_ = false;
                e.Kind = EventKind::Deactivated;
                break;
            default:
                return;
            }
            Push(e);
            return;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            lost_ = true;
            if (ev.type == SDL_RENDER_DEVICE_RESET) deviceReset_ = true;
            e.Kind = EventKind::PresentationLost;
            Push(e);
            return;
        case SDL_JOYDEVICEADDED:
        case SDL_JOYDEVICEREMOVED:
            OpenPads();
            return;
        default:
            return;
        }
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr; // the last frame, picture size
    SDL_Texture* stage_ = nullptr;   // the frame enlarged by stageFactor_ (nearest-neighbour)
    std::vector<uint16_t> last_;     // the pixels of the frame on the screen
    int stageFactor_ = 0;
    bool direct_ = false;            // no renderer: our scaler writes into the window's surface
    ScalePlan plan_;                 // (the direct path) for the window's present size
    SDL_Surface* painted_ = nullptr; // the surface whose bars were painted, and its size
    Size paintedSize_;
    SDL_Cursor* hand_ = nullptr;
    int width_, height_;
    RendererChoice rendererChoice_ = RendererChoice::Unknown;
    bool shown_ = false, startPlaced_ = false, startMaximized_ = false, placePending_ = false,
         hasFrame_ = false, maximized_ = false;
    int startX_ = 0, startY_ = 0;  // a remembered place
    Rect normal_, previousNormal_; // the window's place and size when neither maximised nor full screen
    bool fullScreen_ = false, focused_ = true, lost_ = false, deviceReset_ = false;
    bool placementStored_ = false;
    int savedX_ = 0, savedY_ = 0;
    int cursorCount_ = 0;
    std::vector<Pad> pads_;
    std::deque<Event> queue_;
};

} // namespace

std::unique_ptr<Window> CreateSdlWindow(const WindowOptions& options) {
    return std::make_unique<SdlWindow>(options);
}

} // namespace platform
