// The component-stream reader: header, tags, identifiers, collections, paths and its error messages.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "engine/ComponentStream.h"
#include "engine/Errors.h"
#include "engine/PictureCollection.h"

using fixtures::Bytes;
using fixtures::ListFile;
using fixtures::LoadInto;

namespace {

// One item: $01, the given property bytes, $00.
std::vector<uint8_t> Item(const Bytes& props) {
    Bytes b;
    b.Raw({0x01}).Raw(props.Done()).Raw({0x00});
    return b.Done();
}

// A root bound to an existing collection, so tests can see what a collection value does to it.
struct TestRoot : TStreamObject {
    TPictureCollection& list;
    explicit TestRoot(TPictureCollection& l) : list(l) {}
    std::string StreamClassName() const override { return "TTestRoot"; }
    bool FindProperty(const std::string& name, TStreamProperty& out) override {
        if (!SameText(name, "List")) return false;
        out.Kind = TPropertyKind::Collection;
        out.Collection = &list;
        return true;
    }
};

void ReadIntoExisting(TPictureCollection& list, const std::vector<uint8_t>& bytes) {
    TestRoot root(list);
    TByteReader r(bytes);
    ReadPropertyStream(r, root);
}

} // namespace

TEST(ComponentStream, IntegerTagsReadSignedLittleEndianValues) {
    struct Case {
        std::vector<uint8_t> value;
        int32_t expected;
    } cases[] = {
        {{0x02, 0xFF}, -1},
        {{0x02, 0x7F}, 127},
        {{0x03, 0x00, 0x80}, -32768},
        {{0x03, 0x34, 0x12}, 0x1234},
        {{0x04, 0x78, 0x56, 0x34, 0x12}, 0x12345678},
        {{0x04, 0x00, 0x00, 0x00, 0x80}, INT32_MIN},
    };
    for (const Case& c : cases) {
        TPictureCollection list;
        ASSERT_EQ(LoadInto(list, ListFile(Item(Bytes().Short("PatternWidth").Raw(c.value)))), "");
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Items(0)->PatternWidth, c.expected) << int(c.value[0]);
    }
}

TEST(ComponentStream, StringTagsBecomeEightBitText) {
    struct Case {
        const char* what;
        std::vector<uint8_t> value;
        std::string expected;
    } cases[] = {
        {"short string", Bytes().Raw({0x06}).Short("Boat1").Done(), "Boat1"},
        {"long string", Bytes().Raw({0x0C}).U32(5).Text("Boat1").Done(), "Boat1"},
        // Length 3 counts UTF-16 code units: six bytes follow.
        {"wide string", Bytes().Raw({0x12}).U32(3).Raw({'B', 0, 0xE9, 0, 0x2D, 0x4E}).Done(), "B\xE9?"},
        {"UTF-8 string", Bytes().Raw({0x14}).U32(6).Raw({'B', 0xC3, 0xA9, 0xE4, 0xB8, 0xAD}).Done(),
         "B\xE9?"},
        {"broken UTF-8", Bytes().Raw({0x14}).U32(2).Raw({'B', 0xC3}).Done(), "B?"},
    };
    for (const Case& c : cases) {
        TPictureCollection list;
        // A property after the string proves exactly the string's bytes were consumed.
        Bytes props;
        props.Short("Name").Raw(c.value).Short("PatternHeight").Raw({0x02, 7});
        ASSERT_EQ(LoadInto(list, ListFile(Item(props))), "") << c.what;
        EXPECT_EQ(list.Items(0)->Name(), c.expected) << c.what;
        EXPECT_EQ(list.Items(0)->PatternHeight, 7) << c.what;
    }
}

TEST(ComponentStream, BooleanAndColourValuesAcceptTagsAndIdentifiers) {
    struct Case {
        std::vector<uint8_t> transparent;
        bool expectedTransparent;
        std::vector<uint8_t> color;
        TColor expectedColor;
    } cases[] = {
        {{0x08}, false, Bytes().Raw({0x07}).Short("clFuchsia").Done(), 0xFF00FF},
        {{0x09}, true, Bytes().Raw({0x07}).Short("CLBLACK").Done(), 0x000000},
        {Bytes().Raw({0x07}).Short("False").Done(), false, Bytes().Raw({0x07}).Short("clBtnFace").Done(),
         0xFF00000F},
        {Bytes().Raw({0x07}).Short("true").Done(), true, Bytes().Raw({0x07}).Short("clMenuBar").Done(),
         0xFF00001E},
        {{0x08}, false, Bytes().Raw({0x07}).Short("clNone").Done(), 0x1FFFFFFF},
        {{0x08}, false, Bytes().Raw({0x07}).Short("clSkyBlue").Done(), 0xF0CAA6},
        {{0x09}, true, {0x04, 0x56, 0x34, 0x12, 0x00}, 0x123456},
        {{0x09}, true, {0x02, 0xFF}, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        TPictureCollection list;
        Bytes props;
        props.Short("Transparent").Raw(c.transparent).Short("TransparentColor").Raw(c.color);
        ASSERT_EQ(LoadInto(list, ListFile(Item(props))), "");
        EXPECT_EQ(list.Items(0)->Transparent, c.expectedTransparent);
        EXPECT_EQ(list.Items(0)->TransparentColor(), c.expectedColor);
    }
}

TEST(ComponentStream, HeaderNameLengthPlacesTheSignature) {
    // A 20-character name puts "TPF0" at offset 30; 76 characters still fit the 80-byte header
    // buffer, 77 do not.
    for (size_t len : {0u, 1u, 20u, 63u, 76u, 77u}) {
        Bytes b = fixtures::Prologue(std::string(len, 'N'));
        b.Raw({0x00, 0x00});
        std::vector<uint8_t> bytes = b.Done();
        if (len == 20) {
            ASSERT_EQ(std::string(bytes.begin() + 30, bytes.begin() + 34), "TPF0");
        }
        TPictureCollection list;
        TByteReader r(bytes);
        TestRoot root(list);
        if (len <= 76) {
            ReadPropertyStream(r, root);
            EXPECT_EQ(r.Position(), bytes.size()) << len;
        } else {
            EXPECT_THROW(ReadPropertyStream(r, root), EReadError) << len;
        }
    }
}

TEST(ComponentStream, PrefixByteAndItsChildPositionAreSkipped) {
    for (std::vector<uint8_t> prefix : {std::vector<uint8_t>{0xF0}, std::vector<uint8_t>{0xF2, 0x02, 0x05},
                                        std::vector<uint8_t>{0xFF, 0x03, 0x00, 0x01}}) {
        Bytes b;
        b.Raw({0xFF, 0x0A, 0x00, 'R', 0x00}).U16(0x1030).U32(0).Text("TPF0").Raw(prefix);
        b.Short("TPictureCollectionComponent").Short("Root");
        b.Short("List")
            .Raw({0x0E})
            .Raw(Item(Bytes().Short("Name").Raw({0x06}).Short("A")))
            .Raw({0x00, 0x00, 0x00});
        TPictureCollection list;
        ASSERT_EQ(LoadInto(list, b.Done()), "") << int(prefix[0]);
        EXPECT_EQ(list.Items(0)->Name(), "A");
    }
}

TEST(ComponentStream, EmptyCollectionValueKeepsItemsAndNonEmptyOneReplacesThem) {
    auto file = [](const std::vector<uint8_t>& value) {
        Bytes b = fixtures::Prologue();
        b.Short("List").Raw(value).Raw({0x00, 0x00});
        return b.Done();
    };
    TPictureCollection list;
    list.Add().SetName("Old");
    ReadIntoExisting(list, file({0x0E, 0x00}));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0)->Name(), "Old");

    list.Items(0)->PatternWidth = 9;
    ReadIntoExisting(list, file({0x0E, 0x01, 0x00, 0x00}));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0)->Name(), "");
    EXPECT_EQ(list.Items(0)->PatternWidth, 0);
    EXPECT_TRUE(list.Items(0)->Transparent);
    EXPECT_EQ(list.Items(0)->Picture().Graphic(), nullptr);
}

TEST(ComponentStream, ItemOrderValuesAreIgnored) {
    Bytes items;
    items.Raw({0x02, 0x05}).Raw(Item(Bytes().Short("Name").Raw({0x06}).Short("First")));
    items.Raw({0x03, 0x01, 0x00}).Raw(Item(Bytes().Short("Name").Raw({0x06}).Short("Second")));
    items.Raw({0x02, 0x00}).Raw(Item(Bytes().Short("Name").Raw({0x06}).Short("Third")));
    TPictureCollection list;
    ASSERT_EQ(LoadInto(list, ListFile(items.Done())), "");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(0)->Name(), "First");
    EXPECT_EQ(list.Items(1)->Name(), "Second");
    EXPECT_EQ(list.Items(2)->Name(), "Third");
}

TEST(ComponentStream, DottedPathsReachNestedObjectsAndDefinedBinaryProperties) {
    std::vector<uint8_t> table(1030);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = uint8_t(i * 7);
    // "Picture.Data": an empty TDIB; "List.ColorTable": 1024 bytes used, the rest ignored.
    Bytes b = fixtures::Prologue();
    b.Short("List.ColorTable").Binary(table);
    b.Short("List").Raw({0x0E}).Raw(Item(Bytes().Short("Picture.Data").Binary({4, 'T', 'D', 'I', 'B'})));
    b.Raw({0x00, 0x00, 0x00});
    TPictureCollection list;
    ASSERT_EQ(LoadInto(list, b.Done()), "");
    ASSERT_NE(list.Items(0)->Picture().Graphic(), nullptr);
    EXPECT_EQ(list.Items(0)->Picture().Graphic()->ClassName(), "TDIB");
    EXPECT_TRUE(std::equal(list.ColorTable.begin(), list.ColorTable.end(), table.begin()));
}

TEST(ComponentStream, FailuresEndTheLoadWithTheirMessages) {
    auto item = [](const Bytes& props) { return ListFile(Item(props)); };
    Bytes named;
    named.Short("Name").Raw({0x06}).Short("Boat");
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string message;
    } cases[] = {
        {"empty file", {}, "Invalid stream format"},
        {"first byte", Bytes().Raw({0xFE, 0x0A, 0x00, 0x00}).Done(), "Invalid stream format"},
        {"resource type", Bytes().Raw({0xFF, 0x0B, 0x00, 0x00}).Done(), "Invalid stream format"},
        {"signature", Bytes().Raw({0xFF, 0x0A, 0x00, 0x00}).U16(0x1030).U32(0).Text("TPF1").Done(),
         "Invalid stream format"},
        {"ends after signature", Bytes().Raw({0xFF, 0x0A, 0x00, 0x00}).U16(0x1030).U32(0).Text("TPF0").Done(),
         "Stream read error"},
        {"ends in header", Bytes().Raw({0xFF, 0x0A, 0x00, 'A', 'B'}).Done(), "Stream read error"},
        {"root property unknown",
         Bytes(fixtures::Prologue()).Short("Lust").Raw({0x0E, 0x00, 0x00, 0x00}).Done(),
         "Error reading TPictureCollectionComponent.Lust: Property Lust does not exist"},
        {"item property unknown", item(Bytes().Short("Colour").Raw({0x02, 1})),
         "Error reading TPictureCollectionItem.Colour: Property Colour does not exist"},
        {"wrong tag, named item", item(Bytes(named).Short("PatternWidth").Raw({0x06}).Short("x")),
         "Error reading Boat.PatternWidth: Invalid property value"},
        {"path through a string", item(Bytes().Short("Name.Data").Binary({})),
         "Error reading TPictureCollectionItem.Name.Data: Invalid property path"},
        {"path through nothing", item(Bytes().Short("Pict.Data").Binary({})),
         "Error reading TPictureCollectionItem.Pict.Data: Property Pict does not exist"},
        {"unknown Boolean identifier", item(Bytes().Short("Transparent").Raw({0x07}).Short("Maybe")),
         "Error reading TPictureCollectionItem.Transparent: Invalid property value"},
        {"unknown colour identifier", item(Bytes().Short("TransparentColor").Raw({0x07}).Short("clPink")),
         "Error reading TPictureCollectionItem.TransparentColor: Invalid property value"},
        {"Null as colour", item(Bytes().Short("TransparentColor").Raw({0x00})),
         "Error reading TPictureCollectionItem.TransparentColor: Invalid property value"},
        {"unused tag", item(Bytes().Short("PatternWidth").Raw({0x13, 1, 0, 0, 0, 0, 0, 0, 0})),
         "Error reading TPictureCollectionItem.PatternWidth: Invalid property value"},
        {"binary without its tag", item(Bytes().Short("Picture.Data").Raw({0x06}).Short("TDIB")),
         "Error reading TPictureCollectionItem.Picture.Data: Invalid property value"},
        {"object as a value", item(Bytes().Short("Picture").Raw({0x0D})),
         "Error reading TPictureCollectionItem.Picture: Invalid property value"},
        {"item without list tag",
         Bytes(fixtures::Prologue()).Short("List").Raw({0x0E, 0x02, 0x00, 0x00, 0x00}).Done(),
         "Error reading TPictureCollectionComponent.List: Invalid property value"},
        {"value cut short",
         Bytes(fixtures::Prologue())
             .Short("List")
             .Raw({0x0E, 0x01})
             .Short("PatternWidth")
             .Raw({0x03, 0x01})
             .Done(),
         "Error reading TPictureCollectionItem.PatternWidth: Stream read error"},
        {"binary longer than the file",
         item(Bytes().Short("Picture.Data").Raw({0x0A}).U32(100).Raw({4, 'T'})),
         "Error reading TPictureCollectionItem.Picture.Data: Stream read error"},
        {"wide string longer than the file",
         Bytes(fixtures::Prologue())
             .Short("List")
             .Raw({0x0E, 0x01})
             .Short("Name")
             .Raw({0x12})
             .U32(0x80000000u)
             .Done(),
         "Error reading TPictureCollectionItem.Name: Stream read error"},
        {"short colour table",
         Bytes(fixtures::Prologue()).Short("List.ColorTable").Binary(std::vector<uint8_t>(1023)).Done(),
         "Error reading TPictureCollectionComponent.List.ColorTable: Stream read error"},
        {"no end of the root", Bytes(fixtures::Prologue()).Short("List").Raw({0x0E, 0x00}).Done(),
         "Stream read error"},
        {"child object",
         Bytes(fixtures::Prologue()).Raw({0x00}).Short("TFoo").Short("Foo").Raw({0x00, 0x00, 0x00}).Done(),
         "Class TFoo not found"},
    };
    for (const Case& c : cases) {
        TPictureCollection list;
        EXPECT_EQ(LoadInto(list, c.bytes), c.message) << c.what;
    }
}

TEST(ComponentStream, ValuesReadBeforeAFailureStay) {
    Bytes items;
    items.Raw(Item(Bytes().Short("Name").Raw({0x06}).Short("Kept")));
    items.Raw({0x01})
        .Short("Name")
        .Raw({0x06})
        .Short("Half")
        .Short("PatternWidth")
        .Raw({0x02, 4})
        .Short("Bad")
        .Raw({0x08});
    TPictureCollection list;
    std::vector<uint8_t> bytes = ListFile(items.Done());
    TByteReader reader(bytes);
    EXPECT_THROW(list.LoadListStream(reader), EReadError);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0)->Name(), "Kept");
    EXPECT_EQ(list.Items(1)->Name(), "Half");
    EXPECT_EQ(list.Items(1)->PatternWidth, 4);
}

TEST(ComponentStream, WriterOutputReadsBackWithUpperCasedResourceName) {
    TPictureCollection list;
    TPictureCollectionItem& a = list.Add();
    a.SetName("Boat1_Normal");
    a.PatternWidth = 40;
    a.PatternHeight = 300;
    a.SkipWidth = 2;
    a.SystemMemory = true;
    a.Transparent = false;
    a.SetTransparentColor(0xFF00FF);
    TPictureCollectionItem& b = list.Add();
    b.SetName(std::string(300, 'L')); // a long string value
    b.SetTransparentColor(0x123456);
    list.ColorTable[5] = 77;
    std::vector<uint8_t> bytes = list.SaveListStream("res1");
    EXPECT_EQ(std::string(bytes.begin() + 3, bytes.begin() + 8), std::string("RES1\0", 5));
    // The recorded stream length covers "TPF0" to the end.
    uint32_t len = uint32_t(bytes[10] | (bytes[11] << 8) | (bytes[12] << 16) | (bytes[13] << 24));
    EXPECT_EQ(len, bytes.size() - 14);

    TPictureCollection back;
    ASSERT_EQ(LoadInto(back, bytes), "");
    ASSERT_EQ(back.Count(), 2);
    const TPictureCollectionItem& a2 = *back.Items(0);
    EXPECT_EQ(a2.Name(), "Boat1_Normal");
    EXPECT_EQ(a2.PatternWidth, 40);
    EXPECT_EQ(a2.PatternHeight, 300);
    EXPECT_EQ(a2.SkipWidth, 2);
    EXPECT_EQ(a2.SkipHeight, 0);
    EXPECT_TRUE(a2.SystemMemory);
    EXPECT_FALSE(a2.Transparent);
    EXPECT_EQ(a2.TransparentColor(), 0xFF00FFu);
    EXPECT_EQ(back.Items(1)->Name(), std::string(300, 'L'));
    EXPECT_EQ(back.Items(1)->TransparentColor(), 0x123456u);
    EXPECT_EQ(back.ColorTable[5], 77);
}
