#include "LoopbackServer.h"

#include "platform/Shell.h"
#include "records/Http.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultCodeTest, EncodesBytesAsBitsAndFiveBitSymbols) {
    EXPECT_EQ(ToBitString("abc"), "011000010110001001100011");
    EXPECT_EQ(BitsToBase32(ToBitString("abc")), "GC2VD");
    EXPECT_EQ(ToBitString(std::string("\x00\xFF\x80", 3)), "000000001111111110000000");
    EXPECT_EQ(ToBitString(""), "");
    EXPECT_EQ(BitsToBase32(""), "");
    EXPECT_EQ(BitsToBase32("11111"), "9");
    EXPECT_EQ(BitsToBase32("1"), "B");     // padded in front to 00001
    EXPECT_EQ(BitsToBase32("x0000"), "S"); // anything but "0" is a 1 bit: 10000 = 16
}

TEST(ResultCodeTest, BuildsThePaddedRecordAndItsCode) {
    struct Case {
        const char* label;
        std::string name;
        int32_t score;
        std::string addInfo;
        std::string record;
    };
    const Case cases[] = {
        {"49 characters get one zero", "AB", 1500, "_______",
         "type=0|name=AB|score=1500|key=S|p=|add=_______|z=0"},
        {"46 characters get four zeros", "", 1500, "abcdef",
         "type=0|name=|score=1500|key=S|p=|add=abcdef|z=0000"},
        {"empty name", "", 0, "_______", "type=0|name=|score=0|key=S|p=|add=_______|z=0"},
        {"separators unescaped", "a|b=c", 7, "x|y=z", "type=0|name=a|b=c|score=7|key=S|p=|add=x|y=z|z=000"},
        {"negative score", "NEG", -250, "", "type=0|name=NEG|score=-250|key=S|p=|add=|z=00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string record = BuildResultRecord(c.name, c.score, c.addInfo, 'S');
        EXPECT_EQ(record, c.record);
        std::string code = BitsToBase32(ToBitString(record));
        EXPECT_EQ(code.size(), record.size() / 5 * 8);
        EXPECT_EQ(code.find_first_not_of(kResultSymbols), std::string::npos);
    }
    EXPECT_EQ(BuildResultRecord("AB", 1500, "_______", 'S').size() - 1, 49u);
    EXPECT_EQ(BitsToBase32(ToBitString(BuildResultRecord("AB", 1500, "_______", 'S'))).size(), 80u);
}

TEST(ResultSubmissionTest, SendsTheCodeAsOneGetAndDropsEveryError) {
    TLoopbackServer server({{"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops"}});
    ASSERT_TRUE(server.Ok());
    std::string savedHost = ScoreServerHost;
    ScoreServerHost = "127.0.0.1:" + std::to_string(server.Port());
    Options.AddInfo = "_______";
    const char savedKey = ScoreKeyLetter;
    ScoreKeyLetter = 'S';
    EXPECT_NO_THROW(SubmitResult("AB", 1500));
    ScoreKeyLetter = savedKey;
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    // "type=0|name=AB|score=1500|key=S|p=|add=_______|z=0": 50 bytes, 400 bits, 80 symbols; it
    // starts "ty" = 01110100 01111001 -> 01110 10001 11100 1.. -> Q T 6 ...
    const std::string code =
        "QT61A3K7GB8G62MPNW8WCSV6QPTY86VFHW2VLNBSRTXYL8K7LP8HARM6NFUGJRL9M7RX8149M78HWRKS";
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")),
              "GET /cgi/version.pl?hs&prg=SprayDash&inf=" + code + " HTTP/1.1");

    // Nobody listening: still nothing but a quiet return.
    MHttpClient.Disconnect();
    ScoreServerHost = "127.0.0.1:1";
    EXPECT_NO_THROW(SubmitResult("AB", 1500));
    ScoreServerHost = savedHost;
}

TEST(ResultSubmissionTest, WebPagesOpenThroughTheDesktopWithoutAShell) {
    std::vector<std::string> opened;
    platform::RecordOpenedUrls(&opened);
    std::string savedHost = ScoreServerHost;
    ScoreServerHost = "scores.test";
    OpenInBrowser(WorldHighScoreUrl());
    OpenInBrowser(PublisherSiteUrl());
    ScoreServerHost = savedHost;
    platform::RecordOpenedUrls(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"http://scores.test/cgi/version.pl?prg=SprayDash&show&type=0",
                                                "http://scores.test"}));
}

} // namespace
