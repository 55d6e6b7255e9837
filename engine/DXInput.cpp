#include "engine/DXInput.h"

#include <cmath>
#include <cstdlib>

#include "engine/Errors.h"
#include "platform/Window.h"

// ---------------------------------------------------------------- keyboard

TKeyboard::TKeyboard(TDXInput& owner) : TCustomInput(owner), Assigns(DefaultAssigns()) {}

TKeyAssigns TKeyboard::DefaultAssigns() {
    TKeyAssigns a{};
    a[isUp] = {75, 38, 104};
    a[isDown] = {74, 40, 98};
    a[isLeft] = {72, 37, 100};
    a[isRight] = {76, 39, 102};
    a[isButton1] = {90, 32, 0};
    a[isButton2] = {88, 13, 0};
    a[isButton9] = {113, 0, 0};
    return a;
}

TKeyAssigns TKeyboard::GameAssigns() {
    TKeyAssigns a{};
    a[isUp] = {38, 0, 104};
    a[isDown] = {40, 0, 0};
    a[isLeft] = {37, 0, 0};
    a[isRight] = {39, 0, 0};
    a[isButton1] = {90, 0, 0}; // Z
    a[isButton2] = {88, 0, 0}; // X
    a[isButton3] = {67, 0, 0}; // C
    a[isButton4] = {80, 0, 0}; // P: pause
    a[isButton5] = {27, 0, 0}; // Esc
    a[isButton6] = {89, 0, 0}; // Y: yes
    a[isButton7] = {78, 0, 0}; // N: no
    a[isButton8] = {32, 0, 0}; // Space: fire
    a[isButton9] = {13, 0, 0}; // Enter
    return a;
}

std::vector<uint8_t> TKeyboard::WriteAssigns(const TKeyAssigns& a) {
    std::vector<uint8_t> out;
    out.reserve(InputStateCount * 3 * 4);
    for (const auto& slots : a)
        for (uint32_t code : slots)
            for (int i = 0; i < 4; ++i)
                out.push_back(uint8_t(code >> (8 * i)));
    return out;
}

bool TKeyboard::ReadAssigns(const std::vector<uint8_t>& bytes, TKeyAssigns& out) {
    if (bytes.size() != size_t(InputStateCount) * 3 * 4) return false;
    size_t p = 0;
    for (auto& slots : out)
        for (uint32_t& code : slots) {
            code = uint32_t(bytes[p]) | uint32_t(bytes[p + 1]) << 8 | uint32_t(bytes[p + 2]) << 16 |
                   uint32_t(bytes[p + 3]) << 24;
            p += 4;
        }
    return true;
}

void TKeyboard::Open() {
    Close();
    if (Enabled) Initialized = true;
}

void TKeyboard::Poll() {
    Keys.fill(0);
    States.Clear();
    if (!Initialized) return;
    // Keys held while the game is in the background are not the player's input.
    if (!owner_.MayRead()) return;
    owner_.Window().ReadKeyboard(Keys.data());
    for (int s = 0; s < InputStateCount; ++s)
        for (uint32_t code : Assigns[size_t(s)])
            if (code >= 1 && code <= 255 && (Keys[code] & 0x80)) {
                States.Include(s);
                break;
            }
}

// ---------------------------------------------------------------- joystick

int32_t TJoystick::ScaleAxis(int32_t position, int32_t axisMin, int32_t axisMax, int range, int deadZone) {
    int64_t half = (int64_t(axisMax) - int64_t(axisMin)) / 2;
    int64_t dz = int64_t(deadZone) * half / 100;
    if (half == dz) return 0;
    // Positions are measured from the axis minimum, so the centre sits at half.
    int64_t a = int64_t(position) - int64_t(axisMin) - half;
    if (std::llabs(a) <= dz) return 0;
    double v =
        a > 0 ? double(a - dz) * range / double(half - dz) : double(a + dz) * range / double(half - dz);
    return int32_t(std::lround(v));
}

void TJoystick::Open() {
    Close();
    systemIndex_ = -1;
    if (!Enabled) return;
    // Take the ID-th joystick the platform knows; with none the device reads nothing.
    if (ID >= 0 && ID < owner_.Window().JoystickCount()) systemIndex_ = ID;
    Initialized = true;
}

void TJoystick::Poll() {
    X = Y = Z = 0;
    Buttons.fill(0);
    States.Clear();
    if (!Initialized) return;
    if (!owner_.MayRead()) return;
    platform::JoystickReading r;
    // A pad plugged in after start-up is found on the next poll.
    if (systemIndex_ < 0 && ID >= 0 && ID < owner_.Window().JoystickCount()) systemIndex_ = ID;
    if (systemIndex_ < 0 || !owner_.Window().ReadJoystick(systemIndex_, r)) return;
    X = ScaleAxis(r.X, r.AxisMin, r.AxisMax, range_[0], deadZone_[0]);
    Y = ScaleAxis(r.Y, r.AxisMin, r.AxisMax, range_[1], deadZone_[1]);
    Z = ScaleAxis(r.Z, r.AxisMin, r.AxisMax, range_[2], deadZone_[2]);
    for (int i = 0; i < r.ButtonCount && i < 32; ++i)
        if (r.Buttons & (uint32_t(1) << i)) Buttons[size_t(i)] = 128;
    for (int i = 0; i < 32; ++i)
        if (Buttons[size_t(i)] & 0x80) States.Include(isButton1 + i);
    if (X < 0) States.Include(isLeft);
    if (X > 0) States.Include(isRight);
    if (Y < 0) States.Include(isUp);
    if (Y > 0) States.Include(isDown);
}

// ---------------------------------------------------------------- component

TDXInput::TDXInput(platform::Window* window)
    : Joystick(*this), Keyboard(*this), Mouse(*this), window_(window) {
    if (!window_) throw EDXInputError("Form not found");
}

void TDXInput::SetUseDirectInput(bool v) {
    if (useDirectInput_ == v) return;
    useDirectInput_ = v;
    Reinitialize();
}

bool TDXInput::MayRead() const {
    return !ActiveOnly || window_->IsForeground();
}

void TDXInput::Reinitialize() {
    Joystick.Close();
    Keyboard.Close();
    Mouse.Close();
    Joystick.Open();
    Keyboard.Open();
    Mouse.Open();
    Poll();
}

void TDXInput::Poll() {
    TDXInputStates merged;
    TCustomInput* devices[] = {&Joystick, &Keyboard, &Mouse};
    for (TCustomInput* d : devices) {
        d->Poll();
        if (d->BindInputStates) merged |= d->States;
    }
    // States changes only on transitions, so a state the program clears itself stays clear
    // until the key is released and pressed again.
    for (int s = 0; s < InputStateCount; ++s) {
        bool now = merged.Has(s), before = PreviousMerged.Has(s);
        if (now && !before) States.Include(s);
        if (!now && before) States.Exclude(s);
    }
    PreviousMerged = merged;
}
