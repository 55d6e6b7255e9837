// Fuzz target: arbitrary bytes as a picture payload (class name, then bitmap data).
#include <cstddef>
#include <cstdint>

#include "engine/Errors.h"
#include "engine/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPicture pic;
    TByteReader r(data, size);
    try {
        pic.ReadData(r);
    } catch (const EGameError&) {
        return 0;
    }
    const TGraphic* g = pic.Graphic();
    if (!g || g->Empty() || int64_t(g->Width()) * g->Height() > (int64_t(1) << 18)) return 0;
    // Both pixel paths: the per-pixel colour and the row conversion, including one row cut short.
    volatile uint32_t sink = 0;
    for (int y = 0; y < g->Height(); ++y)
        for (int x = 0; x < g->Width(); ++x)
            sink = sink + g->PixelColor(x, y);
    std::vector<uint16_t> row(size_t(g->Width()) + 2);
    for (int y = -1; y <= g->Height(); ++y)
        g->ReadRow565(y, -1, g->Width() + 2, row.data());
    // Written again, the payload must read back.
    std::vector<uint8_t> again = pic.WriteData();
    TPicture back;
    TByteReader br(again);
    back.ReadData(br);
    if (back.Width() != pic.Width() || back.Height() != pic.Height()) __builtin_trap();
    return 0;
}
