// The rasteriser's colour-key rules, its colour reduction and the artc program on small SVG fixtures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tools/artc/KeyedImage.h"
#include "tools/artc/PngFile.h"
#include "tools/artc/Quantize.h"

namespace {

using artc::KeyColor;

TEST(ArtcKeying, AlphaBelowHalfBecomesTheKeyAndTheRestIsUnpremultiplied) {
    struct Case {
        uint32_t Argb; // premultiplied, as cairo stores it
        uint32_t Rgb;
    };
    const Case cases[] = {
        {0x00000000, KeyColor}, // fully transparent
        {0x7F7F0000, KeyColor}, // just under half
        {0x80800000, 0xFF0000}, // exactly half of pure red: opaque red, not dark red
        {0x80402010, 0x804020}, // half alpha, colour restored
        {0xFF1B1B2F, 0x1B1B2F}, // opaque outline colour kept as is
        {0xFFFFFFFF, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.Argb);
        EXPECT_EQ(artc::KeyPixel(c.Argb), c.Rgb);
    }
}

TEST(ArtcKeying, ArtNeverLandsOnTheKeyAfterTheDisplaysColourReduction) {
    // Magenta itself and colours that the 5-6-5 display turns into magenta are moved off it;
    // neighbours that stay distinct on the display are left alone.
    EXPECT_EQ(artc::KeyPixel(0xFFFF00FF), 0xFF04FFu);
    EXPECT_EQ(artc::KeyPixel(0xFFF803FA), 0xF804FAu);
    EXPECT_EQ(artc::KeyPixel(0xFFF704FF), 0xF704FFu);
    EXPECT_EQ(artc::KeyPixel(0xFFF000FF), 0xF000FFu);
    EXPECT_EQ(artc::FlattenPixel(0xFFFF00FF, 0), 0xFF04FFu);
    EXPECT_FALSE(artc::HitsKeyIn565(artc::AvoidKey(0xFC02FC)));
}

TEST(ArtcKeying, OpaqueModeLaysTheArtOverTheBackground) {
    EXPECT_EQ(artc::FlattenPixel(0x00000000, 0x2E9BD6), 0x2E9BD6u);
    EXPECT_EQ(artc::FlattenPixel(0xFF112233, 0x2E9BD6), 0x112233u);
    // Half-covered white over black: mid grey.
    EXPECT_EQ(artc::FlattenPixel(0x80808080, 0x000000), 0x808080u);
}

// A picture with `n` distinct grey-blue colours in a gradient, plus a row of key pixels.
artc::RgbImage Gradient(int n) {
    artc::RgbImage img;
    img.Width = n;
    img.Height = 2;
    for (int i = 0; i < n; ++i)
        img.Pixels.push_back(uint32_t(i % 256) << 8 | uint32_t(i / 256) << 16 | 0x40);
    for (int i = 0; i < n; ++i)
        img.Pixels.push_back(KeyColor);
    return img;
}

TEST(ArtcColours, PicturesWithinTheLimitAreLeftUntouched) {
    artc::RgbImage img = Gradient(200);
    const artc::RgbImage before = img;
    EXPECT_EQ(artc::QuantizeColors(img, 255), 201);
    EXPECT_EQ(img.Pixels, before.Pixels);
}

TEST(ArtcColours, ReductionKeepsTheKeyAndTheLimitAndIsRepeatable) {
    artc::RgbImage a = Gradient(1000);
    artc::RgbImage b = Gradient(1000);
    const int colors = artc::QuantizeColors(a, 255);
    EXPECT_LE(colors, 256);
    EXPECT_EQ(artc::CountColors(a), colors);
    for (int i = 0; i < a.Width; ++i) {
        EXPECT_NE(a.Pixels[i], KeyColor) << i;           // art stays art
        EXPECT_EQ(a.Pixels[a.Width + i], KeyColor) << i; // holes stay holes
    }
    artc::QuantizeColors(b, 255);
    EXPECT_EQ(a.Pixels, b.Pixels);
}

// Runs a shell command line; returns its exit status.
int RunCommand(const std::string& cmd) {
    const int rc = std::system((cmd + " >/dev/null 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A temporary folder with a two-layer SVG fixture: a soft-edged disc and a square.
class ArtcProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("artc_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "fix.svg")
            << "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
               "<g id='disc'><circle cx='5' cy='5' r='4.3' fill='#E63946'/></g>"
               "<g id='square'><rect x='12' y='2' width='6' height='6' fill='#FF00FF'/></g></svg>";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Artc(const std::string& args) { return std::string(SPRAYDASH_ARTC) + " --quiet " + args; }
    std::filesystem::path dir_;
};

TEST_F(ArtcProgram, LayersBecomeCellsOfKeyedOpaquePixels) {
    const auto out = dir_ / "strip.png";
    ASSERT_EQ(RunCommand(Artc("-o " + out.string() + " --layers disc,square,disc+square " +
                              (dir_ / "fix.svg").string())),
              0);
    artc::RgbImage img;
    std::string error;
    ASSERT_TRUE(artc::ReadPng(out.string(), img, &error)) << error;
    EXPECT_EQ(img.Width, 60);
    EXPECT_EQ(img.Height, 10);
    // Cell 0 holds only the disc, cell 1 only the square (its magenta moved off the key).
    EXPECT_EQ(img.Pixels[5 * 60 + 5], 0xE63946u);
    EXPECT_EQ(img.Pixels[5 * 60 + 15], KeyColor);
    EXPECT_EQ(img.Pixels[5 * 60 + 20 + 5], KeyColor);
    EXPECT_EQ(img.Pixels[5 * 60 + 20 + 15], 0xFF04FFu);
    EXPECT_EQ(img.Pixels[5 * 60 + 40 + 5], 0xE63946u);
    // The anti-aliased disc edge is either the art colour (give or take rounding) or the key:
    // no pixel half-blended toward the background, which would show as a pink fringe.
    auto near = [](uint32_t a, uint32_t b) {
        for (int shift = 0; shift <= 16; shift += 8)
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
        return true;
    };
    std::set<uint32_t> colors(img.Pixels.begin(), img.Pixels.end());
    for (uint32_t c : colors)
        EXPECT_TRUE(c == KeyColor || near(c, 0xE63946u) || c == 0xFF04FFu) << std::hex << c;
}

TEST_F(ArtcProgram, SameSourcesGiveByteIdenticalFiles) {
    const std::string svg = (dir_ / "fix.svg").string();
    ASSERT_EQ(RunCommand(Artc("-o " + (dir_ / "a.png").string() + " --cell 40x20 " + svg)), 0);
    ASSERT_EQ(RunCommand(Artc("-o " + (dir_ / "b.png").string() + " --cell 40x20 " + svg)), 0);
    const std::string a = ReadAll(dir_ / "a.png");
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(a, ReadAll(dir_ / "b.png"));
}

TEST_F(ArtcProgram, BadInputFailsWithoutWritingAPicture) {
    const std::string svg = (dir_ / "fix.svg").string();
    const auto out = dir_ / "bad.png";
    const std::string cases[] = {
        "-o " + out.string() + " --layers nosuchlayer " + svg,        // unknown element id
        "-o " + out.string() + " --layers disc,,square " + svg,       // an empty cell in the list
        "-o " + out.string() + " " + (dir_ / "missing.svg").string(), // no such file
        "-o " + out.string() + " --cell 0x10 " + svg,                 // empty cell
        "-o " + out.string() + " --paste 1,2 " + svg,                 // paste without a file
        svg,                                                          // no output named
    };
    for (const std::string& args : cases) {
        SCOPED_TRACE(args);
        EXPECT_NE(RunCommand(Artc(args)), 0);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

} // namespace
