// The processor time of enlarging one frame into the window on the software path (our own
// scaler), at the screen sizes that matter: the 800 x 600 picture at 1920 x 1080 (1440 x 1080,
// filtered from 1x) and at 3840 x 2160 (2880 x 2160, sharp 3x, then filtered), with the fastest
// vector code this processor has and with the plain code other processors run.
#include <cstdint>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "platform/PictureScaler.h"
#include "platform/WindowLayout.h"

namespace {

double MsPerFrame(platform::Size screen, platform::ScalerCode code) {
    const platform::PictureLayout l = platform::FitPicture(screen);
    const platform::Size target{l.Picture.W, l.Picture.H};
    platform::ScalePlan plan = platform::PlanScale(platform::kPictureSize, target, l.WholeScale, {});
    std::vector<uint16_t> picture(size_t(platform::kPictureSize.W) * size_t(platform::kPictureSize.H));
    std::vector<uint8_t> out(size_t(target.W) * size_t(target.H) * 4);
    // A new picture each frame, as in a race, so nothing stays in the cache by luck.
    int frames = 0;
    const double t0 = bench::CpuSeconds();
    while (bench::CpuSeconds() - t0 < 1.0) {
        for (size_t i = 0; i < picture.size(); ++i)
            picture[i] = uint16_t(i * 40503u + unsigned(frames) * 7u);
        platform::ScalePicture(plan, picture.data(), platform::kPictureSize.W, out.data(), target.W * 4,
                               code);
        ++frames;
    }
    // Measure the scaling alone: the picture fill is timed again without it and taken off.
    const double total = bench::CpuSeconds() - t0;
    const double f0 = bench::CpuSeconds();
    for (int f = 0; f < frames; ++f)
        for (size_t i = 0; i < picture.size(); ++i)
            picture[i] = uint16_t(i * 40503u + unsigned(f) * 7u);
    const double fill = bench::CpuSeconds() - f0;
    return (total - fill) * 1000.0 / frames;
}

} // namespace

int main() {
    for (platform::Size screen : {platform::Size{1920, 1080}, platform::Size{3840, 2160}})
        for (auto code : {platform::ScalerCode::Fastest, platform::ScalerCode::Plain}) {
            const std::string name = "scale one frame to " + std::to_string(screen.W) + "x" +
                                     std::to_string(screen.H) +
                                     (code == platform::ScalerCode::Plain ? " (plain code)" : "");
            bench::Row(name, MsPerFrame(screen, code), "ms", "");
        }
    return 0;
}
