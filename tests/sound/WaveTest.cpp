// The wave payload: reading chunks as the wave-list file stores them, the errors of a bad
// payload, writing it back, and how the sample storage grows.
#include <gtest/gtest.h>

#include "SoundFixtures.h"

namespace {

// Payload builder: "RIFF", a length, "WAVE", then raw chunks.
struct Payload {
    TByteWriter w;
    Payload() {
        w.Chars("RIFF");
        w.U32(0);
        w.Chars("WAVE");
    }
    Payload& Chunk(const std::string& id, const std::vector<uint8_t>& body) {
        w.Chars(id);
        w.U32(uint32_t(body.size()));
        w.Bytes(body);
        return *this;
    }
    Payload& Raw(const std::vector<uint8_t>& b) {
        w.Bytes(b);
        return *this;
    }
    std::vector<uint8_t> Bytes() const { return w.Data(); }
};

TWave Load(const std::vector<uint8_t>& bytes) {
    TWave w;
    TByteReader r(bytes);
    w.LoadFromPayload(r);
    return w;
}

const std::vector<uint8_t> kFmt = MakePcmFormat(1, 22050, 16);

TEST(WavePayload, ReadsFormatAndSamplesSkippingOtherChunksByTheirExactLength) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> format, data;
    };
    const std::vector<uint8_t> samples{1, 2, 3, 4};
    const Case cases[] = {
        {"plain", Payload().Chunk("fmt ", kFmt).Chunk("data", samples).Bytes(), kFmt, samples},
        {"other chunk between",
         Payload().Chunk("fmt ", kFmt).Chunk("LIST", {9, 9, 9}).Chunk("data", samples).Bytes(), kFmt,
         samples}, // odd length, no pad byte
        {"data before fmt", Payload().Chunk("data", samples).Chunk("fmt ", kFmt).Bytes(), kFmt, samples},
        {"no data chunk", Payload().Chunk("fmt ", kFmt).Bytes(), kFmt, {}},
        {"18-byte format block",
         Payload()
             .Chunk("fmt ", {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0, 0, 0})
             .Chunk("data", samples)
             .Bytes(),
         {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0, 0, 0},
         samples},
        {"zero identifier ends the chunks",
         Payload().Chunk("fmt ", kFmt).Raw({0, 0, 0, 0, 4, 0, 0, 0}).Chunk("data", samples).Bytes(),
         kFmt,
         {}},
        {"short trailing header",
         Payload().Chunk("fmt ", kFmt).Chunk("data", samples).Raw({'x', 'y'}).Bytes(), kFmt, samples},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TWave w = Load(c.bytes);
        EXPECT_EQ(w.FormatBlock(), c.format);
        EXPECT_EQ(w.Data(), c.data);
    }
}

TEST(WavePayload, BadPayloadsRaiseTheirErrors) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
        bool invalid;
    };
    std::vector<uint8_t> notRiff = Payload().Chunk("fmt ", kFmt).Bytes();
    notRiff[0] = 'X';
    std::vector<uint8_t> notWave = Payload().Chunk("fmt ", kFmt).Bytes();
    notWave[11] = 'X';
    TByteWriter longData;
    longData.Bytes(Payload().Chunk("fmt ", kFmt).Bytes());
    longData.Chars("data");
    longData.U32(100);
    longData.Bytes({1, 2});
    TByteWriter longFmt;
    longFmt.Bytes(Payload().Bytes());
    longFmt.Chars("fmt ");
    longFmt.U32(0xFFFFFFF0u);
    const Case cases[] = {
        {"not RIFF", notRiff, "Wave is invalid", true},
        {"not WAVE", notWave, "Wave is invalid", true},
        {"shorter than 12 bytes", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W'}, "Stream read error", false},
        {"empty", {}, "Stream read error", false},
        {"data longer than the payload", longData.Data(), "Stream read error", false},
        {"huge format length", longFmt.Data(), "Stream read error", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Load(c.bytes);
            ADD_FAILURE() << "no error";
        } catch (const EWaveStreamError& e) {
            EXPECT_TRUE(c.invalid);
            EXPECT_STREQ(e.what(), c.message);
        } catch (const EReadError& e) {
            EXPECT_FALSE(c.invalid);
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(WavePayload, WritesRiffWithBothLengthsAndReadsBack) {
    TWave w = soundtest::MonoWave({1, -1, 300});
    const std::vector<uint8_t> p = w.SavePayload();
    TByteReader r(p);
    EXPECT_EQ(r.Chars(4), "RIFF");
    EXPECT_EQ(r.U32(), p.size() - 8);
    EXPECT_EQ(r.Chars(4), "WAVE");
    EXPECT_EQ(r.Chars(4), "fmt ");
    EXPECT_EQ(r.U32(), 16u);
    r.Skip(16);
    EXPECT_EQ(r.Chars(4), "data");
    EXPECT_EQ(r.U32(), 6u);
    EXPECT_EQ(r.Remaining(), 6u);
    const TWave back = Load(p);
    EXPECT_EQ(back.FormatBlock(), w.FormatBlock());
    EXPECT_EQ(back.Data(), w.Data());
}

TEST(WavePayload, NothingIsWrittenWhenEitherPartIsEmpty) {
    TWave noData;
    noData.SetFormatBlock(kFmt);
    TWave noFormat;
    noFormat.SetData({1, 2});
    EXPECT_TRUE(noData.SavePayload().empty());
    EXPECT_TRUE(noFormat.SavePayload().empty());
}

TEST(WaveStorage, GrowsInBlocksOf8096Bytes) {
    TWave w;
    const std::vector<uint8_t> chunk(100, 7);
    w.AppendData(chunk.data(), chunk.size());
    EXPECT_EQ(w.DataCapacity(), 8096u);
    for (int i = 0; i < 80; ++i)
        w.AppendData(chunk.data(), chunk.size()); // 8100 bytes
    EXPECT_EQ(w.Data().size(), 8100u);
    EXPECT_EQ(w.DataCapacity(), 2 * 8096u);
}

TEST(WaveFormatBlock, DecodesPlainAndExtensiblePcm) {
    TWaveFormat f;
    ASSERT_TRUE(ReadWaveFormat(MakePcmFormat(2, 44100, 16), f));
    EXPECT_TRUE(f.Pcm);
    EXPECT_EQ(f.Channels, 2);
    EXPECT_EQ(f.SamplesPerSec, 44100u);
    EXPECT_EQ(f.BlockAlign, 4);
    TByteWriter ext;
    ext.Bytes(MakePcmFormat(1, 8000, 16));
    ext.Data()[0] = 0xFE;
    ext.Data()[1] = 0xFF;
    ext.U16(22);
    ext.U16(16);
    ext.U32(4);
    ext.U32(1); // subformat: PCM
    ext.Bytes(std::vector<uint8_t>(12, 0));
    ASSERT_TRUE(ReadWaveFormat(ext.Data(), f));
    EXPECT_TRUE(f.Pcm);
    EXPECT_FALSE(ReadWaveFormat({1, 0, 1, 0}, f));
}

} // namespace
