// Serialises a score into the bytes of an extended-module (XM 1.04) file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/xmwrite/Score.h"

namespace xmwrite {

// The whole module: header with the order list (restart position 0, so the song wraps to its first
// order), packed patterns and one 16-bit delta-coded synthesised sample per instrument.
std::vector<uint8_t> BuildXm(const Score& score);

// Writes BuildXm's bytes to path; throws sdsynth::SynthError when the file cannot be written.
void WriteXmFile(const std::string& path, const Score& score);

} // namespace xmwrite
