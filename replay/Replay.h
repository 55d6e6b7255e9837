// A recorded race as plain data: where it started, what every frame depended on, what the events
// between frames did to it, its checkpoints and the result it claims. Standard library only, so the
// score service can read a replay without linking the game.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace replay {

// Raised whenever the file layout changes. The race's own rules version is a separate number.
constexpr uint16_t FormatVersion = 1;

// A checkpoint is taken after every this many frames.
constexpr uint32_t CheckpointInterval = 64;

// Longest text a replay carries (the free text and the player's name are far shorter in play).
constexpr size_t MaxTextLength = 64;

// Most frames a replay may hold: 24 hours at the nominal 15 ms a frame.
constexpr uint32_t MaxFrames = 24u * 60u * 60u * 1000u / 15u;

// What one frame's input held: the states the race and its dialogs read.
enum TFrameInput : uint16_t {
    fiUp = 1u << 0,
    fiDown = 1u << 1,
    fiLeft = 1u << 2,
    fiRight = 1u << 3,
    fiFire = 1u << 4,  // input state button 8
    fiPause = 1u << 5, // button 4
    fiEsc = 1u << 6,   // button 5
    fiYes = 1u << 7,   // button 6
    fiNo = 1u << 8,    // button 7
    fiCtrl = 1u << 9,  // the Ctrl key held when the frame ran (fires as well)
};
constexpr uint16_t FrameInputMask = 0x03FF;

// One frame of the race as the frame function saw it.
struct TFrame {
    uint32_t LagCount = 1; // frames the timer counted since the last one: drives animation advance
    bool CanMove = true;   // the display was ready, so the frame moved the sprites
    uint16_t Input = 0;    // TFrameInput bits
    bool operator==(const TFrame&) const = default;
};

// What an event handled between two frames did to the race: recorded as its effect, never as the
// window event, so watching a replay cannot switch the viewer's display or options.
enum TEventKind : uint8_t {
    evClick = 1,        // a click or Enter acted on the highlighted slot
    evHover = 2,        // the mouse moved and the highlight became Value
    evCloseRequest = 3, // the close button opened the finish question
    evMinimise = 4,     // minimising opened the pause
};

struct TEvent {
    uint32_t Frame = 0; // applied just before this frame (0-based) runs, in recorded order
    TEventKind Kind = evClick;
    int32_t Value = 0;
    bool operator==(const TEvent&) const = default;
};

// Bits of TStartState::Flags: state from before the race that the race or its dialogs read.
enum TStartFlag : uint32_t {
    sfPauseWasDown = 1u << 0,
    sfEscWasDown = 1u << 1,
    sfYesWasDown = 1u << 2,
    sfNoWasDown = 1u << 3,
    sfNavArmed = 1u << 4,
    sfNavOverrun = 1u << 5,
    sfCtrlDown = 1u << 6,
};

struct TStartState {
    uint32_t RandomState = 0; // the generator's state as the race starts
    uint8_t Boat = 1;         // 1..3
    int32_t HoverIndex = 0;
    uint32_t Flags = 0;         // TStartFlag bits
    uint64_t PreviousInput = 0; // the input's previous states (36 bits, state n is bit n)
    std::string FreeText;       // the options' free text, sent with the result
    std::string PlayerName;     // empty until the name entry takes it
    bool operator==(const TStartState&) const = default;
};

// The result the recording claims, and the full hash of the race state at its end.
struct TResult {
    int32_t Score = 0;
    int32_t Level = 0;
    int32_t Lives = 0;
    uint32_t Frames = 0; // equals the number of frame records
    uint64_t FinalHash = 0;
    bool operator==(const TResult&) const = default;
};

struct TReplay {
    uint32_t RulesVersion = 0;
    std::string GameVersion; // the program that recorded it, e.g. "1.3.0"
    uint64_t DataDigest = 0; // digest of the race picture list properties the race depends on
    TStartState Start;
    std::vector<TFrame> Frames;
    std::vector<TEvent> Events;        // ordered by Frame, then as recorded
    std::vector<uint16_t> Checkpoints; // after frames 64, 128, ... (frame k*64, k >= 1)
    TResult Claimed;
    bool operator==(const TReplay&) const = default;
};

} // namespace replay
