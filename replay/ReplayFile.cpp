#include "replay/ReplayFile.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "replay/ByteReader.h"
#include "replay/ByteWriter.h"
#include "replay/Hash.h"
#include "replay/RunLength.h"

namespace replay {

namespace {

constexpr uint32_t KnownStartFlags =
    sfPauseWasDown | sfEscWasDown | sfYesWasDown | sfNoWasDown | sfNavArmed | sfNavOverrun | sfCtrlDown;
// The input keeps 36 previous states, state n in bit n.
constexpr uint64_t KnownPreviousInput = (uint64_t(1) << 36) - 1;
constexpr size_t EventBytes = 9;      // u32 frame, u8 kind, i32 value
constexpr size_t CheckpointBytes = 2; // u16
// Magic and format version: read before anything else, so a newer layout is named as such.
constexpr size_t PreambleBytes = sizeof Magic + 2;
constexpr size_t ChecksumBytes = 4;

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
    char buf[200];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

std::string TextProblem(const char* what, const std::string& text, bool allowControl) {
    if (text.size() > MaxTextLength)
        return Format("%s too long (%zu bytes, at most %zu)", what, text.size(), MaxTextLength);
    if (!allowControl)
        for (unsigned char c : text)
            if (c < 32) return Format("%s holds a control character", what);
    return {};
}

// Checks of the fields up to the claimed result, shared by writing and both readers.
std::string HeaderProblem(const TReplay& r, uint32_t maxFrames) {
    std::string p;
    // The game version and the name end up on one output line: no control characters in them. The
    // free text is carried as the options file holds it.
    if (!(p = TextProblem("game version", r.GameVersion, false)).empty()) return p;
    if (!(p = TextProblem("free text", r.Start.FreeText, true)).empty()) return p;
    if (!(p = TextProblem("player name", r.Start.PlayerName, false)).empty()) return p;
    if (r.Start.Boat < 1 || r.Start.Boat > 3)
        return Format("boat %u is not 1, 2 or 3", unsigned(r.Start.Boat));
    if (r.Start.Flags & ~KnownStartFlags)
        return Format("unknown start flags 0x%X", unsigned(r.Start.Flags & ~KnownStartFlags));
    if (r.Start.PreviousInput & ~KnownPreviousInput)
        return "previous input states beyond the 36 the input keeps";
    if (r.Claimed.Frames > maxFrames)
        return Format("frame count %u over the limit %u", unsigned(r.Claimed.Frames), unsigned(maxFrames));
    return {};
}

std::string InputProblem(const char* what, size_t index, uint16_t input) {
    if (input & ~FrameInputMask)
        return Format("%s %zu has unknown input bits 0x%04X", what, index, unsigned(input & ~FrameInputMask));
    return {};
}

std::string EventsProblem(const std::vector<TEvent>& events, uint32_t frames) {
    for (size_t i = 0; i < events.size(); ++i) {
        const TEvent& e = events[i];
        if (e.Kind < evClick || e.Kind > evMinimise)
            return Format("event %zu has unknown kind %u", i, unsigned(e.Kind));
        // An event at the frame count comes after the last frame: the answer that ends the race.
        if (e.Frame > frames)
            return Format("event %zu at frame %u past the last frame %u", i, unsigned(e.Frame),
                          unsigned(frames));
        if (i > 0 && e.Frame < events[i - 1].Frame)
            return Format("events out of order: event %zu at frame %u after frame %u", i, unsigned(e.Frame),
                          unsigned(events[i - 1].Frame));
    }
    return {};
}

std::string CheckpointsProblem(size_t count, uint32_t frames) {
    if (count != frames / CheckpointInterval)
        return Format("checkpoint count %zu for %u frames (should be %u)", count, unsigned(frames),
                      unsigned(frames / CheckpointInterval));
    return {};
}

void WriteText(TByteWriter& out, const std::string& s) {
    out.U8(uint8_t(s.size()));
    out.Text(s);
}

std::vector<uint8_t> Serialise(const TReplay& r) {
    TByteWriter out;
    for (uint8_t b : Magic)
        out.U8(b);
    out.U16(FormatVersion);
    out.U32(r.RulesVersion);
    WriteText(out, r.GameVersion);
    out.U64(r.DataDigest);
    out.U32(r.Start.RandomState);
    out.U8(r.Start.Boat);
    out.I32(r.Start.HoverIndex);
    out.U32(r.Start.Flags);
    out.U64(r.Start.PreviousInput);
    WriteText(out, r.Start.FreeText);
    WriteText(out, r.Start.PlayerName);
    out.I32(r.Claimed.Score);
    out.I32(r.Claimed.Level);
    out.I32(r.Claimed.Lives);
    out.U32(r.Claimed.Frames);
    out.U64(r.Claimed.FinalHash);
    const std::vector<TFrameRun> runs = ToRuns(r.Frames);
    out.U32(uint32_t(runs.size()));
    for (const TFrameRun& run : runs)
        WriteRun(out, run);
    out.U32(uint32_t(r.Events.size()));
    for (const TEvent& e : r.Events) {
        out.U32(e.Frame);
        out.U8(e.Kind);
        out.I32(e.Value);
    }
    out.U32(uint32_t(r.Checkpoints.size()));
    for (uint16_t c : r.Checkpoints)
        out.U16(c);
    out.U32(Crc32(out.Data().data(), out.Data().size()));
    return out.Take();
}

// Magic and format version, and the size limit before them.
std::string PreambleProblem(TByteReader& in, size_t size, const TReadLimits& limits) {
    if (size > limits.MaxFileSize)
        return Format("file of %zu bytes over the limit of %zu", size, limits.MaxFileSize);
    uint8_t magic[sizeof Magic];
    for (uint8_t& b : magic)
        b = in.U8();
    if (in.Failed()) return "truncated in the magic";
    if (std::memcmp(magic, Magic, sizeof Magic) != 0) return "not a replay file (bad magic)";
    const uint16_t version = in.U16();
    if (in.Failed()) return "truncated in the format version";
    if (version != FormatVersion) return Format("unknown format version %u", unsigned(version));
    return {};
}

// Reads from the rules version to the claimed result; empty, or the section it ran out in.
std::string ReadHeaderFields(TByteReader& in, TReplay& r) {
    r.RulesVersion = in.U32();
    if (in.Failed()) return "truncated in the rules version";
    r.GameVersion = in.Text(in.U8());
    if (in.Failed()) return "truncated in the game version";
    r.DataDigest = in.U64();
    if (in.Failed()) return "truncated in the data digest";
    r.Start.RandomState = in.U32();
    r.Start.Boat = in.U8();
    r.Start.HoverIndex = in.I32();
    r.Start.Flags = in.U32();
    r.Start.PreviousInput = in.U64();
    if (in.Failed()) return "truncated in the start state";
    r.Start.FreeText = in.Text(in.U8());
    if (in.Failed()) return "truncated in the free text";
    r.Start.PlayerName = in.Text(in.U8());
    if (in.Failed()) return "truncated in the player name";
    r.Claimed.Score = in.I32();
    r.Claimed.Level = in.I32();
    r.Claimed.Lives = in.I32();
    r.Claimed.Frames = in.U32();
    r.Claimed.FinalHash = in.U64();
    if (in.Failed()) return "truncated in the claimed result";
    return {};
}

TReadResult Refuse(std::string error) {
    TReadResult result;
    result.Error = std::move(error);
    return result;
}

// Reads the frame runs and expands them, refusing before anything large is allocated.
std::string ReadFrames(TByteReader& in, TReplay& r) {
    const uint32_t count = in.U32();
    if (in.Failed()) return "truncated in the frame runs";
    if (count > in.Remaining() / MinRunBytes)
        return Format("truncated in the frame runs: run count %u needs more than the %zu bytes left",
                      unsigned(count), in.Remaining());
    if (count > r.Claimed.Frames)
        return Format("run count %u over the frames %u", unsigned(count), unsigned(r.Claimed.Frames));
    std::vector<TFrameRun> runs;
    runs.reserve(count);
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        TFrameRun run = ReadRun(in);
        if (in.Failed()) return "truncated in the frame runs";
        if (run.Count == 0) return Format("frame run %u has length 0", unsigned(i));
        std::string p = InputProblem("frame run", i, run.Frame.Input);
        if (!p.empty()) return p;
        total += run.Count;
        runs.push_back(run);
    }
    if (total != r.Claimed.Frames)
        return Format("frame runs hold %llu frames, the result claims %u",
                      static_cast<unsigned long long>(total), unsigned(r.Claimed.Frames));
    r.Frames.reserve(r.Claimed.Frames);
    AppendRuns(runs, r.Frames);
    return {};
}

std::string ReadEvents(TByteReader& in, TReplay& r, const TReadLimits& limits) {
    const uint32_t count = in.U32();
    if (in.Failed()) return "truncated in the events";
    if (count > limits.MaxEvents)
        return Format("event count %u over the limit %u", unsigned(count), unsigned(limits.MaxEvents));
    if (count > in.Remaining() / EventBytes)
        return Format("truncated in the events: event count %u needs more than the %zu bytes left",
                      unsigned(count), in.Remaining());
    r.Events.resize(count);
    for (TEvent& e : r.Events) {
        e.Frame = in.U32();
        e.Kind = TEventKind(in.U8());
        e.Value = in.I32();
    }
    if (in.Failed()) return "truncated in the events";
    return EventsProblem(r.Events, r.Claimed.Frames);
}

std::string ReadCheckpoints(TByteReader& in, TReplay& r) {
    const uint32_t count = in.U32();
    if (in.Failed()) return "truncated in the checkpoints";
    if (count > in.Remaining() / CheckpointBytes)
        return Format("truncated in the checkpoints: checkpoint count %u needs more than the %zu bytes left",
                      unsigned(count), in.Remaining());
    std::string p = CheckpointsProblem(count, r.Claimed.Frames);
    if (!p.empty()) return p;
    r.Checkpoints.resize(count);
    for (uint16_t& c : r.Checkpoints)
        c = in.U16();
    if (in.Failed()) return "truncated in the checkpoints";
    return {};
}

} // namespace

std::string ReplayProblem(const TReplay& r) {
    std::string p = HeaderProblem(r, MaxFrames);
    if (!p.empty()) return p;
    if (r.Frames.size() != r.Claimed.Frames)
        return Format("%zu frames recorded, the result claims %u", r.Frames.size(),
                      unsigned(r.Claimed.Frames));
    for (size_t i = 0; i < r.Frames.size(); ++i)
        if (!(p = InputProblem("frame", i, r.Frames[i].Input)).empty()) return p;
    const TReadLimits limits;
    if (r.Events.size() > limits.MaxEvents)
        return Format("event count %zu over the limit %u", r.Events.size(), unsigned(limits.MaxEvents));
    if (!(p = EventsProblem(r.Events, r.Claimed.Frames)).empty()) return p;
    if (!(p = CheckpointsProblem(r.Checkpoints.size(), r.Claimed.Frames)).empty()) return p;
    const size_t size = Serialise(r).size();
    if (size > limits.MaxFileSize)
        return Format("file of %zu bytes over the limit of %zu", size, limits.MaxFileSize);
    return {};
}

std::vector<uint8_t> EncodeReplay(const TReplay& replay) {
    if (!ReplayProblem(replay).empty()) return {};
    return Serialise(replay);
}

TReadResult DecodeReplayHeader(const uint8_t* data, size_t size, const TReadLimits& limits) {
    TByteReader in(data, size);
    std::string p = PreambleProblem(in, size, limits);
    if (!p.empty()) return Refuse(p);
    TReadResult result;
    if (!(p = ReadHeaderFields(in, result.Replay)).empty()) return Refuse(p);
    if (!(p = HeaderProblem(result.Replay, limits.MaxFrames)).empty()) return Refuse(p);
    result.Ok = true;
    return result;
}

TReadResult DecodeReplay(const uint8_t* data, size_t size, const TReadLimits& limits) {
    TByteReader preamble(data, size);
    std::string p = PreambleProblem(preamble, size, limits);
    if (!p.empty()) return Refuse(p);
    // The checksum comes first: a damaged file is named as damaged, not by whatever field the
    // damage happened to hit.
    if (size < PreambleBytes + ChecksumBytes) return Refuse("truncated in the checksum");
    const size_t body = size - ChecksumBytes;
    TByteReader tail(data + body, ChecksumBytes);
    const uint32_t stored = tail.U32();
    const uint32_t computed = Crc32(data, body);
    if (stored != computed)
        return Refuse(Format("checksum mismatch (stored 0x%08X, contents give 0x%08X)", unsigned(stored),
                             unsigned(computed)));

    // A file with a good checksum whose fields do not fit was written wrong or made by hand.
    TByteReader in(data, body);
    (void)PreambleProblem(in, size, limits);
    TReadResult result;
    TReplay& r = result.Replay;
    if (!(p = ReadHeaderFields(in, r)).empty()) return Refuse(p);
    if (!(p = HeaderProblem(r, limits.MaxFrames)).empty()) return Refuse(p);
    if (!(p = ReadFrames(in, r)).empty()) return Refuse(p);
    if (!(p = ReadEvents(in, r, limits)).empty()) return Refuse(p);
    if (!(p = ReadCheckpoints(in, r)).empty()) return Refuse(p);
    if (in.Remaining() != 0)
        return Refuse(Format("unread bytes after the checkpoints (%zu)", in.Remaining()));
    result.Ok = true;
    return result;
}

} // namespace replay
