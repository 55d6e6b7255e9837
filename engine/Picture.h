// A picture: holds one graphic or nothing, and reads/writes the "Data" payload that names the
// graphic's class.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/ComponentStream.h"
#include "engine/DIB.h"

// The Picture of a picture item. Defines the binary property "Data".
class TPicture : public TStreamObject {
  public:
    TPicture() = default;
    TPicture(const TPicture& other) { Assign(other); }
    TPicture& operator=(const TPicture& other) {
        Assign(other);
        return *this;
    }

    // The graphic, or null when the picture is empty.
    const TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic) { graphic_ = std::move(graphic); }
    // Copies the other picture's graphic (sharing its pixels).
    void Assign(const TPicture& other);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // Reads a payload: class-name length byte, class name, the class's data. Unknown class names
    // (and "TIcon", "TMetafile") leave the picture empty. On an error the old graphic stays.
    void ReadData(TByteReader& data);
    // The payload of the graphic (a TDIB is written with its stored layout); an empty class name when none.
    std::vector<uint8_t> WriteData() const;

    std::string StreamClassName() const override { return "TPicture"; }
    bool DefinesBinaryProperty(const std::string& name) const override;
    void ReadBinaryProperty(const std::string& name, TByteReader& data) override;

  private:
    std::unique_ptr<TGraphic> graphic_;
};

// A payload: the class name "TDIB" (with its length byte) followed by DIB data.
std::vector<uint8_t> MakeDIBPayload(const std::vector<uint8_t>& dibData);
