// sdsynth: renders sound descriptions to 16-bit WAV files and prints level statistics of WAV files.
#include <cstring>
#include <iostream>
#include <string>

#include "tools/sdsynth/SoundStats.h"
#include "tools/sdsynth/SynthParse.h"
#include "tools/sdsynth/SynthRender.h"
#include "tools/sdsynth/WavFile.h"

namespace {

int Usage() {
    std::cerr << "usage: sdsynth render SOUND.sd OUT.wav\n"
                 "       sdsynth stats [--loop NAME]... FILE.wav...\n"
                 "  render  synthesises one sound description into a mono 16-bit WAV file\n"
                 "  stats   prints length, peak, RMS and loop-boundary levels of WAV files;\n"
                 "          --loop NAME marks the file NAME(.wav) as looped (checked for clicks)\n";
    return 2;
}

std::string BaseName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".wav") == 0) name.resize(name.size() - 4);
    return name;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    try {
        if (command == "render" && argc == 4) {
            const sdsynth::SoundDesc desc = sdsynth::LoadSoundFile(argv[2]);
            sdsynth::Pcm16 pcm;
            pcm.rate = desc.rate;
            pcm.samples = sdsynth::ToPcm16(sdsynth::RenderSound(desc));
            sdsynth::WriteWavFile(argv[3], pcm);
            return 0;
        }
        if (command == "stats" && argc >= 3) {
            std::vector<std::string> looped, files;
            for (int i = 2; i < argc; ++i) {
                if (std::strcmp(argv[i], "--loop") == 0 && i + 1 < argc)
                    looped.push_back(argv[++i]);
                else
                    files.push_back(argv[i]);
            }
            sdsynth::PrintStatsHeader(std::cout);
            bool allClean = true;
            for (const std::string& file : files) {
                const sdsynth::Pcm16 pcm = sdsynth::ReadWavFile(file);
                const std::string name = BaseName(file);
                bool isLooped = false;
                for (const auto& l : looped)
                    isLooped = isLooped || l == name;
                const auto stats = sdsynth::MeasureSound(pcm.samples, pcm.rate);
                sdsynth::PrintStatsRow(std::cout, name, stats, isLooped);
                if (isLooped && !sdsynth::LoopsCleanly(stats)) allClean = false;
                if (stats.peak >= 1.0 || stats.rmsDb < -60.0) allClean = false;
            }
            return allClean ? 0 : 1;
        }
    } catch (const sdsynth::SynthError& e) {
        std::cerr << "sdsynth: " << e.what() << '\n';
        return 1;
    }
    return Usage();
}
