// The frame records of a replay as runs: consecutive frames with the same lag count, move flag and
// input are stored once with their count. Inputs change a few times a second and the lag is almost
// always 1, so a three-minute race is a few hundred runs.
#pragma once
#include <cstdint>
#include <vector>

#include "replay/ByteReader.h"
#include "replay/ByteWriter.h"
#include "replay/Replay.h"

namespace replay {

struct TFrameRun {
    uint32_t Count = 0; // 1..MaxRunLength in a file
    TFrame Frame;
    bool operator==(const TFrameRun&) const = default;
};

// A run's count is one byte; a longer stretch of equal frames is split into several runs.
constexpr uint32_t MaxRunLength = 255;
// A lag byte of this value is followed by the lag as a u32 (a stall of 255 frames or more).
constexpr uint8_t LagEscape = 255;
// The input word of a run: TFrameInput bits, and this bit when the frame could move the sprites.
constexpr uint16_t CanMoveBit = 0x8000;

// The runs of Frames, none longer than MaxRunLength.
std::vector<TFrameRun> ToRuns(const std::vector<TFrame>& frames);

// Appends the frames of Runs to Frames (the caller has bounded their total).
void AppendRuns(const std::vector<TFrameRun>& runs, std::vector<TFrame>& frames);

// One run as its bytes: u8 count, u8 lag (or LagEscape and a u32), u16 input word.
void WriteRun(TByteWriter& out, const TFrameRun& run);
// Reads one run as stored; the caller checks its count and input bits.
TFrameRun ReadRun(TByteReader& in);

// The fewest bytes a run takes, for checking a run count against the bytes left.
constexpr size_t MinRunBytes = 4;

} // namespace replay
