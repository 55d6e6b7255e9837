// The real window on SDL2: an 800 x 600 picture in a window or letterboxed over the desktop.
#include <SDL.h>

#include <algorithm>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/KeyCodes.h"
#include "platform/Window.h"

namespace platform {
namespace {

// SDL key symbol -> the game's virtual-key code (0 when the game has no use for it).
int VirtualKeyOf(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return vk::KeyA + int(k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return vk::Key0 + int(k - SDLK_0);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return vk::Numpad0 + 1 + int(k - SDLK_KP_1);
    if (k >= SDLK_F1 && k <= SDLK_F12) return vk::F1 + int(k - SDLK_F1);
    switch (k) {
        case SDLK_KP_0: return vk::Numpad0;
        case SDLK_BACKSPACE: return vk::Back;
        case SDLK_TAB: return vk::Tab;
        case SDLK_RETURN: case SDLK_KP_ENTER: return vk::Return;
        case SDLK_LSHIFT: case SDLK_RSHIFT: return vk::Shift;
        case SDLK_LCTRL: case SDLK_RCTRL: return vk::Control;
        case SDLK_LALT: case SDLK_RALT: return vk::Menu;
        case SDLK_PAUSE: return vk::Pause;
        case SDLK_CAPSLOCK: return vk::Capital;
        case SDLK_ESCAPE: return vk::Escape;
        case SDLK_SPACE: return vk::Space;
        case SDLK_PAGEUP: return vk::Prior;
        case SDLK_PAGEDOWN: return vk::Next;
        case SDLK_END: return vk::End;
        case SDLK_HOME: return vk::Home;
        case SDLK_LEFT: return vk::Left;
        case SDLK_UP: return vk::Up;
        case SDLK_RIGHT: return vk::Right;
        case SDLK_DOWN: return vk::Down;
        case SDLK_INSERT: return vk::Insert;
        case SDLK_DELETE: return vk::Delete;
        case SDLK_KP_MULTIPLY: return vk::Multiply;
        case SDLK_KP_PLUS: return vk::Add;
        case SDLK_KP_MINUS: return vk::Subtract;
        case SDLK_KP_PERIOD: return vk::Decimal;
        case SDLK_KP_DIVIDE: return vk::Divide;
        case SDLK_NUMLOCKCLEAR: return vk::NumLock;
        case SDLK_SCROLLLOCK: return vk::Scroll;
        // Punctuation gets the desktop's own codes, which no game table uses, so that (for
        // instance) the apostrophe key can never act as the Right arrow.
        case SDLK_SEMICOLON: return vk::Oem1;
        case SDLK_EQUALS: return vk::OemPlus;
        case SDLK_COMMA: return vk::OemComma;
        case SDLK_MINUS: return vk::OemMinus;
        case SDLK_PERIOD: return vk::OemPeriod;
        case SDLK_SLASH: return vk::Oem2;
        case SDLK_BACKQUOTE: return vk::Oem3;
        case SDLK_LEFTBRACKET: return vk::Oem4;
        case SDLK_BACKSLASH: return vk::Oem5;
        case SDLK_RIGHTBRACKET: return vk::Oem6;
        case SDLK_QUOTE: return vk::Oem7;
        default: return 0;
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

struct Pad {
    SDL_JoystickID Id = -1;
    SDL_Joystick* Joystick = nullptr;
    SDL_GameController* Controller = nullptr;
};

class SdlWindow : public Window {
public:
    explicit SdlWindow(const WindowOptions& o) : width_(o.Width), height_(o.Height) {
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            throw std::runtime_error(std::string("Cannot start the video system: ") + SDL_GetError());
        SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
        window_ = SDL_CreateWindow(o.Caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width_,
                                   height_, SDL_WINDOW_HIDDEN);
        if (!window_) throw std::runtime_error(std::string("Cannot open the window: ") + SDL_GetError());
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
        for (auto& p : pads_) ClosePad(p);
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (hand_) SDL_FreeCursor(hand_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
    }

    void Show() override {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
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

    bool Present(const uint16_t* pixels, int /*width*/, int /*height*/, int pitchPixels) override {
        if (lost_ || !texture_) return false;
        if (SDL_UpdateTexture(texture_, nullptr, pixels, pitchPixels * 2) != 0) return false;
        framePresent_ = ShowTexture();
        return framePresent_;
    }

    bool IsPresentationLost() const override { return lost_; }
    bool RestorePresentation() override {
        if (!lost_) return true;
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        framePresent_ = false;
        if (deviceReset_) {
            if (renderer_) SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            if (!CreateRenderer()) return false;
            deviceReset_ = false;
        } else {
            texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width_,
                                         height_);
            if (!texture_) return false;
        }
        lost_ = false;
        return true;
    }

    bool PollEvent(Event& e) override {
        SDL_Event ev;
        while (queue_.empty() && SDL_PollEvent(&ev)) Translate(ev);
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
    // Whether the renderer just made draws through an OpenGL that runs on the processor.
    bool IsSoftwareGl() {
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(renderer_, &info) != 0 || !info.name || std::string(info.name).rfind("opengl", 0) != 0)
            return false;
        using GetString = const unsigned char* (*)(unsigned int);
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        if (!getString) return false;
        const unsigned char* name = getString(0x1F01);  // the GL renderer's name
        if (!name) return false;
        std::string n(reinterpret_cast<const char*>(name));
        return n.find("llvmpipe") != std::string::npos || n.find("softpipe") != std::string::npos ||
               n.find("Software Rasterizer") != std::string::npos;
    }

    bool CreateRenderer() {
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        // A "hardware" renderer that is really OpenGL rasterised on the processor (a machine
        // without a GPU) costs several times the CPU of SDL's own software path, which hands
        // the finished picture straight to the window system. Unless the player chose a driver.
        if (renderer_ && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && IsSoftwareGl()) {
            SDL_DestroyRenderer(renderer_);
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            renderer_ = nullptr;
        }
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) return false;
        // Letterboxed scaling in full screen; the mouse comes back in 800 x 600 coordinates.
        SDL_RenderSetLogicalSize(renderer_, width_, height_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width_,
                                     height_);
        return texture_ != nullptr;
    }

    void OpenPads() {
        for (auto& p : pads_) ClosePad(p);
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
        if (p.Controller) SDL_GameControllerClose(p.Controller);
        else if (p.Joystick) SDL_JoystickClose(p.Joystick);
        p = Pad{};
    }

    static void Shift(Event& e) {
        SDL_Keymod m = SDL_GetModState();
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

    // Shows the frame held in the texture.
    bool ShowTexture() {
        // Only full screen has bars around the picture to clear; in a window the picture
        // covers everything.
        if (fullScreen_) {
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
            SDL_RenderClear(renderer_);
        }
        SDL_Rect dst{0, 0, width_, height_};
        if (SDL_RenderCopy(renderer_, texture_, nullptr, &dst) != 0) return false;
        SDL_RenderPresent(renderer_);
        return true;
    }

    // The window was uncovered: without a compositor its contents are gone, and a frozen
    // frame loop (the game inactive) would not draw them again. The last frame is shown once.
    void RepaintLastFrame() {
        if (framePresent_ && !lost_ && texture_) ShowTexture();
    }

    // Turns one SDL event into none, one or two of the game's events.
    void Translate(const SDL_Event& ev) {
        Event e;
        switch (ev.type) {
            case SDL_QUIT: e.Kind = EventKind::Quit; Push(e); return;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                int code = VirtualKeyOf(ev.key.keysym.sym);
                if (code == 0) return;
                e.Kind = ev.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
                e.Key = code;
                Shift(e);
                Push(e);
                // Backspace, Enter and Esc also arrive as characters, as on the desktop.
                // (Alt+Enter is the full-screen switch, not a typed Enter.)
                if (ev.type == SDL_KEYDOWN && !e.Alt && (code == vk::Back || code == vk::Return || code == vk::Escape)) {
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
                    if (t[i] < 0x80) cp = t[i];
                    else if ((t[i] & 0xE0) == 0xC0 && t[i + 1]) { cp = ((t[i] & 0x1Fu) << 6) | (t[i + 1] & 0x3Fu); len = 2; }
                    else { len = (t[i] & 0xF0) == 0xE0 ? 3 : (t[i] & 0xF8) == 0xF0 ? 4 : 1; cp = 0; }
                    for (size_t k = 1; k < len; ++k) if (!t[i + k]) { len = k; break; }
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
                e.Kind = EventKind::MouseMove;
                e.X = ev.motion.x;
                e.Y = ev.motion.y;
                Push(e);
                return;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                bool down = ev.type == SDL_MOUSEBUTTONDOWN;
                e.X = ev.button.x;
                e.Y = ev.button.y;
                e.Button = ev.button.button == SDL_BUTTON_LEFT ? 1 : ev.button.button == SDL_BUTTON_RIGHT ? 2 : 3;
                e.Kind = down ? EventKind::MouseDown : EventKind::MouseUp;
                Push(e);
                // A left release ends a click; the second press of a double click is its own event.
                if (e.Button == 1 && down && ev.button.clicks >= 2) { e.Kind = EventKind::DoubleClick; Push(e); }
                if (e.Button == 1 && !down && ev.button.clicks == 1) { e.Kind = EventKind::Click; Push(e); }
                return;
            }
            case SDL_WINDOWEVENT:
                switch (ev.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: e.Kind = EventKind::CloseRequest; break;
                    case SDL_WINDOWEVENT_MINIMIZED: e.Kind = EventKind::Minimized; break;
                    case SDL_WINDOWEVENT_RESTORED: e.Kind = EventKind::Restored; break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED: focused_ = true; e.Kind = EventKind::Activated; break;
                    case SDL_WINDOWEVENT_FOCUS_LOST: focused_ = false; e.Kind = EventKind::Deactivated; break;
                    case SDL_WINDOWEVENT_EXPOSED: RepaintLastFrame(); return;
                    default: return;
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
            default: return;
        }
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Cursor* hand_ = nullptr;
    int width_, height_;
    bool fullScreen_ = false, focused_ = true, lost_ = false, deviceReset_ = false;
    bool placementStored_ = false;
    bool framePresent_ = false;  // the texture holds a frame that was shown
    int savedX_ = 0, savedY_ = 0;
    int cursorCount_ = 0;
    std::vector<Pad> pads_;
    std::deque<Event> queue_;
};



}  // namespace

std::unique_ptr<Window> CreateSdlWindow(const WindowOptions& options) {
    return std::make_unique<SdlWindow>(options);
}

}  // namespace platform
