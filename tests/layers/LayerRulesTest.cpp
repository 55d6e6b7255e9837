// The include check: the rules file's three line forms, and which includes of a layer's file
// break the rules (with the line they stand on).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/layercheck/LayerRules.h"

using namespace layercheck;

namespace {

const char* const kRules = R"(# a comment
app: race stage engine
race: stage engine   # the race needs no records
stage: engine
engine:
race/Flow.cpp -> records/Music.h: the race plays its music
engine/Blit.cpp -> <emmintrin.h>: compiler intrinsics
)";

Rules Parsed() {
    Rules rules;
    std::string error;
    EXPECT_TRUE(ParseRules(kRules, rules, error)) << error;
    return rules;
}

std::vector<Violation> Check(const std::string& path, const std::string& text) {
    std::vector<Violation> out;
    CheckFile(Parsed(), path, text, out);
    return out;
}

} // namespace

TEST(LayerRules, AllowedEdgesAndNamedExceptionsPassEverythingElseFailsWithItsLine) {
    struct Case {
        const char* Path;
        const char* Include;
        bool Allowed;
    };
    const Case cases[] = {
        {"race/Boat.cpp", "#include \"stage/Game.h\"", true},       // a listed edge
        {"race/Boat.cpp", "#include \"race/Boat.h\"", true},        // its own layer
        {"race/Boat.cpp", "#include <vector>", true},               // the standard library
        {"race/Boat.cpp", "#include \"app/Form.h\"", false},        // upward
        {"stage/Frame.cpp", "#include \"race/Boat.h\"", false},     // upward
        {"race/Boat.cpp", "#include \"records/Music.h\"", false},   // the exception is another file's
        {"race/Flow.cpp", "#include \"records/Music.h\"", true},    // named exception
        {"race/Flow.cpp", "#include \"records/Options.h\"", false}, // the exception names one header
        {"race/Boat.cpp", "#include <SDL2/SDL.h>", false},          // outside header
        {"race/Boat.cpp", "  #  include <png.h>", false},           // spaces inside the directive
        {"engine/Blit.cpp", "#include <emmintrin.h>", true},        // named outside header
        {"engine/Other.cpp", "#include <emmintrin.h>", false},
        {"race/Boat.cpp", "#include \"Boat.h\"", false},          // not by its layer path
        {"race/Boat.cpp", "#include \"tests/Fixture.h\"", false}, // outside the layers
        {"tools/x/Main.cpp", "#include <SDL2/SDL.h>", true},      // tools are not checked
        {"race/Boat.cpp", "// #include \"app/Form.h\"", true},    // a comment
    };
    for (const Case& c : cases) {
        const std::vector<Violation> out = Check(c.Path, std::string("// first\n\n") + c.Include + "\n");
        EXPECT_EQ(out.empty(), c.Allowed) << c.Path << ": " << c.Include;
        if (!out.empty()) {
            EXPECT_EQ(out[0].File, c.Path);
            EXPECT_EQ(out[0].Line, 3) << "two lines before the include, blank lines counted";
        }
    }
}

TEST(LayerRules, AViolationNamesBothLayersAndWhatIsAllowed) {
    const std::vector<Violation> out = Check("race/Boat.cpp", "#include \"app/Form.h\"\n");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Message, "race/ may not include app/ (\"app/Form.h\"); allowed: engine stage");
}

TEST(LayerRules, PlatformAloneIncludesOutsideHeaders) {
    Rules rules = Parsed();
    rules.Edges["platform"] = {};
    std::vector<Violation> out;
    CheckFile(rules, "platform/Window.cpp", "#include <SDL2/SDL.h>\n#include <sys/socket.h>\n", out);
    EXPECT_TRUE(out.empty());
}

TEST(LayerRules, ARulesLineOfNoKnownFormIsRefusedWithItsNumber) {
    struct Case {
        const char* Text;
        const char* Error;
    };
    const Case cases[] = {
        {"app: race\nrace stage\n", "line 2: neither \"layer: layers\" nor \"file -> header: why\""},
        {"race/A.cpp -> records/B.h:\n", "line 1: an exception needs a file, a header and a reason"},
        {"two words: engine\n", "line 1: a layer name is one word"},
    };
    for (const Case& c : cases) {
        Rules rules;
        std::string error;
        EXPECT_FALSE(ParseRules(c.Text, rules, error)) << c.Text;
        EXPECT_EQ(error, c.Error);
    }
}
