// An offscreen window for tests and benchmarks: keeps the last presented frame, takes events,
// keys and joystick readings injected by the test, and never touches a display.
#pragma once
#include <deque>
#include <vector>

#include "platform/Window.h"

namespace platform {

class HeadlessWindow : public Window {
  public:
    HeadlessWindow();

    void Show() override { shown_ = true; }
    bool SetFullScreen(bool on) override;
    bool IsFullScreen() const override { return fullScreen_; }
    bool StorePlacement() override;
    void RestorePlacement() override;
    void Center() override { centered_ = true; }
    std::vector<DisplayModeInfo> DisplayModes() override { return modes_; }
    bool Present(const uint16_t* pixels, int width, int height, int pitchPixels) override;
    bool IsPresentationLost() const override { return lost_; }
    bool RestorePresentation() override;
    bool PollEvent(Event& e) override;
    bool WaitEvent(Event& e, int timeoutMs) override;
    int ShowCursor(bool show) override;
    bool IsForeground() const override { return foreground_; }
    void ReadKeyboard(uint8_t keys[256]) override;
    int JoystickCount() override { return int(joysticks_.size()); }
    bool ReadJoystick(int index, JoystickReading& out) override;
    void SetIcon(const uint8_t*, int width, int height) override { iconWidth_ = width, iconHeight_ = height; }

    // --- what tests do to it ---
    // Queues an event for the next PollEvent.
    void Inject(const Event& e) { events_.push_back(e); }
    // Holds or releases a key in the keyboard state (no event is queued).
    void SetKey(int virtualKey, bool down) { keys_[virtualKey & 0xFF] = down ? 0x80 : 0; }
    // Releases every key.
    void ReleaseAllKeys();
    // Gives or takes the input focus (no event is queued).
    void SetForeground(bool on) { foreground_ = on; }
    // Plugs in joystick number index with a reading (or updates it); Unplug removes them all.
    void SetJoystick(int index, const JoystickReading& r);
    void UnplugJoysticks() { joysticks_.clear(); }
    // Simulates a renderer reset; the next frames find their surfaces lost.
    void LosePresentation() { lost_ = true; }
    // Makes the next full-screen switches fail (a platform that refuses the mode).
    void RefuseFullScreen(bool refuse) { refuseFullScreen_ = refuse; }
    void SetDisplayModes(std::vector<DisplayModeInfo> modes) { modes_ = std::move(modes); }

    // The last presented frame (800 x 600 5-6-5) and how many frames were presented.
    const std::vector<uint16_t>& LastFrame() const { return frame_; }
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }
    uint64_t PresentCount() const { return presents_; }
    int CursorCount() const { return cursorCount_; }
    bool CursorVisible() const { return cursorCount_ >= 0; }
    bool Shown() const { return shown_; }
    bool Centered() const { return centered_; }
    bool PlacementStored() const { return placementStored_; }
    int PlacementRestores() const { return placementRestores_; }
    int IconWidth() const { return iconWidth_; }

  private:
    std::deque<Event> events_;
    uint8_t keys_[256] = {};
    bool foreground_ = true;
    bool fullScreen_ = false, refuseFullScreen_ = false;
    bool shown_ = false, centered_ = false, lost_ = false;
    bool placementStored_ = false;
    int placementRestores_ = 0;
    std::vector<JoystickReading> joysticks_;
    std::vector<DisplayModeInfo> modes_;
    std::vector<uint16_t> frame_;
    int frameWidth_ = 0, frameHeight_ = 0;
    uint64_t presents_ = 0;
    int cursorCount_ = 0;
    int iconWidth_ = 0, iconHeight_ = 0;
};

} // namespace platform
