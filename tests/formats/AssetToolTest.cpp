// The asset tool: a packed manifest loads with the game's loader and extracts to the same pixels
// and sounds; the lister shows what was packed; bad manifests are refused with a reason.
#include <gtest/gtest.h>

#ifdef SPRAYDASH_HAVE_SDASSET
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/PictureCollection.h"
#include "tools/sdasset/PictureCommands.h"
#include "tools/sdasset/SoundCommands.h"

namespace fs = std::filesystem;

namespace {

struct AssetDir : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::path(SPRAYDASH_BINARY_DIR) / "test-output" / "formats" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::string P(const std::string& name) const { return (dir / name).string(); }
    void WriteText(const std::string& name, const std::string& text) const { std::ofstream(P(name)) << text; }
    std::vector<uint8_t> ReadBytes(const std::string& name) const {
        std::ifstream in(P(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// An RGBA picture whose colours come from Color(x, y); Alpha 0 where Hole(x, y).
sdasset::RgbPicture MakePicture(int w, int h, uint32_t (*color)(int, int), bool (*hole)(int, int) = nullptr) {
    sdasset::RgbPicture p;
    p.Width = w, p.Height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = color(x, y);
            p.Rgb.insert(p.Rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
            p.Opaque.push_back(!(hole && hole(x, y)));
        }
    return p;
}

bool SavePicture(const std::string& path, const sdasset::RgbPicture& p) {
    std::vector<uint8_t> rgba;
    for (size_t i = 0; i < p.Opaque.size(); ++i)
        rgba.insert(rgba.end(),
                    {p.Rgb[i * 3], p.Rgb[i * 3 + 1], p.Rgb[i * 3 + 2], uint8_t(p.Opaque[i] ? 255 : 0)});
    return sdasset::WritePng(path, p.Width, p.Height, rgba, true, nullptr);
}

std::vector<uint8_t> Wav(const std::vector<int16_t>& samples) {
    TByteWriter w;
    w.Chars("RIFF");
    w.U32(uint32_t(36 + samples.size() * 2));
    w.Chars("WAVEfmt ");
    w.U32(16);
    w.U16(1), w.U16(1), w.U32(22050), w.U32(44100), w.U16(2), w.U16(16);
    w.Chars("data");
    w.U32(uint32_t(samples.size() * 2));
    for (int16_t s : samples)
        w.U16(uint16_t(s));
    return w.Data();
}

} // namespace

TEST_F(AssetDir, PackedPicturesLoadAndExtractToTheSamePixels) {
    // Few colours (RLE8 with a colour table), many colours (24-bit), and transparent holes.
    auto few = MakePicture(96, 32, [](int x, int y) -> uint32_t {
        return (x % 32) < 3 ? 0xFF00FF : ((x / 8 + y / 4) % 5) * 0x203040;
    });
    auto many = MakePicture(70, 40, [](int x, int y) -> uint32_t {
        return uint32_t(x * 3) << 16 | uint32_t(y * 6) << 8 | uint32_t(x + y);
    });
    auto holes = MakePicture(
        40, 40, [](int x, int) -> uint32_t { return 0x10A020 + uint32_t(x); },
        [](int x, int y) { return x < 5 || y < 5; });
    ASSERT_TRUE(SavePicture(P("few.png"), few));
    ASSERT_TRUE(SavePicture(P("many.png"), many));
    ASSERT_TRUE(SavePicture(P("holes.png"), holes));
    fs::create_directories(dir / "wav");
    std::vector<uint8_t> wav = Wav({0, 1000, -1000, 32767, -32768, 5});
    std::ofstream(P("wav/beep.wav"), std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), std::streamsize(wav.size()));
    WriteText("art.manifest", "# pictures and sounds share one manifest\n"
                              "picture Strip few.png 32 32 0 0 clFuchsia 0 1\n"
                              "\n"
                              "picture\tGrad many.png 0 0 0 0 $00000000 1 0\r\n"
                              "picture Holes holes.png 20 20 0 0 clLime 0 1\n"
                              "sound Beep wav/beep.wav 1 3\n");

    std::ostringstream err;
    ASSERT_EQ(sdasset::PackPictureList(P("art.manifest"), P("art.dxg"), err), 0) << err.str();

    TPictureCollection list;
    list.LoadListFile(P("art.dxg"));
    ASSERT_EQ(list.Count(), 3);
    const TPictureCollectionItem& strip = list.FindItem("strip");
    EXPECT_EQ(strip.PatternWidth, 32);
    EXPECT_EQ(strip.NumPatterns(), 3);
    EXPECT_EQ(strip.TransparentColor(), 0xFF00FFu);
    EXPECT_TRUE(strip.Transparent);
    const TPictureCollectionItem& grad = list.FindItem("Grad");
    EXPECT_TRUE(grad.SystemMemory);
    EXPECT_FALSE(grad.Transparent);
    EXPECT_EQ(list.FindItem("Holes").NumPatterns(), 4);
    // The payload kinds the packer chose.
    EXPECT_EQ(dynamic_cast<const TDIB&>(*strip.Picture().Graphic()).Image().BitCount, 8);
    EXPECT_EQ(dynamic_cast<const TDIB&>(*grad.Picture().Graphic()).Image().BitCount, 24);

    ASSERT_EQ(sdasset::ExtractPictureList(P("art.dxg"), P("out"), err), 0) << err.str();
    struct Expect {
        const char* file;
        const sdasset::RgbPicture* original;
        uint32_t key;
    } expects[] = {
        {"out/Strip.png", &few, 0}, {"out/Grad.png", &many, 0}, {"out/Holes.png", &holes, 0x00FF00}};
    for (const Expect& e : expects) {
        sdasset::RgbPicture back;
        ASSERT_TRUE(sdasset::ReadPng(P(e.file), back, nullptr)) << e.file;
        ASSERT_EQ(back.Width, e.original->Width);
        ASSERT_EQ(back.Height, e.original->Height);
        for (size_t i = 0; i < e.original->Opaque.size(); ++i) {
            // Transparent source pixels come back as the picture's key colour.
            std::vector<uint8_t> want =
                e.original->Opaque[i]
                    ? std::vector<uint8_t>{e.original->Rgb[i * 3], e.original->Rgb[i * 3 + 1],
                                           e.original->Rgb[i * 3 + 2]}
                    : std::vector<uint8_t>{uint8_t(e.key >> 16), uint8_t(e.key >> 8), uint8_t(e.key)};
            ASSERT_EQ(
                std::vector<uint8_t>(back.Rgb.begin() + long(i * 3), back.Rgb.begin() + long(i * 3 + 3)),
                want)
                << e.file << " pixel " << i;
        }
    }

    std::ostringstream out;
    ASSERT_EQ(sdasset::ListPictureList(P("art.dxg"), out, err), 0);
    EXPECT_NE(out.str().find("3 pictures"), std::string::npos) << out.str();
    EXPECT_NE(
        out.str().find("Strip  picture 96x32  pattern 32x32  patterns 3  key clFuchsia  flags transparent"),
        std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find(
                  "Grad  picture 70x40  pattern 70x40  patterns 1  key clBlack  flags opaque,systemmemory"),
              std::string::npos)
        << out.str();

    ASSERT_EQ(sdasset::DrawContactSheet(P("art.dxg"), P("sheet.png"), err), 0) << err.str();
    sdasset::RgbPicture sheet;
    EXPECT_TRUE(sdasset::ReadPng(P("sheet.png"), sheet, nullptr));

    // The sound lines of the same manifest go to a wave list and come back byte for byte.
    ASSERT_EQ(PackWaveList(P("art.manifest"), P("sounds.dxw"), err), 0) << err.str();
    ASSERT_EQ(ExtractWaveList(P("sounds.dxw"), P("wavout"), err), 0) << err.str();
    EXPECT_EQ(ReadBytes("wavout/Beep.wav"), wav);
}

TEST_F(AssetDir, BadManifestsAreRefusedWithTheLine) {
    auto pic = MakePicture(32, 16, [](int x, int) -> uint32_t { return uint32_t(x); });
    ASSERT_TRUE(SavePicture(P("p.png"), pic));
    struct Case {
        const char* line;
        const char* reason;
    } cases[] = {
        {"picture A p.png 32 16 0 0 clFuchsia 0", "has 9 fields"},
        {"picture A p.png 3x 16 0 0 clFuchsia 0 1", "whole numbers"},
        {"picture A p.png 32 16 -1 0 clFuchsia 0 1", "cannot be negative"},
        {"picture A p.png 32 16 0 0 clPink 0 1", "'clPink' is not a colour"},
        {"picture A p.png 32 16 0 0 $1000000000 0 1", "is not a colour"},
        {"picture A p.png 32 16 0 0 clBlack 2 1", "0 or 1"},
        {"picture A missing.png 32 16 0 0 clBlack 0 1", "missing.png"},
        {"picture A p.png 64 16 0 0 clBlack 0 1", "larger than the picture"},
        {"picturee A p.png 32 16 0 0 clBlack 0 1", "unknown entry kind"},
        {"picture A p.png 16 16 0 0 clBlack 0 1\npicture a p.png 16 16 0 0 clBlack 0 1",
         "already used on line 2"},
    };
    for (const Case& c : cases) {
        WriteText("bad.manifest", std::string("# header\n") + c.line + "\n");
        std::ostringstream err;
        EXPECT_NE(sdasset::PackPictureList(P("bad.manifest"), P("bad.dxg"), err), 0) << c.line;
        EXPECT_NE(err.str().find("bad.manifest:"), std::string::npos) << err.str();
        EXPECT_NE(err.str().find(c.reason), std::string::npos) << c.line << " -> " << err.str();
        EXPECT_FALSE(fs::exists(P("bad.dxg"))) << c.line;
    }
    std::ostringstream err;
    EXPECT_NE(sdasset::ListPictureList(P("nothing.dxg"), std::cout, err), 0);
    EXPECT_NE(err.str().find("Cannot open file"), std::string::npos);
}
#endif
