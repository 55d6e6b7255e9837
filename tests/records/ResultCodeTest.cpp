// The result code both ways: what the game encodes decodes back into the same record and fields.
#include "resultcode/ResultCode.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ResultCodeTest, DecodesWhatTheGameEncodesBackIntoTheSameRecord) {
    struct Case {
        std::string name;
        int32_t score;
        std::string addInfo;
    };
    const Case cases[] = {
        {"AB", 1500, "_______"},
        {"", 0, "_______"},
        {"a|b=c", -250, "x|y=z"},
        {"|score=1|k", 9, "|z=0"},
        {"\xE9t\xE9", 2147483647, "Go Team"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string record = BuildResultRecord(c.name, c.score, c.addInfo, 'K');
        std::string decoded;
        ASSERT_TRUE(DecodeResultCode(BitsToBase32(ToBitString(record)), decoded));
        EXPECT_EQ(decoded, record);
        TSubmittedResult r;
        std::string error;
        ASSERT_TRUE(ParseResultRecord(decoded, r, error)) << error;
        EXPECT_EQ(r.Name, c.name);
        EXPECT_EQ(r.Score, c.score);
        EXPECT_EQ(r.Key, 'K');
        EXPECT_EQ(r.AddInfo, c.addInfo);
    }
    std::string out;
    EXPECT_TRUE(DecodeResultCode("GC2VD", out));
    EXPECT_EQ(out, "abc");
    EXPECT_FALSE(DecodeResultCode("GC2VI", out)); // I is not a symbol
    EXPECT_FALSE(DecodeResultCode("9C2VD", out)); // a 1 in the padding
    EXPECT_FALSE(DecodeResultCode("A", out));     // not whole bytes
    TSubmittedResult r;
    std::string error;
    for (const char* bad :
         {"", "type=0|name=X|score=|key=S|p=|add=|z=", "type=0|name=X|score=1|key=s|p=|add=|z=",
          "type=0|name=X|score=1|key=S|p=|add=|z=01", "name=X|score=1|key=S|p=|add=|z="}) {
        EXPECT_FALSE(ParseResultRecord(bad, r, error)) << bad;
    }
}

} // namespace
