// xmwrite: turns a text score into an XM module whose instruments are synthesised from the score itself.
#include <cstdio>
#include <iostream>

#include "tools/sdsynth/SynthParse.h"
#include "tools/xmwrite/ScoreParse.h"
#include "tools/xmwrite/XmWrite.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: xmwrite SCORE.txt OUT.xm\n"
                     "  writes the module and prints its order count and playing time\n";
        return 2;
    }
    try {
        const xmwrite::Score score = xmwrite::LoadScoreFile(argv[1]);
        xmwrite::WriteXmFile(argv[2], score);
        std::printf("%s: %zu orders, %zu patterns, %zu instruments, %.1f s per pass\n", argv[2],
                    score.order.size(), score.patterns.size(), score.instruments.size(),
                    xmwrite::SongSeconds(score));
        return 0;
    } catch (const sdsynth::SynthError& e) {
        std::cerr << "xmwrite: " << e.what() << '\n';
        return 1;
    }
}
