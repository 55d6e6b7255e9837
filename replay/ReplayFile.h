// A replay as a file: the bytes of a TReplay both ways, checked field by field so that a damaged or
// hostile file is refused with a message naming what is wrong. Pure bytes: saving them (temporary
// file, fsync, rename) is the caller's job. docs/REPLAYS.md describes every field.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "replay/Replay.h"

namespace replay {

// Opens every replay file: "SDRP", then CR LF, Ctrl-Z, LF, which a text-mode copy would change.
constexpr uint8_t Magic[8] = {'S', 'D', 'R', 'P', 0x0D, 0x0A, 0x1A, 0x0A};

// The most a reader accepts, so a hostile file costs bounded memory and time.
struct TReadLimits {
    size_t MaxFileSize = 64 * 1024;
    uint32_t MaxFrames = replay::MaxFrames;
    uint32_t MaxEvents = 4096;
};

struct TReadResult {
    bool Ok = false;
    std::string Error; // what is wrong with the file, when not Ok
    TReplay Replay;
};

// What makes Replay impossible to write so that it reads back (empty when nothing): a field out of
// range, texts too long, frames not matching the claimed count, events out of order, the wrong
// number of checkpoints, or a file over the default size limit.
std::string ReplayProblem(const TReplay& replay);

// The file's bytes, or an empty vector when ReplayProblem names a problem: a replay that could
// not be read back is never written.
std::vector<uint8_t> EncodeReplay(const TReplay& replay);

// Reads a whole file. Checks, in this order: the size limit, the magic, the format version, the
// checksum, then every field; the first problem found is the error.
TReadResult DecodeReplay(const uint8_t* data, size_t size, const TReadLimits& limits = {});

// Reads and checks only the start of a file, up to the claimed result (magic, format, rules and
// game version, data digest, start state, claimed result), e.g. for the score service. The frames,
// events and checkpoints stay empty and the checksum is NOT checked: Data may be just the start of
// the file. Trust the contents only after DecodeReplay.
TReadResult DecodeReplayHeader(const uint8_t* data, size_t size, const TReadLimits& limits = {});

} // namespace replay
