#include "replay/RunLength.h"

namespace replay {

std::vector<TFrameRun> ToRuns(const std::vector<TFrame>& frames) {
    std::vector<TFrameRun> runs;
    for (const TFrame& f : frames) {
        if (!runs.empty() && runs.back().Frame == f && runs.back().Count < MaxRunLength)
            ++runs.back().Count;
        else
            runs.push_back({1, f});
    }
    return runs;
}

void AppendRuns(const std::vector<TFrameRun>& runs, std::vector<TFrame>& frames) {
    for (const TFrameRun& r : runs)
        frames.insert(frames.end(), r.Count, r.Frame);
}

void WriteRun(TByteWriter& out, const TFrameRun& run) {
    out.U8(uint8_t(run.Count));
    if (run.Frame.LagCount < LagEscape) {
        out.U8(uint8_t(run.Frame.LagCount));
    } else {
        out.U8(LagEscape);
        out.U32(run.Frame.LagCount);
    }
    out.U16(uint16_t(run.Frame.Input | (run.Frame.CanMove ? CanMoveBit : 0)));
}

TFrameRun ReadRun(TByteReader& in) {
    TFrameRun run;
    run.Count = in.U8();
    const uint8_t lag = in.U8();
    run.Frame.LagCount = lag == LagEscape ? in.U32() : lag;
    const uint16_t word = in.U16();
    run.Frame.CanMove = (word & CanMoveBit) != 0;
    run.Frame.Input = uint16_t(word & ~CanMoveBit);
    return run;
}

} // namespace replay
