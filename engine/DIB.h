// Graphics a picture can hold, and the device-independent bitmap (TDIB) the game's pictures use:
// its payload reader (headers, colour tables, bit fields, RLE8/RLE4) and payload writers.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/StreamReader.h"

// Base of the graphic classes a picture can hold ("TDIB", "TBitmap", "TIcon", "TMetafile").
class TGraphic {
  public:
    virtual ~TGraphic() = default;
    // The registered class name the graphic is stored under.
    virtual std::string ClassName() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Colour of pixel (x, y), top row 0, as 8-bit red, green and blue packed $00BBGGRR;
    // 0 outside the graphic.
    virtual uint32_t PixelColor(int x, int y) const = 0;
    // Count pixels of row y from column x as 5-6-5 values (the conversion every surface load uses);
    // pixels outside the graphic become 0.
    virtual void ReadRow565(int y, int x, int count, uint16_t* out) const;
    // A copy sharing the (immutable) pixel data.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
    // Reads the class's payload from Data (after the class name); may raise.
    virtual void LoadFromStream(TByteReader& data) = 0;
};

// The pixels and layout of a bitmap, shared between copies of a TDIB.
struct TDIBSharedImage {
    int Width = 0, Height = 0; // Height is always positive: rows are kept bottom row first
    int BitCount = 0;          // 1, 4, 8, 16, 24 or 32
    uint32_t Compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
    std::vector<std::array<uint8_t, 4>> ColorTable; // blue, green, red, reserved
    size_t RowLength = 0;                           // bytes per stored row, a multiple of 4
    mutable std::vector<uint8_t> Bits;              // RowLength * Height bytes, bottom row first
    mutable std::vector<uint8_t> Compressed;        // RLE bytes until the pixels are first needed
    mutable bool Decoded = true;
    // Decodes the RLE bytes into Bits if that has not happened yet.
    void Decode() const;
};

// A device-independent bitmap.
class TDIB : public TGraphic {
  public:
    TDIB();
    std::string ClassName() const override { return "TDIB"; }
    int Width() const override { return image_->Width; }
    int Height() const override { return image_->Height; }
    uint32_t PixelColor(int x, int y) const override;
    void ReadRow565(int y, int x, int count, uint16_t* out) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    // Reads "TDIB" data: header size, header, masks, colour table, pixels. Raises EReadError
    // "DIB is invalid", "Bitcount in invalid (%d)", "PixelFormat in invalid" or "Stream read error";
    // on failure the bitmap stays as it was.
    void LoadFromStream(TByteReader& data) override;
    const TDIBSharedImage& Image() const { return *image_; }

  protected:
    std::shared_ptr<TDIBSharedImage> image_;
};

// A bitmap stored as a 32-bit length and a BMP file image ("BM" file header, then a bitmap as
// for TDIB); a length of 0 is an empty bitmap.
class TBitmapGraphic : public TDIB {
  public:
    std::string ClassName() const override { return "TBitmap"; }
    std::unique_ptr<TGraphic> Clone() const override;
    void LoadFromStream(TByteReader& data) override;
};

// Reads one bitmap's header, colour table and pixels (the body of "TDIB" data) into Image.
void ReadDIBImage(TByteReader& data, TDIBSharedImage& image);

// Payload writers for tools and tests (the bytes after the class name).
// 24 bits per pixel, uncompressed, bottom row first; Rgb is top row first, 3 bytes per pixel (R, G, B).
std::vector<uint8_t> EncodeDIB24(int width, int height, const std::vector<uint8_t>& rgb);
// 8 bits per pixel, RLE8 compressed, with a colour table of Palette ($00BBGGRR) entries;
// Indices is top row first, one byte per pixel.
std::vector<uint8_t> EncodeDIB8RLE(int width, int height, const std::vector<uint8_t>& indices,
                                   const std::vector<uint32_t>& palette);
