// The asset tool's wave-list commands: packing WAV files from a manifest into a file the game
// loads, listing it, extracting the sounds and packing them again to the same bytes.
#ifdef SPRAYDASH_HAVE_SDASSET
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "SoundFixtures.h"
#include "tools/sdasset/SoundCommands.h"

namespace fs = std::filesystem;

namespace {

// A WAV file image; odd-length data gets the pad byte WAV files carry.
std::vector<uint8_t> WavFile(const std::vector<uint8_t>& format, const std::vector<uint8_t>& data) {
    TByteWriter w;
    w.Chars("RIFF");
    w.U32(0);
    w.Chars("WAVE");
    w.Chars("fmt ");
    w.U32(uint32_t(format.size()));
    w.Bytes(format);
    w.Chars("LIST"); // a chunk packers must skip
    w.U32(3);
    w.Bytes({1, 2, 3, 0});
    w.Chars("data");
    w.U32(uint32_t(data.size()));
    w.Bytes(data);
    if (data.size() % 2) w.U8(0);
    w.PatchU32(4, uint32_t(w.Size() - 8));
    return w.Data();
}

class SoundCommands : public ::testing::Test {
  protected:
    fs::path dir = fs::temp_directory_path() / ("spraydash_sdasset_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir / "wav"); }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const fs::path& p, const std::vector<uint8_t>& bytes) {
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void WriteText(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
    std::vector<uint8_t> Read(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }

    const std::vector<uint8_t> shot = soundtest::Pcm16({100, -100, 2000, -2000, 5});
    const std::vector<uint8_t> engine{0x80, 0x90, 0x70, 0x80, 0xA0, 0x60, 0x81}; // 8-bit stereo, odd length

    // The two test sounds and a manifest naming them (with the lines a manifest may also hold).
    fs::path MakeManifest() {
        Write(dir / "wav" / "shot.wav", WavFile(MakePcmFormat(1, 22050, 16), shot));
        std::vector<uint8_t> e = engine;
        e.pop_back(); // whole frames only
        Write(dir / "wav" / "engine.wav", WavFile(MakePcmFormat(2, 11025, 8), e));
        WriteText(dir / "sounds.txt", "# game sounds\n\n"
                                      "picture Logo logo.png 0 0 0 0 clFuchsia 0 1\n"
                                      "sound Shot\twav/shot.wav 0 3\r\n"
                                      "  sound Engine wav/engine.wav 1 0\n");
        return dir / "sounds.txt";
    }
};

TEST_F(SoundCommands, PackedFileLoadsInTheGameWithEverySoundIntact) {
    std::ostringstream err;
    ASSERT_EQ(PackWaveList(MakeManifest().string(), (dir / "Sounds.dxw").string(), err), 0) << err.str();
    TWaveCollection list;
    list.LoadListFile((dir / "Sounds.dxw").string());
    ASSERT_EQ(list.Count(), 2);
    const TWaveCollectionItem& s = list.FindItem("shot");
    EXPECT_FALSE(s.Looped());
    EXPECT_EQ(s.MaxPlayingCount(), 3);
    EXPECT_EQ(s.Wave().Data(), shot);
    EXPECT_EQ(s.Wave().FormatBlock(), MakePcmFormat(1, 22050, 16));
    const TWaveCollectionItem& e = list.FindItem("Engine");
    EXPECT_TRUE(e.Looped());
    EXPECT_EQ(e.Wave().Data(), std::vector<uint8_t>(engine.begin(), engine.end() - 1));
}

TEST_F(SoundCommands, ListShowsEachSoundsFormatLengthAndFlags) {
    std::ostringstream err, out;
    ASSERT_EQ(PackWaveList(MakeManifest().string(), (dir / "Sounds.dxw").string(), err), 0) << err.str();
    ASSERT_EQ(ListWaveList((dir / "Sounds.dxw").string(), out, err), 0) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("2 sounds"), std::string::npos) << text;
    EXPECT_NE(text.find("Shot"), std::string::npos);
    EXPECT_NE(text.find("PCM 16-bit mono 22050 Hz, 10 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("looped 0, max playing 3"), std::string::npos) << text;
    EXPECT_NE(text.find("PCM 8-bit stereo 11025 Hz, 6 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("looped 1, max playing 0"), std::string::npos) << text;
}

TEST_F(SoundCommands, ExtractedSoundsPackBackToTheSameFile) {
    std::ostringstream err;
    ASSERT_EQ(PackWaveList(MakeManifest().string(), (dir / "Sounds.dxw").string(), err), 0) << err.str();
    ASSERT_EQ(ExtractWaveList((dir / "Sounds.dxw").string(), (dir / "out").string(), err), 0) << err.str();
    ASSERT_TRUE(fs::exists(dir / "out" / "Shot.wav"));
    ASSERT_TRUE(fs::exists(dir / "out" / "Engine.wav"));
    WriteText(dir / "again.txt", "sound Shot out/Shot.wav 0 3\nsound Engine out/Engine.wav 1 0\n");
    ASSERT_EQ(PackWaveList((dir / "again.txt").string(), (dir / "Again.dxw").string(), err), 0) << err.str();
    EXPECT_EQ(Read(dir / "Again.dxw"), Read(dir / "Sounds.dxw"));
}

TEST_F(SoundCommands, ExtractKeepsHostileNamesInsideTheOutputFolder) {
    TWaveCollection list;
    auto& item = list.Add();
    item.SetName("../../evil");
    item.SetWave(soundtest::FlatWave(4));
    Write(dir / "Evil.dxw", list.SaveListStream());
    std::ostringstream err;
    ASSERT_EQ(ExtractWaveList((dir / "Evil.dxw").string(), (dir / "out").string(), err), 0) << err.str();
    EXPECT_TRUE(fs::exists(dir / "out" / "______evil.wav"));
    EXPECT_FALSE(fs::exists(dir / "evil.wav"));
}

TEST_F(SoundCommands, BadInputFailsWithAReason) {
    Write(dir / "wav" / "ok.wav", WavFile(MakePcmFormat(1, 8000, 16), shot));
    std::vector<uint8_t> fmt24 = MakePcmFormat(1, 8000, 16);
    fmt24[14] = 24;
    Write(dir / "wav" / "deep.wav", WavFile(fmt24, std::vector<uint8_t>(9, 0)));
    Write(dir / "wav" / "junk.wav", {'n', 'o', 'p', 'e'});
    std::vector<uint8_t> cut = WavFile(MakePcmFormat(1, 8000, 16), shot);
    cut.resize(cut.size() - 4);
    Write(dir / "wav" / "cut.wav", cut);
    struct Case {
        const char* manifest;
        const char* reason;
    };
    const Case cases[] = {
        {"sound A wav/missing.wav 0 0\n", "cannot read"},
        {"sound A wav/ok.wav 2 0\n", "expected: sound"},
        {"sound A wav/ok.wav 0 -1\n", "expected: sound"},
        {"sound A wav/ok.wav 0\n", "expected: sound"},
        {"sound A wav/ok.wav 0 x\n", "expected: sound"},
        {"sound A wav/ok.wav 0 0\nsound a wav/ok.wav 0 0\n", "named twice"},
        {"sound A wav/deep.wav 0 0\n", "only 8- or 16-bit"},
        {"sound A wav/junk.wav 0 0\n", "not a RIFF WAVE"},
        {"sound A wav/cut.wav 0 0\n", "runs past the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.manifest);
        WriteText(dir / "bad.txt", c.manifest);
        std::ostringstream err;
        EXPECT_NE(PackWaveList((dir / "bad.txt").string(), (dir / "Bad.dxw").string(), err), 0);
        EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
    }
    std::ostringstream err, out;
    EXPECT_NE(PackWaveList((dir / "none.txt").string(), (dir / "Bad.dxw").string(), err), 0);
    EXPECT_NE(ListWaveList((dir / "none.dxw").string(), out, err), 0);
    EXPECT_NE(err.str().find("Cannot open file"), std::string::npos) << err.str();
}

} // namespace
#endif
