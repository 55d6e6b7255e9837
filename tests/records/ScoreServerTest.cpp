#include "SaveDir.h"
#include "ScoreServerProcess.h"

#include "ScoreCodec.h"
#include "ScoreService.h"
#include "records/Http.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ScoreCodecTest, DecodesWhatTheGameEncodesBackIntoTheSameRecord) {
    struct Case {
        std::string name;
        int32_t score;
        std::string addInfo;
    };
    const Case cases[] = {
        {"AB", 1500, "_______"}, {"", 0, "_______"}, {"a|b=c", -250, "x|y=z"},
        {"|score=1|k", 9, "|z=0"}, {"\xE9t\xE9", 2147483647, "Go Team"},
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
    EXPECT_FALSE(DecodeResultCode("GC2VI", out));  // I is not a symbol
    EXPECT_FALSE(DecodeResultCode("9C2VD", out));  // a 1 in the padding
    EXPECT_FALSE(DecodeResultCode("A", out));      // not whole bytes
    TSubmittedResult r;
    std::string error;
    for (const char* bad : {"", "type=0|name=X|score=|key=S|p=|add=|z=", "type=0|name=X|score=1|key=s|p=|add=|z=",
                            "type=0|name=X|score=1|key=S|p=|add=|z=01", "name=X|score=1|key=S|p=|add=|z="}) {
        EXPECT_FALSE(ParseResultRecord(bad, r, error)) << bad;
    }
}

class ScoreServerTest : public SaveDirTest {};

TEST_F(ScoreServerTest, SubmittedResultsAppearOnTheWorldPage) {
    ScoreServerProcess server(Dir);
    ASSERT_GT(server.Port, 0);
    std::string savedHost = ScoreServerHost;
    char savedKey = ScoreKeyLetter;
    ScoreServerHost = "127.0.0.1:" + std::to_string(server.Port);
    ScoreKeyLetter = 'S';

    Options.AddInfo = "Go|Team";
    SubmitResult("A<B>", 1500);
    Options.AddInfo = "_______";
    SubmitResult("TOP", 9000);
    SubmitResult("", -20);
    ScoreKeyLetter = 'Q';  // a build with the wrong key is refused
    SubmitResult("WRONGKEY", 99999);
    ScoreKeyLetter = 'S';

    THttpClient browser;
    std::string page = browser.GetToString(WorldHighScoreUrl());
    ScoreServerHost = savedHost;
    ScoreKeyLetter = savedKey;

    size_t top = page.find("<td class=\"name\">TOP</td><td class=\"score\">9000</td>");
    size_t ab = page.find("<td class=\"name\">A&lt;B&gt;</td><td class=\"score\">1500</td><td>Go|Team</td>");
    size_t empty = page.find("<td class=\"name\"></td><td class=\"score\">-20</td>");
    ASSERT_NE(top, std::string::npos) << page;
    ASSERT_NE(ab, std::string::npos) << page;
    ASSERT_NE(empty, std::string::npos) << page;
    EXPECT_LT(top, ab);
    EXPECT_LT(ab, empty);
    EXPECT_EQ(page.find("WRONGKEY"), std::string::npos);
}

TEST(ScoreServiceTest, AnswersUnknownPagesAndBadCodesWithErrors) {
    TScoreStore store;
    std::string error;
    ASSERT_TRUE(store.Open(":memory:", error)) << error;
    struct Case {
        const char* target;
        int status;
    };
    for (Case c : {Case{"/", 200}, Case{"/nothing", 404}, Case{"/cgi/version.pl?hs&prg=Other&inf=GC2VD", 404},
                   Case{"/cgi/version.pl?hs&prg=SprayDash&inf=GC2VD", 400},
                   Case{"/cgi/version.pl?hs&prg=SprayDash&inf=", 400},
                   Case{"/cgi/version.pl?prg=SprayDash&show&type=0", 200}}) {
        EXPECT_EQ(AnswerRequest(c.target, store, 'S').Status, c.status) << c.target;
    }
    EXPECT_EQ(HtmlEscape("<a href=\"x\">&'\xE9"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;&#233;");
}

}  // namespace
