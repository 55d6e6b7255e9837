// sdasset: the command-line asset tool for people who make or mod the game's data.
#include <iostream>
#include <string>

#include "tools/sdasset/PictureCommands.h"
#include "tools/sdasset/SoundCommands.h"

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char a = s[s.size() - tail.size() + i];
        if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
        if (a != tail[i]) return false;
    }
    return true;
}

int Usage() {
    std::cerr << "usage: sdasset pack MANIFEST OUT.dxg|OUT.dxw\n"
                 "       sdasset list FILE.dxg|FILE.dxw\n"
                 "       sdasset extract FILE.dxg|FILE.dxw OUTDIR\n"
                 "       sdasset sheet FILE.dxg OUT.png\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string cmd = argv[1], file = argv[2];
    if (cmd == "pack" && argc == 4) {
        const std::string out = argv[3];
        if (EndsWith(out, ".dxg")) return sdasset::PackPictureList(file, out, std::cerr);
        if (EndsWith(out, ".dxw")) return PackWaveList(file, out, std::cerr);
        std::cerr << "sdasset: " << out << ": the output must end in .dxg (pictures) or .dxw (sounds)\n";
        return 2;
    }
    const bool waves = EndsWith(file, ".dxw");
    if (!waves && !EndsWith(file, ".dxg")) {
        std::cerr << "sdasset: " << file << ": expected a .dxg or .dxw file\n";
        return 2;
    }
    if (cmd == "list" && argc == 3)
        return waves ? ListWaveList(file, std::cout, std::cerr)
                     : sdasset::ListPictureList(file, std::cout, std::cerr);
    if (cmd == "extract" && argc == 4)
        return waves ? ExtractWaveList(file, argv[3], std::cerr)
                     : sdasset::ExtractPictureList(file, argv[3], std::cerr);
    if (cmd == "sheet" && argc == 4 && !waves) return sdasset::DrawContactSheet(file, argv[3], std::cerr);
    return Usage();
}
