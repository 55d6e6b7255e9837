// Component-stream files: the object-property encoding shared by the picture-list and
// wave-list files, its reader (filling an existing object tree) and a writer for tools.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/StreamReader.h"
#include "engine/Types.h"

// Value tags of the encoding.
enum TValueTag : uint8_t {
    vaNull = 0x00,
    vaList = 0x01,
    vaInt8 = 0x02,
    vaInt16 = 0x03,
    vaInt32 = 0x04,
    vaExtended = 0x05,
    vaString = 0x06,
    vaIdent = 0x07,
    vaFalse = 0x08,
    vaTrue = 0x09,
    vaBinary = 0x0A,
    vaSet = 0x0B,
    vaLString = 0x0C,
    vaNil = 0x0D,
    vaCollection = 0x0E,
    vaSingle = 0x0F,
    vaCurrency = 0x10,
    vaDate = 0x11,
    vaWString = 0x12,
    vaInt64 = 0x13,
    vaUTF8String = 0x14
};

// What kind of value a published property takes (and so which tags it accepts).
enum class TPropertyKind { Integer, Color, Boolean, String, Object, Collection };

class TStreamObject;
class TStreamCollection;

// A published property as an object offers it to the reader: its kind and a setter (or the
// nested object / collection). Only the member matching Kind is used.
struct TStreamProperty {
    TPropertyKind Kind = TPropertyKind::Integer;
    std::function<void(int32_t)> SetInteger;           // Integer and Color (the 32-bit colour)
    std::function<void(bool)> SetBoolean;              // Boolean
    std::function<void(const std::string&)> SetString; // String (8-bit text)
    TStreamObject* Object = nullptr;                   // Object
    TStreamCollection* Collection = nullptr;           // Collection (also usable as an Object in paths)
};

// Anything the reader can fill: picture and wave collections, their items, pictures, waves.
class TStreamObject {
  public:
    virtual ~TStreamObject() = default;
    // Class name used in error messages when the object has no instance name.
    virtual std::string StreamClassName() const = 0;
    // Instance name used in error messages ("" when it has none).
    virtual std::string StreamInstanceName() const { return {}; }
    // Looks up a published property by name, ignoring case; false when there is none.
    virtual bool FindProperty(const std::string& name, TStreamProperty& out) {
        (void)name;
        (void)out;
        return false;
    }
    // True when the object reads the binary property Name itself (a picture's "Data", ...).
    virtual bool DefinesBinaryProperty(const std::string& name) const {
        (void)name;
        return false;
    }
    // Hands the bytes of a defined binary property over, positioned at 0. May raise.
    virtual void ReadBinaryProperty(const std::string& name, TByteReader& data) {
        (void)name;
        (void)data;
    }
};

// A collection value: can be emptied and can append an item with default values.
class TStreamCollection : public TStreamObject {
  public:
    // Destroys every item.
    virtual void ClearItems() = 0;
    // Appends a new item with default values and returns it for its properties to be read.
    virtual TStreamObject& AppendItem() = 0;
};

// Reads a resource-entry header and a component stream from the reader's position into Root.
// On success the reader stands after the final $00. Raises EReadError with the messages
// "Invalid stream format", "Property %s does not exist", "Invalid property path",
// "Invalid property value", "Stream read error"; errors inside a property entry are wrapped as
// "Error reading %s%s%s: %s". Values set before an error stay set.
void ReadPropertyStream(TByteReader& stream, TStreamObject& root);

// Reads a whole file into memory for the list loaders; raises EFOpenError
// "Cannot open file "%s". %s" (path, system reason) when it cannot be opened or read.
std::vector<uint8_t> ReadListFile(const std::string& path);

// Colour identifiers ("clFuchsia", "clBtnFace", ...) to the 32-bit colour; matching ignores case.
bool IdentToColor(const std::string& ident, TColor& out);
// The identifier of a colour with a name (exact value match); false for other colours.
bool ColorToIdent(TColor color, std::string& out);

// Case folding used for every name comparison of the engine (ASCII and Latin-1 letters).
char LowerChar(char c);
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);

// The root object of a list file (picture list or wave list): a component of the given class
// whose only property, "List", is the collection being loaded.
class TListFileComponent : public TStreamObject {
  public:
    TListFileComponent(std::string className, TStreamCollection& list)
        : className_(std::move(className)), list_(list) {}
    std::string StreamClassName() const override { return className_; }
    bool FindProperty(const std::string& name, TStreamProperty& out) override {
        if (!SameText(name, "List")) return false;
        out.Kind = TPropertyKind::Collection;
        out.Collection = &list_;
        return true;
    }

  private:
    std::string className_;
    TStreamCollection& list_;
};

// Builds a component-stream file: resource header, "TPF0", the root's names, its properties
// (flat calls, with Begin/End pairs for collections and items), then Finish.
class TComponentStreamWriter {
  public:
    // Header (resource name upper-cased, at most 63 characters), signature, class and instance name.
    TComponentStreamWriter(const std::string& resourceName, const std::string& className,
                           const std::string& instanceName);
    // Property writers: the name as a short string, then the value with the smallest tag.
    void Integer(const std::string& name, int32_t value);
    void Boolean(const std::string& name, bool value);
    void String(const std::string& name, const std::string& value); // $06 up to 255 chars, else $0C
    void Ident(const std::string& name, const std::string& ident);
    // Colour: its identifier when it has one, else an integer.
    void Color(const std::string& name, TColor value);
    void Binary(const std::string& name, const std::vector<uint8_t>& bytes);
    // A collection value: BeginCollection, then per item BeginItem ... EndItem, then EndCollection.
    void BeginCollection(const std::string& name);
    void BeginItem();
    void EndItem();
    void EndCollection();
    // Ends the root's properties and its (empty) child list, fills in the stream length.
    std::vector<uint8_t> Finish();

  private:
    void Name(const std::string& name);
    void IntegerValue(int32_t value);
    TByteWriter out_;
    size_t lengthPos_ = 0, streamStart_ = 0;
};
