// Enlarges the game's 16-bit picture into a 32-bit window surface: sharp by a whole factor first,
// then filtered linearly to the final size, in one pass that the processor can afford every frame.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/WindowLayout.h"

namespace platform {

// Where the 8-bit channels sit in a 32-bit target pixel; bits in AlphaMask are set in every pixel.
struct PixelFormat32 {
    int RedShift = 16, GreenShift = 8, BlueShift = 0;
    uint32_t AlphaMask = 0;
    bool operator==(const PixelFormat32&) const = default;
};

// Which code does the arithmetic. All give the same pixels to the bit. Fastest is the widest
// vector code this processor has; the others stay callable so that they can be compared (the
// plain one is what processors without a vector unit we know run).
enum class ScalerCode { Fastest, Vector256, Vector128, Plain };

// Whether this build, on this processor, has the given code (Fastest and Plain always).
bool ScalerCodeAvailable(ScalerCode code);

// Everything that depends only on the sizes and the format, worked out once per window size.
// For each target column and row: the picture pixel it starts from and the weight (0..255, in
// 256ths) of the next picture pixel. A sample that falls between two copies of the same picture
// pixel in the sharp stage takes weight 0, which is what keeps whole pixels sharp.
struct ScalePlan {
    Size Picture, Target;
    int WholeScale = 1;
    PixelFormat32 Format;
    std::vector<int32_t> Column, Row;
    std::vector<uint16_t> ColumnWeights; // per column: 256 - w four times, then w four times
    std::vector<uint8_t> RowWeight;
    std::vector<uint32_t> Colours; // picture colour (5-6-5) -> target pixel
    // Working rows: one picture row in target colours (plus a copy of its last pixel), and two
    // picture rows widened to the target's width, with the picture rows they hold.
    std::vector<uint32_t> Converted, Wide[2];
    int WideRow[2] = {-1, -1};
};

// The plan for a picture of `picture` pixels shown at `target` pixels, enlarged sharply by
// `wholeScale` (at least 1, and no more than fits) before the filtering.
ScalePlan PlanScale(Size picture, Size target, int wholeScale, PixelFormat32 format);

// A 5-6-5 colour as a target pixel: each channel widened to 8 bits by repeating its top bits, so
// that black stays 0 and full intensity becomes 255.
uint32_t TargetColour(uint16_t picture, const PixelFormat32& format);

// Scales one frame (`pitchPixels` apart per row) into the target rectangle at `target`, whose rows
// are `targetPitchBytes` apart.
void ScalePicture(ScalePlan& plan, const uint16_t* pixels, int pitchPixels, uint8_t* target,
                  int targetPitchBytes, ScalerCode code = ScalerCode::Fastest);

} // namespace platform
