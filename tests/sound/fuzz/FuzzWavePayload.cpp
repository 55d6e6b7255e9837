// Fuzz target: arbitrary bytes as the wave payload of one sound.
#include <cstddef>
#include <cstdint>

#include "engine/Errors.h"
#include "engine/Wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TWave wave;
    TByteReader r(data, size);
    try {
        wave.LoadFromPayload(r);
    } catch (const EGameError&) {
        // "Wave is invalid" or "Stream read error".
    }
    TWaveFormat f;
    ReadWaveFormat(wave.FormatBlock(), f);
    return 0;
}
