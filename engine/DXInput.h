// The input states: keyboard and joystick read once per frame into 36 logical states (four
// directions and 32 buttons) through a key-assignment table, so the game asks "is Up held?".
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {
class Window;
}

// The 36 input states, in their bit order.
enum TDXInputState : int {
    isUp,
    isDown,
    isLeft,
    isRight,
    isButton1,
    isButton2,
    isButton3,
    isButton4,
    isButton5,
    isButton6,
    isButton7,
    isButton8,
    isButton9,
    isButton10,
    isButton11,
    isButton12,
    isButton13,
    isButton14,
    isButton15,
    isButton16,
    isButton17,
    isButton18,
    isButton19,
    isButton20,
    isButton21,
    isButton22,
    isButton23,
    isButton24,
    isButton25,
    isButton26,
    isButton27,
    isButton28,
    isButton29,
    isButton30,
    isButton31,
    isButton32,
};
constexpr int InputStateCount = 36;

// A set of input states as 5 bytes: state n is bit n mod 8 of byte n div 8.
struct TDXInputStates {
    std::array<uint8_t, 5> Bytes{};
    bool Has(int s) const { return (Bytes[size_t(s) / 8] >> (s % 8)) & 1; }
    void Include(int s) { Bytes[size_t(s) / 8] |= uint8_t(1u << (s % 8)); }
    void Exclude(int s) { Bytes[size_t(s) / 8] &= uint8_t(~(1u << (s % 8))); }
    void Clear() { Bytes.fill(0); }
    bool Empty() const {
        for (auto b : Bytes)
            if (b) return false;
        return true;
    }
    TDXInputStates& operator|=(const TDXInputStates& o) {
        for (size_t i = 0; i < 5; ++i)
            Bytes[i] |= o.Bytes[i];
        return *this;
    }
    bool operator==(const TDXInputStates&) const = default;
};

class TDXInput;

// Common part of the three input devices.
class TCustomInput {
  public:
    explicit TCustomInput(TDXInput& owner) : owner_(owner) {}
    virtual ~TCustomInput() = default;
    bool Enabled = true;         // the device is opened at all
    bool BindInputStates = true; // its states are merged into the component's
    bool ForceFeedback = false;  // not used by the game
    TDXInputStates States;       // what it reported at its last poll
    bool Initialized = false;    // open and may be polled

    // Reads the device into States.
    virtual void Poll() = 0;
    // Opens the device (when Enabled) / closes it.
    virtual void Open() = 0;
    virtual void Close() {
        Initialized = false;
        States.Clear();
    }

  protected:
    TDXInput& owner_;
};

// Key slots per state: three virtual-key codes each (0 = empty).
using TKeyAssigns = std::array<std::array<uint32_t, 3>, InputStateCount>;

// The keyboard: a 256-byte key table and the assignment table.
class TKeyboard : public TCustomInput {
  public:
    explicit TKeyboard(TDXInput& owner);
    std::array<uint8_t, 256> Keys{}; // by virtual-key code, bit 7 set = held
    TKeyAssigns Assigns{};

    // The table a keyboard gets when it is made outside a form.
    static TKeyAssigns DefaultAssigns();
    // The game's own table (arrows, P, Esc, Y, N, Space, Enter, ...).
    static TKeyAssigns GameAssigns();
    // The 432-byte stored form of a table (state order, then slot order, little-endian) and
    // back; Read returns false when the size is wrong.
    static std::vector<uint8_t> WriteAssigns(const TKeyAssigns& a);
    static bool ReadAssigns(const std::vector<uint8_t>& bytes, TKeyAssigns& out);

    void Poll() override;
    void Open() override;
};

// The joystick: the ID-th one found, axes scaled to +-Range with a dead zone.
class TJoystick : public TCustomInput {
  public:
    explicit TJoystick(TDXInput& owner) : TCustomInput(owner) {}
    int ID = 0;
    bool AutoCenter = true;
    int DeadZoneX() const { return deadZone_[0]; }
    int DeadZoneY() const { return deadZone_[1]; }
    int DeadZoneZ() const { return deadZone_[2]; }
    void SetDeadZoneX(int v) { deadZone_[0] = Clamp(v); }
    void SetDeadZoneY(int v) { deadZone_[1] = Clamp(v); }
    void SetDeadZoneZ(int v) { deadZone_[2] = Clamp(v); }
    int RangeX() const { return range_[0]; }
    int RangeY() const { return range_[1]; }
    int RangeZ() const { return range_[2]; }
    void SetRangeX(int v) { range_[0] = v < 0 ? 0 : v; }
    void SetRangeY(int v) { range_[1] = v < 0 ? 0 : v; }
    void SetRangeZ(int v) { range_[2] = v < 0 ? 0 : v; }

    // The last reading, scaled: axes in -range..+range, buttons with bit 7 = pressed.
    int32_t X = 0, Y = 0, Z = 0;
    std::array<uint8_t, 128> Buttons{};

    // Scales a raw axis position by the dead zone (percent) and range.
    static int32_t ScaleAxis(int32_t position, int32_t axisMin, int32_t axisMax, int range, int deadZone);

    void Poll() override;
    void Open() override;

  private:
    static int Clamp(int v) { return v < 0 ? 0 : v > 100 ? 100 : v; }
    int deadZone_[3] = {50, 50, 50};
    int range_[3] = {1000, 1000, 1000};
    int systemIndex_ = -1;
};

// The mouse: opened but, in this game, never bound into the states.
class TMouse : public TCustomInput {
  public:
    explicit TMouse(TDXInput& owner) : TCustomInput(owner) { BindInputStates = false; }
    void Poll() override { States.Clear(); }
    void Open() override {
        Close();
        if (Enabled) Initialized = true;
    }
};

// The input component (the form's MDXInput).
class TDXInput {
  public:
    // Window is the owning form's window; without one the component cannot exist.
    explicit TDXInput(platform::Window* window);

    bool ActiveOnly = true;
    bool UseDirectInput() const { return useDirectInput_; }
    void SetUseDirectInput(bool v);

    TJoystick Joystick;
    TKeyboard Keyboard;
    TMouse Mouse;

    // What the game reads.
    TDXInputStates States;
    TDXInputStates PreviousMerged;

    // Polls every device and derives States from the merged device states.
    void Poll();
    // Closes and reopens every device, then polls once.
    void Reinitialize();

    platform::Window& Window() const { return *window_; }
    // Whether the devices may read now (the window is in the foreground, or ActiveOnly is off).
    bool MayRead() const;

    // Shortcuts for the game: is the state set?
    bool Has(TDXInputState s) const { return States.Has(s); }

  private:
    platform::Window* window_;
    bool useDirectInput_ = true;
};
