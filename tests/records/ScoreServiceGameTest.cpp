// The game against the real score service program: what SubmitResult sends is stored and shown.
#include "SaveDir.h"

#include "records/Http.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"

#include <gtest/gtest.h>

#ifdef SPRAYDASH_SCORESERVER
#include "ScoreServerProcess.h"

namespace {

class ScoreServerTest : public SaveDirTest {};

TEST_F(ScoreServerTest, SubmittedResultsAppearOnTheWorldPage) {
    ScoreServerProcess server(Dir);
    ASSERT_GT(server.Port, 0) << server.Log();
    std::string savedHost = ScoreServerHost;
    char savedKey = ScoreKeyLetter;
    ScoreServerHost = "127.0.0.1:" + std::to_string(server.Port);
    ScoreKeyLetter = 'S';

    Options.AddInfo = "Go|Team";
    SubmitResult("A<B>", 1500);
    Options.AddInfo = "_______";
    SubmitResult("TOP", 9000);
    SubmitResult("", -20);
    ScoreKeyLetter = 'Q'; // a build with the wrong key is refused
    SubmitResult("WRONGKEY", 99999);
    ScoreKeyLetter = 'S';

    THttpClient browser;
    std::string page = browser.GetToString(WorldHighScoreUrl());
    ScoreServerHost = savedHost;
    ScoreKeyLetter = savedKey;

    size_t top = page.find("<td class=\"name\">TOP</td><td class=\"score\">9000</td>");
    size_t ab = page.find(
        "<td class=\"name\">A&lt;B&gt;</td><td class=\"score\">1500</td><td class=\"info\">Go|Team</td>");
    size_t empty = page.find("<td class=\"name\"></td><td class=\"score\">-20</td>");
    ASSERT_NE(top, std::string::npos) << page;
    ASSERT_NE(ab, std::string::npos) << page;
    ASSERT_NE(empty, std::string::npos) << page;
    EXPECT_LT(top, ab);
    EXPECT_LT(ab, empty);
    EXPECT_EQ(page.find("WRONGKEY"), std::string::npos);
}

} // namespace
#endif
