// The picture payload: class dispatch, headers, colour tables, bit fields, row order, RLE, errors.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "engine/DIB.h"
#include "engine/Errors.h"
#include "engine/Picture.h"

using fixtures::Bytes;

namespace {

// A 40-byte info header.
Bytes Info(int32_t w, int32_t h, uint16_t bpp, uint32_t compression = 0, uint32_t imageSize = 0,
           uint32_t colorsUsed = 0) {
    Bytes b;
    b.U32(40).U32(uint32_t(w)).U32(uint32_t(h)).U16(1).U16(bpp).U32(compression).U32(imageSize);
    b.U32(0).U32(0).U32(colorsUsed).U32(0);
    return b;
}

// Reads "TDIB" data into a picture; returns the error text ("" on success).
std::string ReadDIB(TPicture& pic, const std::vector<uint8_t>& dib) {
    std::vector<uint8_t> payload = MakeDIBPayload(dib);
    TByteReader r(payload);
    try {
        pic.ReadData(r);
        return "";
    } catch (const EGameError& e) {
        return e.what();
    }
}

// Colour table entries whose red channel is the index (blue, green, red, reserved).
Bytes Table(int n) {
    Bytes b;
    for (int i = 0; i < n; ++i)
        b.Raw({0, 0, i, 0});
    return b;
}

} // namespace

TEST(DIB, ClassNameDecidesTheGraphic) {
    struct Case {
        std::vector<uint8_t> payload;
        const char* cls;
    } cases[] = {
        {{4, 'T', 'D', 'I', 'B'}, "TDIB"},
        {{7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0, 0, 0, 0}, "TBitmap"},
        {{5, 'T', 'I', 'c', 'o', 'n', 1, 2, 3}, nullptr},
        {{9, 'T', 'M', 'e', 't', 'a', 'f', 'i', 'l', 'e'}, nullptr},
        {{5, 'T', 'J', 'p', 'e', 'g', 0xFF, 0xD8}, nullptr},
    };
    for (const Case& c : cases) {
        TPicture pic;
        std::vector<uint8_t> seed = MakeDIBPayload({});
        TByteReader seedReader(seed);
        pic.ReadData(seedReader); // the previous graphic is replaced in every case
        TByteReader r(c.payload);
        pic.ReadData(r);
        if (c.cls) {
            ASSERT_NE(pic.Graphic(), nullptr);
            EXPECT_EQ(pic.Graphic()->ClassName(), c.cls);
            EXPECT_EQ(pic.Width(), 0);
            EXPECT_EQ(pic.Height(), 0);
        } else {
            EXPECT_EQ(pic.Graphic(), nullptr);
        }
    }
}

TEST(DIB, TwentyFourBitRowsArePaddedAndStoredBottomUp) {
    // 3 x 2: rows of 12 bytes (9 of pixels, 3 of padding).
    Bytes rowA, rowB;
    rowA.Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE});
    rowB.Raw({11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE, 0xEE, 0xEE});
    for (int32_t height : {2, -2}) {
        TPicture pic;
        ASSERT_EQ(ReadDIB(pic, Bytes(Info(3, height, 24)).Raw(rowA.Done()).Raw(rowB.Done()).Done()), "");
        ASSERT_EQ(pic.Width(), 3);
        ASSERT_EQ(pic.Height(), 2);
        const TGraphic& g = *pic.Graphic();
        // Positive height: the first stored row is the bottom row; negative: the top row.
        int rowOfA = height > 0 ? 1 : 0;
        EXPECT_EQ(g.PixelColor(0, rowOfA), RGBColor(3, 2, 1));
        EXPECT_EQ(g.PixelColor(2, rowOfA), RGBColor(9, 8, 7));
        EXPECT_EQ(g.PixelColor(1, 1 - rowOfA), RGBColor(16, 15, 14));
    }
    TPicture shortPic;
    EXPECT_EQ(ReadDIB(shortPic, Bytes(Info(3, 2, 24)).Raw(rowA.Done()).Raw({1, 2, 3}).Done()),
              "Stream read error");
    EXPECT_EQ(shortPic.Graphic(), nullptr);
}

TEST(DIB, ColourTableLengthFollowsColoursUsed) {
    // Colours used 0 at 8 bits: 256 entries; 16: 16 entries, the pixels come right after.
    TPicture full, sixteen;
    ASSERT_EQ(ReadDIB(full, Bytes(Info(1, 1, 8)).Raw(Table(256).Done()).Raw({200, 0, 0, 0}).Done()), "");
    EXPECT_EQ(full.Graphic()->PixelColor(0, 0), RGBColor(200, 0, 0));
    ASSERT_EQ(
        ReadDIB(sixteen, Bytes(Info(1, 1, 8, 0, 0, 16)).Raw(Table(16).Done()).Raw({15, 0, 0, 0}).Done()), "");
    EXPECT_EQ(sixteen.Graphic()->PixelColor(0, 0), RGBColor(15, 0, 0));
    // An index beyond the table is black rather than a read past it.
    TPicture beyond;
    ASSERT_EQ(ReadDIB(beyond, Bytes(Info(1, 1, 8, 0, 0, 2)).Raw(Table(2).Done()).Raw({9, 0, 0, 0}).Done()),
              "");
    EXPECT_EQ(beyond.Graphic()->PixelColor(0, 0), 0u);
    // A table announced but cut short.
    TPicture cut;
    EXPECT_EQ(ReadDIB(cut, Bytes(Info(1, 1, 8)).Raw(Table(255).Done()).Done()), "Stream read error");
}

TEST(DIB, CoreHeaderUsesThreeByteTableEntries) {
    // 1 bit per pixel, 9 x 1: bits 1000 0000 1 -> pixels 0 and 8 use entry 1.
    Bytes b;
    b.U32(12).U16(9).U16(1).U16(1).U16(1).Raw({10, 20, 30, 40, 50, 60}).Raw({0x80, 0x80, 0, 0});
    TPicture pic;
    ASSERT_EQ(ReadDIB(pic, b.Done()), "");
    EXPECT_EQ(pic.Graphic()->PixelColor(0, 0), RGBColor(60, 50, 40));
    EXPECT_EQ(pic.Graphic()->PixelColor(1, 0), RGBColor(30, 20, 10));
    EXPECT_EQ(pic.Graphic()->PixelColor(8, 0), RGBColor(60, 50, 40));
}

TEST(DIB, SixteenBitLayoutsAndMasks) {
    struct Case {
        bool bitFields;
        uint32_t r, g, b;
        uint16_t pixel;
        std::string error;
        TColor expected;
    } cases[] = {
        {false, 0, 0, 0, 0x7C00, "", RGBColor(255, 0, 0)}, // 5-5-5 without bit fields
        {false, 0, 0, 0, 0x03E0, "", RGBColor(0, 255, 0)},
        {true, 0x7C00, 0x03E0, 0x001F, 0x001F, "", RGBColor(0, 0, 255)},
        {true, 0xF800, 0x07E0, 0x001F, 0x07E0, "", RGBColor(0, 255, 0)}, // 5-6-5
        {true, 0xF800, 0x07E0, 0x001F, 0x8410, "", RGBColor(132, 130, 132)},
        {true, 0xF000, 0x0F00, 0x00F0, 0, "PixelFormat in invalid", 0},
        {true, 0x001F, 0x07E0, 0xF800, 0, "PixelFormat in invalid", 0},
    };
    for (const Case& c : cases) {
        Bytes b = Info(1, 1, 16, c.bitFields ? 3 : 0);
        if (c.bitFields) b.U32(c.r).U32(c.g).U32(c.b);
        b.U16(c.pixel).U16(0);
        TPicture pic;
        ASSERT_EQ(ReadDIB(pic, b.Done()), c.error) << std::hex << c.r;
        if (c.error.empty()) {
            EXPECT_EQ(pic.Graphic()->PixelColor(0, 0), c.expected) << std::hex << c.pixel;
        }
    }
}

TEST(DIB, ThirtyTwoBitPixelsWithAndWithoutMasks) {
    TPicture plain, fields;
    ASSERT_EQ(ReadDIB(plain, Bytes(Info(1, 1, 32)).Raw({0x30, 0x20, 0x10, 0xFF}).Done()), "");
    EXPECT_EQ(plain.Graphic()->PixelColor(0, 0), RGBColor(0x10, 0x20, 0x30));
    // Masks in another order: red in the low byte.
    ASSERT_EQ(
        ReadDIB(
            fields,
            Bytes(Info(1, 1, 32, 3)).U32(0xFF).U32(0xFF00).U32(0xFF0000).Raw({0x30, 0x20, 0x10, 0}).Done()),
        "");
    EXPECT_EQ(fields.Graphic()->PixelColor(0, 0), RGBColor(0x30, 0x20, 0x10));
}

TEST(DIB, RunLengthEncodingIsDecodedOnFirstUse) {
    // RLE8, 4 x 2: 03 41 fills pixels 0-2 of the bottom row, 00 00 moves to the next row.
    Bytes rle8;
    rle8.Raw({0x03, 0x41, 0x00, 0x00, 0x01, 0x42, 0x00, 0x01});
    TPicture p8;
    ASSERT_EQ(ReadDIB(p8, Bytes(Info(4, 2, 8, 1, 8)).Raw(Table(256).Done()).Raw(rle8.Done()).Done()), "");
    const TGraphic& g8 = *p8.Graphic();
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(g8.PixelColor(x, 1), RGBColor(0x41, 0, 0)) << x;
    EXPECT_EQ(g8.PixelColor(3, 1), 0u);
    EXPECT_EQ(g8.PixelColor(0, 0), RGBColor(0x42, 0, 0));
    EXPECT_EQ(g8.PixelColor(1, 0), 0u);

    // RLE8 absolute run (odd length, padded) and delta.
    Bytes abs8;
    abs8.Raw({0x00, 0x03, 7, 8, 9, 0x00, 0x00, 0x00, 0x00, 0x02, 0x01, 0x00, 0x01, 5, 0x00, 0x01});
    TPicture pa;
    ASSERT_EQ(ReadDIB(pa, Bytes(Info(4, 2, 8, 1, 16)).Raw(Table(256).Done()).Raw(abs8.Done()).Done()), "");
    EXPECT_EQ(pa.Graphic()->PixelColor(0, 1), RGBColor(7, 0, 0));
    EXPECT_EQ(pa.Graphic()->PixelColor(2, 1), RGBColor(9, 0, 0));
    EXPECT_EQ(pa.Graphic()->PixelColor(1, 0), RGBColor(5, 0, 0)); // end of line, then delta (1, 0)

    // RLE4: a run alternates the nibbles, an absolute run of 3 takes 2 bytes.
    Bytes rle4;
    rle4.Raw({0x04, 0x12, 0x00, 0x03, 0xAB, 0xC0, 0x00, 0x01});
    TPicture p4;
    ASSERT_EQ(ReadDIB(p4, Bytes(Info(8, 1, 4, 2, 8)).Raw(Table(16).Done()).Raw(rle4.Done()).Done()), "");
    const int expected[8] = {1, 2, 1, 2, 10, 11, 12, 0};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(p4.Graphic()->PixelColor(x, 0), RGBColor(uint8_t(expected[x]), 0, 0)) << x;

    // Runs that leave the picture are clipped, not written past it.
    Bytes wild;
    wild.Raw({0xFF, 0x01, 0x00, 0x02, 0xFF, 0xFF, 0x05, 0x02, 0x00, 0xFF});
    TPicture pw;
    ASSERT_EQ(ReadDIB(pw, Bytes(Info(2, 2, 8, 1, 10)).Raw(Table(256).Done()).Raw(wild.Done()).Done()), "");
    EXPECT_EQ(pw.Graphic()->PixelColor(1, 1), RGBColor(1, 0, 0));
}

TEST(DIB, MalformedBitmapsFailWithTheirMessages) {
    struct Case {
        const char* what;
        std::vector<uint8_t> dib;
        std::string message;
    } cases[] = {
        {"header size", Bytes().U32(20).Raw(std::vector<uint8_t>(40)).Done(), "DIB is invalid"},
        {"header size cut", Bytes().Raw({40, 0}).Done(), "DIB is invalid"},
        {"bit count", Bytes(Info(1, 1, 7)).Raw(Table(128).Done()).Done(), "Bitcount in invalid (7)"},
        {"bit count 0", Bytes(Info(1, 1, 0)).Raw(Table(1).Done()).Done(), "Bitcount in invalid (0)"},
        {"compression", Bytes(Info(1, 1, 24, 4)).Raw({0, 0, 0, 0}).Done(), "DIB is invalid"},
        {"RLE8 at 24 bits", Bytes(Info(1, 1, 24, 1, 2)).Raw({0, 1}).Done(), "DIB is invalid"},
        {"negative width", Bytes(Info(-4, 1, 24)).Raw(std::vector<uint8_t>(16)).Done(), "DIB is invalid"},
        {"RLE bigger than memory",
         Bytes(Info(60000, 60000, 8, 1, 2)).Raw(Table(256).Done()).Raw({0, 1}).Done(), "DIB is invalid"},
        {"RLE bytes missing", Bytes(Info(4, 4, 8, 1, 100)).Raw(Table(256).Done()).Raw({0, 1}).Done(),
         "Stream read error"},
        {"header cut", Bytes().U32(40).U32(4).U32(4).U16(1).U16(24).Done(), "Stream read error"},
        {"masks cut", Bytes(Info(1, 1, 16, 3)).U32(0xF800).Done(), "Stream read error"},
        {"huge uncompressed", Bytes(Info(0x7FFFFFFF, 0x7FFFFFFF, 32)).Done(), "Stream read error"},
    };
    for (const Case& c : cases) {
        TPicture pic;
        EXPECT_EQ(ReadDIB(pic, c.dib), c.message) << c.what;
        EXPECT_EQ(pic.Graphic(), nullptr) << c.what;
    }
}

TEST(DIB, FileLoadWrapsBitmapErrorsAndKeepsEarlierItems) {
    Bytes items;
    items.Raw({0x01})
        .Short("Name")
        .Raw({0x06})
        .Short("Good")
        .Short("Picture.Data")
        .Binary(MakeDIBPayload({}))
        .Raw({0x00});
    items.Raw({0x01})
        .Short("Name")
        .Raw({0x06})
        .Short("Boat")
        .Short("Picture.Data")
        .Binary(MakeDIBPayload(Bytes(Info(1, 1, 12)).Done()))
        .Raw({0x00});
    TPictureCollection list;
    EXPECT_EQ(fixtures::LoadInto(list, fixtures::ListFile(items.Done())),
              "Error reading Boat.Picture.Data: Bitcount in invalid (12)");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_NE(list.Items(0)->Picture().Graphic(), nullptr);
    EXPECT_EQ(list.Items(1)->Picture().Graphic(), nullptr);
}

TEST(DIB, BitmapClassReadsAFileImage) {
    // "TBitmap": a 32-bit length, then "BM", the file header and a bitmap.
    std::vector<uint8_t> dib = Bytes(Info(1, 1, 24)).Raw({1, 2, 3, 0}).Done();
    Bytes file;
    file.Text("BM").U32(uint32_t(14 + dib.size())).U32(0).U32(54).Raw(dib);
    Bytes payload;
    payload.Short("TBitmap").U32(uint32_t(file.Done().size())).Raw(file.Done());
    TPicture pic;
    std::vector<uint8_t> bytes = payload.Done();
    TByteReader reader(bytes);
    pic.ReadData(reader);
    ASSERT_NE(pic.Graphic(), nullptr);
    EXPECT_EQ(pic.Graphic()->PixelColor(0, 0), RGBColor(3, 2, 1));

    Bytes bad;
    bad.Short("TBitmap").U32(14).Text("XX").U32(0).U32(0).U32(0);
    std::vector<uint8_t> badBytes = bad.Done();
    TByteReader badReader(badBytes);
    EXPECT_THROW(pic.ReadData(badReader), EReadError);
}

TEST(DIB, WrittenPayloadsReadBackPixelForPixel) {
    const int w = 37, h = 5;
    std::vector<uint8_t> rgb(size_t(w * h * 3)), idx(size_t(w * h));
    std::vector<uint32_t> palette;
    for (int i = 0; i < 40; ++i)
        palette.push_back(RGBColor(uint8_t(i * 6), uint8_t(255 - i), uint8_t(i)));
    for (int i = 0; i < w * h; ++i) {
        // Runs, literal stretches and single pixels all appear.
        idx[size_t(i)] = uint8_t((i % w) < 12 ? 3 : (i % w) < 20 ? (i * 7) % 40 : (i / 3) % 40);
        rgb[size_t(i) * 3] = uint8_t(i);
        rgb[size_t(i) * 3 + 1] = uint8_t(i * 3);
        rgb[size_t(i) * 3 + 2] = uint8_t(255 - i);
    }
    TPicture p8, p24;
    ASSERT_EQ(ReadDIB(p8, EncodeDIB8RLE(w, h, idx, palette)), "");
    ASSERT_EQ(ReadDIB(p24, EncodeDIB24(w, h, rgb)), "");
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            size_t i = size_t(y * w + x);
            ASSERT_EQ(p8.Graphic()->PixelColor(x, y), palette[idx[i]]) << x << "," << y;
            ASSERT_EQ(p24.Graphic()->PixelColor(x, y), RGBColor(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]));
        }
    // A picture's payload written again reads back the same.
    TPicture again;
    std::vector<uint8_t> data = p8.WriteData();
    TByteReader r(data);
    again.ReadData(r);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(again.Graphic()->PixelColor(x, y), p8.Graphic()->PixelColor(x, y));
}
