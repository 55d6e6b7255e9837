// Fuzz target: arbitrary bytes as a picture-list file, then every picture's pixels decoded.
#include <cstddef>
#include <cstdint>

#include "engine/Errors.h"
#include "engine/PictureCollection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPictureCollection list;
    TByteReader r(data, size);
    try {
        list.LoadListStream(r);
    } catch (const EGameError&) {
        // Every malformed input must end here, with one of the loader's messages.
    }
    // Items read before an error stay: decode what they hold (RLE included), bounded in size.
    std::vector<uint16_t> row;
    for (int i = 0; i < list.Count(); ++i) {
        const TGraphic* g = list.Items(i)->Picture().Graphic();
        list.Items(i)->NumPatterns();
        if (!g || g->Empty() || int64_t(g->Width()) * g->Height() > (int64_t(1) << 18)) continue;
        row.resize(size_t(g->Width()));
        for (int y = 0; y < g->Height(); ++y)
            g->ReadRow565(y, 0, g->Width(), row.data());
    }
    return 0;
}
