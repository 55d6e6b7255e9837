// Wave-list commands of the asset tool: pack sounds from a manifest, list and extract them.
#pragma once

#include <ostream>
#include <string>

// Packs the `sound` lines of a manifest into a wave-list file; 0 on success, else prints why to err.
int PackWaveList(const std::string& manifestPath, const std::string& outPath, std::ostream& err);
// Lists a wave-list file's sounds to out; 0 on success.
int ListWaveList(const std::string& path, std::ostream& out, std::ostream& err);
// Writes every sound of a wave-list file as OUTDIR/<Name>.wav; 0 on success.
int ExtractWaveList(const std::string& path, const std::string& outDir, std::ostream& err);
