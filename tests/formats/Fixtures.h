// Hand-built byte fixtures for the list-file tests: resource header, stream prologue, items.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/Errors.h"
#include "engine/PictureCollection.h"
#include "engine/StreamReader.h"

namespace fixtures {

// A byte builder with short helpers for the encoding's pieces.
struct Bytes {
    TByteWriter w;
    Bytes& Raw(std::initializer_list<int> bytes) {
        for (int b : bytes)
            w.U8(uint8_t(b));
        return *this;
    }
    Bytes& Raw(const std::vector<uint8_t>& bytes) {
        w.Bytes(bytes);
        return *this;
    }
    Bytes& Text(const std::string& s) {
        w.Chars(s);
        return *this;
    }
    // A short string: length byte, characters.
    Bytes& Short(const std::string& s) {
        w.U8(uint8_t(s.size()));
        w.Chars(s);
        return *this;
    }
    Bytes& U16(uint16_t v) {
        w.U16(v);
        return *this;
    }
    Bytes& U32(uint32_t v) {
        w.U32(v);
        return *this;
    }
    // Tag $0A with a 32-bit length and the bytes.
    Bytes& Binary(const std::vector<uint8_t>& b) {
        w.U8(0x0A);
        w.U32(uint32_t(b.size()));
        w.Bytes(b);
        return *this;
    }
    std::vector<uint8_t> Done() const { return w.Data(); }
};

// Resource header with Name, then "TPF0", class and instance names.
inline Bytes Prologue(const std::string& resourceName = "RES",
                      const std::string& cls = "TPictureCollectionComponent") {
    Bytes b;
    b.Raw({0xFF, 0x0A, 0x00})
        .Text(resourceName)
        .Raw({0x00})
        .U16(0x1030)
        .U32(0)
        .Text("TPF0")
        .Short(cls)
        .Short("");
    return b;
}

// A picture-list file whose List holds the given raw item bytes (each from $01 to its $00).
inline std::vector<uint8_t> ListFile(const std::vector<uint8_t>& items) {
    Bytes b = Prologue();
    b.Short("List").Raw({0x0E}).Raw(items).Raw({0x00});
    b.Raw({0x00, 0x00});
    return b.Done();
}

// Loads Bytes into a collection; returns the error text ("" on success).
inline std::string LoadInto(TPictureCollection& list, const std::vector<uint8_t>& bytes) {
    try {
        TByteReader r(bytes);
        list.LoadListStream(r);
        return "";
    } catch (const EGameError& e) {
        return e.what();
    }
}

} // namespace fixtures
