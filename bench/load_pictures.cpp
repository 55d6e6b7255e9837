// Cost of the picture lists: loading a picture-list file of 100 pictures (about 4 MB, RLE8 sprite
// strips and 24-bit backdrops) and building all its pattern surfaces on the display (start-up
// builds only those of the first frame; the main loop copies the rest between frames).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "engine/DXDraw.h"
#include "engine/PictureCollection.h"
#include "platform/HeadlessWindow.h"

namespace {

// 60 sprite strips (8-bit, keyed background, 8 cells of 64 x 64) and 40 backdrops (24-bit, 200 x 150).
TPictureCollection& Fill(TPictureCollection& list) {
    for (int i = 0; i < 100; ++i) {
        TPictureCollectionItem& it = list.Add();
        it.SetName("Picture" + std::to_string(i));
        std::vector<uint8_t> payload;
        if (i < 60) {
            const int w = 512, h = 64;
            std::vector<uint32_t> palette;
            for (int c = 0; c < 64; ++c)
                palette.push_back(c == 0 ? 0xFF00FF
                                         : RGBColor(uint8_t(c * 4), uint8_t(i * 3), uint8_t(255 - c * 4)));
            std::vector<uint8_t> idx(size_t(w * h));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    int cx = x % 64 - 32, cy = y - 32;
                    idx[size_t(y * w + x)] =
                        cx * cx + cy * cy < 28 * 28 ? uint8_t(1 + (x * 7 + y * 3 + i) % 63) : 0;
                }
            payload = MakeDIBPayload(EncodeDIB8RLE(w, h, idx, palette));
            it.PatternWidth = 64;
            it.PatternHeight = 64;
            it.SetTransparentColor(0xFF00FF);
        } else {
            const int w = 200, h = 150;
            std::vector<uint8_t> rgb(size_t(w * h * 3));
            for (size_t p = 0; p < rgb.size(); ++p)
                rgb[p] = uint8_t(p * 31 + size_t(i));
            payload = MakeDIBPayload(EncodeDIB24(w, h, rgb));
        }
        TByteReader r(payload);
        it.Picture().ReadData(r);
    }
    return list;
}

} // namespace

int main(int argc, char** argv) {
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    bench::EnterScratchDir("load-pictures");
    try {
        {
            TPictureCollection source;
            Fill(source).SaveListFile("pictures.dxg");
        }
        std::FILE* f = std::fopen("pictures.dxg", "rb");
        std::fseek(f, 0, SEEK_END);
        const double mib = double(std::ftell(f)) / (1024.0 * 1024.0);
        std::fclose(f);

        std::vector<double> load, build;
        for (int r = 0; r < reps; ++r) {
            platform::HeadlessWindow window;
            TDXDraw draw(&window);
            draw.Display.SetWidth(800);
            draw.Display.SetHeight(600);
            draw.Display.SetBitCount(16);
            TDXImageList images;
            images.SetDXDraw(&draw);
            double t0 = bench::Now();
            images.Items().LoadListFile("pictures.dxg"); // as at start-up: display not yet initialised
            double t1 = bench::Now();
            // Attaching marks every picture due; each is copied when first used, or by the main loop
            // while it waits between frames. All of them together:
            draw.InitializeDisplay();
            while (images.Items().BuildNextDueSurfaces()) {
            }
            double t2 = bench::Now();
            if (images.Items().FindItem("Picture0").Surfaces().empty())
                throw std::runtime_error("no surfaces built");
            load.push_back((t1 - t0) * 1000.0);
            build.push_back((t2 - t1) * 1000.0);
            images.SetDXDraw(nullptr);
        }
        std::sort(load.begin(), load.end());
        std::sort(build.begin(), build.end());
        bench::Row("picture-list file size (100 pictures)", mib, "MiB", "a few MB");
        bench::Row("load picture list (100 pictures), median", load[load.size() / 2], "ms", "< 100");
        bench::Row("build its pattern surfaces, median", build[build.size() / 2], "ms", "< 100");
        // The game's own lists, when the data has been built.
        const std::string res = std::string(SPRAYDASH_DATA_DIR) + "/Res/";
        if (std::FILE* probe = std::fopen((res + "Res1.dxg").c_str(), "rb")) {
            std::fclose(probe);
            std::vector<double> total;
            for (int r = 0; r < reps; ++r) {
                platform::HeadlessWindow window;
                TDXDraw draw(&window);
                draw.Display.SetWidth(800);
                draw.Display.SetHeight(600);
                draw.Display.SetBitCount(16);
                TDXImageList res1, res3;
                res1.SetDXDraw(&draw);
                res3.SetDXDraw(&draw);
                double t0 = bench::Now();
                res1.Items().LoadListFile(res + "Res1.dxg");
                res3.Items().LoadListFile(res + "Res3.dxg");
                draw.InitializeDisplay();
                while (res1.Items().BuildNextDueSurfaces() || res3.Items().BuildNextDueSurfaces()) {
                }
                total.push_back((bench::Now() - t0) * 1000.0);
                res1.SetDXDraw(nullptr);
                res3.SetDXDraw(nullptr);
            }
            std::sort(total.begin(), total.end());
            bench::Row("game's Res1 + Res3: load and build, median", total[total.size() / 2], "ms", "< 100");
        }
        bench::Row("peak memory after loading", bench::PeakMemoryMiB(), "MiB");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "load_pictures: %s\n", e.what());
        return 1;
    }
    return 0;
}
