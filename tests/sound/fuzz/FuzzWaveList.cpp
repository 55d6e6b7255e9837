// Fuzz target: arbitrary bytes as a wave-list file, then every sound written back.
#include <cstddef>
#include <cstdint>

#include "engine/DXSounds.h"
#include "engine/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TWaveCollection list;
    TByteReader r(data, size);
    try {
        list.LoadListStream(r);
    } catch (const EGameError&) {
        // Every malformed input must end here, with one of the loader's messages.
    }
    // Items read before an error stay: describe and re-encode what they hold.
    for (int i = 0; i < list.Count(); ++i) {
        TWaveFormat f;
        ReadWaveFormat(list.Items(i)->Wave().FormatBlock(), f);
        list.Items(i)->Wave().SavePayload();
    }
    list.SaveListStream();
    return 0;
}
