#include "platform/HeadlessWindow.h"

#include <cstring>

namespace platform {

HeadlessWindow::HeadlessWindow() {
    // A desktop that offers the usual modes, the game's own among them.
    modes_ = {{640, 480, 16}, {640, 480, 32}, {800, 600, 16}, {800, 600, 32}, {1024, 768, 32}};
}

bool HeadlessWindow::SetFullScreen(bool on) {
    if (on && refuseFullScreen_) return false;
    fullScreen_ = on;
    return true;
}

bool HeadlessWindow::StorePlacement() {
    placementStored_ = true;
    return true;
}

void HeadlessWindow::RestorePlacement() {
    if (placementStored_) ++placementRestores_;
    placementStored_ = false;
}

bool HeadlessWindow::Present(const uint16_t* pixels, int width, int height, int pitchPixels) {
    if (lost_) return false;
    frame_.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(&frame_[size_t(y) * size_t(width)], pixels + size_t(y) * size_t(pitchPixels),
                    size_t(width) * 2);
    frameWidth_ = width;
    frameHeight_ = height;
    ++presents_;
    return true;
}

bool HeadlessWindow::RestorePresentation() {
    lost_ = false;
    return true;
}

bool HeadlessWindow::PollEvent(Event& e) {
    if (events_.empty()) return false;
    e = events_.front();
    events_.pop_front();
    // Focus follows the activation events, as on a desktop.
    if (e.Kind == EventKind::Activated) foreground_ = true;
    if (e.Kind == EventKind::Deactivated) foreground_ = false;
    if (e.Kind == EventKind::KeyDown) keys_[e.Key & 0xFF] = 0x80;
    if (e.Kind == EventKind::KeyUp) keys_[e.Key & 0xFF] = 0;
    return true;
}

bool HeadlessWindow::WaitEvent(Event& e, int) {
    // Nothing arrives by itself offscreen: time is the test's to advance.
    return PollEvent(e);
}

int HeadlessWindow::ShowCursor(bool show) {
    cursorCount_ += show ? 1 : -1;
    return cursorCount_;
}

void HeadlessWindow::ReadKeyboard(uint8_t keys[256]) {
    std::memcpy(keys, keys_, 256);
}

void HeadlessWindow::ReleaseAllKeys() {
    std::memset(keys_, 0, sizeof keys_);
}

void HeadlessWindow::SetJoystick(int index, const JoystickReading& r) {
    if (index < 0) return;
    if (size_t(index) >= joysticks_.size()) joysticks_.resize(size_t(index) + 1);
    joysticks_[size_t(index)] = r;
}

bool HeadlessWindow::ReadJoystick(int index, JoystickReading& out) {
    if (index < 0 || size_t(index) >= joysticks_.size()) return false;
    out = joysticks_[size_t(index)];
    return true;
}

} // namespace platform
