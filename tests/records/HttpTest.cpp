#include "LoopbackServer.h"

#include "records/Http.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {} // namespace

// Readable failures for split URLs.
void PrintTo(const TUrlParts& u, std::ostream* os) {
    *os << "{" << u.Protocol << ", " << u.User << ", " << u.Password << ", " << u.Host << ", " << u.Path
        << ", " << u.Document << ", " << u.Params << ", " << u.Port << "}";
}

namespace {

// A Content-Length column left unchecked.
constexpr int64_t kNotChecked = -1000;

std::string Ok(const std::string& headers, const std::string& body) {
    return "HTTP/1.1 200 OK\r\n" + headers + "\r\n" + body;
}

TEST(HttpUrlTest, SplitsUrlsIntoTheRequestParts) {
    struct Case {
        const char* url;
        TUrlParts expected;
    };
    const Case cases[] = {
        {"http://H/a/b.pl?x&y=1", {"http", "", "", "H", "/a/", "b.pl", "?x&y=1", 80}},
        {"http://h:8080/cgi/version.pl?hs&prg=SprayDash&inf=GC2VD",
         {"http", "", "", "h", "/cgi/", "version.pl", "?hs&prg=SprayDash&inf=GC2VD", 8080}},
        {"http://h", {"http", "", "", "h", "/", "", "", 80}},
        {"http://h/", {"http", "", "", "h", "/", "", "", 80}},
        {"http:\\\\h\\dir\\page.html", {"http", "", "", "h", "/dir/", "page.html", "", 80}},
        {"http://user:pw@h:81/p", {"http", "user", "pw", "h", "/", "p", "", 81}},
        {"http://h/doc.html#top", {"http", "", "", "h", "/", "doc.html", "", 80}},
        {"http://h/doc?q=1#frag", {"http", "", "", "h", "/", "doc", "?q=1", 80}},
        {"http://h/a/b/c=d", {"http", "", "", "h", "/a/b/", "c", "=d", 80}},
        {"ftp://h:21/file", {"ftp", "", "", "h", "/", "file", "", 21}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(ParseUrl(c.url), c.expected);
    }
    for (const char* bad : {"ftp://h/file", "h/file", "http://h:0/", "http://h:99999/", "http://h:8x/",
                            "http://h/a b", "http://h/a\r\nX-Injected: 1", "http:///path"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ParseUrl(bad), EHttpError);
    }
}

TEST(HttpRequestTest, SendsExactlyTheRequestLinesInOrder) {
    THttpClient client;
    EXPECT_EQ(client.BuildRequest(ParseUrl("http://H/a/b.pl?x&y=1")),
              "GET /a/b.pl?x&y=1 HTTP/1.1\r\n"
              "Content-Type: text/html\r\n"
              "Host: H\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Spray Dash)\r\n"
              "\r\n");

    // Over the wire, to a port other than 80: the Host value carries the port.
    TLoopbackServer server({{Ok("Content-Length: 2\r\n", "hi")}});
    ASSERT_TRUE(server.Ok());
    EXPECT_EQ(client.GetToString(server.Url("/a/b.pl?x&y=1")), "hi");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /a/b.pl?x&y=1 HTTP/1.1\r\n"
                                    "Content-Type: text/html\r\n"
                                    "Host: 127.0.0.1:" +
                                        std::to_string(server.Port()) +
                                        "\r\n"
                                        "Accept: text/html, */*\r\n"
                                        "User-Agent: Mozilla/3.0 (compatible; Spray Dash)\r\n"
                                        "\r\n");
}

TEST(HttpResponseTest, ReadsBodiesByLengthChunksOrUntilClose) {
    struct Case {
        const char* label;
        TReply reply;
        std::string body;
        int64_t contentLength = kNotChecked;
    };
    const Case cases[] = {
        {"content length", {Ok("Content-Length: 5\r\n", "hello")}, "hello"},
        {"content length with trailing bytes ignored", {Ok("Content-Length: 3\r\n", "abcdef")}, "abc"},
        {"chunked 5 and 0", {Ok("Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n0\r\n\r\n")}, "hello"},
        {"chunked with extension",
         {Ok("Transfer-Encoding: chunked\r\n", "3;x=y\r\nabc\r\n2\r\nde\r\n0\r\n\r\n")},
         "abcde"},
        {"until close", {Ok("", "all of it"), true}, "all of it"},
        {"zero length", {Ok("Content-Length: 0\r\n", "")}, ""},
        {"no content", {"HTTP/1.1 204 No Content\r\n\r\n"}, ""},
        {"continue first", {"HTTP/1.1 100 Continue\r\n\r\n" + Ok("Content-Length: 2\r\n", "ok")}, "ok"},
        {"bare LF line ends", {"HTTP/1.0 200 OK\nContent-Length: 4\n\nbody"}, "body"},
        // A Content-Length that is not a positive number is -1 (not a number) or itself (negative);
        // either way the header was there, so there is no body, and nothing is read up to the close.
        {"content length not a number", {Ok("Content-Length: abc\r\n", "not body"), true}, "", -1},
        {"content length negative", {Ok("Content-Length: -5\r\n", "not body"), true}, "", -5},
        {"content length blank", {Ok("Content-Length:  \r\n", "not body"), true}, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TLoopbackServer server({c.reply});
        ASSERT_TRUE(server.Ok());
        THttpClient client;
        EXPECT_EQ(client.GetToString(server.Url("/x")), c.body);
        EXPECT_EQ(client.LastResponse().Code, c.reply.Bytes.find(" 204 ") != std::string::npos ? 204 : 200);
        if (c.contentLength != kNotChecked) {
            EXPECT_EQ(client.LastResponse().ContentLength, c.contentLength);
        }
    }
}

TEST(HttpResponseTest, BodiesOverTheCapAreRefusedWhateverWayTheyCome) {
    // A cap of 16 bytes: each body below arrives complete (or the length alone is absurd), so the
    // only reason to fail is the cap itself.
    struct Case {
        const char* label;
        TReply reply;
        bool accepted;
    };
    const std::string sixteen(16, 's'), seventeen(17, 's');
    const Case cases[] = {
        {"length at the cap", {Ok("Content-Length: 16\r\n", sixteen)}, true},
        {"length one over", {Ok("Content-Length: 17\r\n", seventeen)}, false},
        {"absurd length, nothing sent", {Ok("Content-Length: 999999999\r\n", "x")}, false},
        {"chunks adding up to the cap",
         {Ok("Transfer-Encoding: chunked\r\n", "8\r\nssssssss\r\n8\r\nssssssss\r\n0\r\n\r\n")},
         true},
        {"chunks each under it, together over",
         {Ok("Transfer-Encoding: chunked\r\n", "a\r\nssssssssss\r\na\r\nssssssssss\r\n0\r\n\r\n")},
         false},
        {"one chunk of 17",
         {Ok("Transfer-Encoding: chunked\r\n", "11\r\n" + seventeen + "\r\n0\r\n\r\n")},
         false},
        {"absurd chunk size", {Ok("Transfer-Encoding: chunked\r\n", "FFFFFFFFFFFF\r\nx")}, false},
        {"until close at the cap", {Ok("", sixteen), true}, true},
        {"until close one over", {Ok("", seventeen), true}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TLoopbackServer server({c.reply});
        ASSERT_TRUE(server.Ok());
        THttpClient client;
        client.MaxBodyBytes = 16;
        if (c.accepted) {
            EXPECT_EQ(client.GetToString(server.Url("/")).size(), 16u);
            continue;
        }
        try {
            client.GetToString(server.Url("/"));
            ADD_FAILURE() << "no error";
        } catch (const EHttpError& e) {
            EXPECT_STREQ(e.what(), "Response body too large");
        }
        EXPECT_FALSE(client.Connected());
    }
}

TEST(HttpResponseTest, ErrorAndRedirectStatusesFailWithTheProtocolError) {
    struct Case {
        std::string reply;
        int code;
        std::string body;
    };
    const Case cases[] = {
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing", 404, "missing"},
        {"HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: 5\r\n\r\nmoved", 302, ""},
        {"HTTP/1.1 200 OK\r\nLocation: /other\r\nContent-Length: 0\r\n\r\n", 200, ""},
        {"HTTP/1.1 304 Not Modified\r\nContent-Length: 0\r\n\r\n", 304, ""},
        {"HTTP/1.1 401 Unauthorized\r\nContent-Length: 2\r\n\r\nno", 401, "no"},
        {"HTTP/1.1 abc Weird\r\nContent-Length: 0\r\n\r\n", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        // The follow-up on the same connection only works when the error body was drained.
        TLoopbackServer server({{c.reply}, {Ok("Content-Length: 4\r\n", "next")}});
        ASSERT_TRUE(server.Ok());
        THttpClient client;
        try {
            client.GetToString(server.Url("/x"));
            ADD_FAILURE() << "no error";
        } catch (const EHttpProtocolError& e) {
            EXPECT_EQ(e.Code, c.code);
            EXPECT_EQ(e.what(), c.reply.substr(0, c.reply.find("\r\n")));
            EXPECT_EQ(e.Body, c.body);
        }
        EXPECT_EQ(client.GetToString(server.Url("/y")), "next");
        EXPECT_EQ(server.Accepted(), 1);
    }
}

TEST(HttpConnectionTest, KeepsTheConnectionUnlessTheServerSaysClose) {
    struct Case {
        const char* connectionHeader;
        int expectedConnections;
    };
    for (Case c : {Case{"", 1}, Case{"Connection: keep-alive\r\n", 1}, Case{"Connection:  Close \r\n", 2},
                   Case{"Proxy-Connection: close\r\n", 2}}) {
        SCOPED_TRACE(c.connectionHeader);
        std::string reply = Ok(std::string("Content-Length: 1\r\n") + c.connectionHeader, "1");
        bool closes = c.expectedConnections == 2;
        TLoopbackServer server({{reply, closes}, {reply, closes}});
        ASSERT_TRUE(server.Ok());
        THttpClient client;
        EXPECT_EQ(client.GetToString(server.Url("/a")), "1");
        EXPECT_EQ(client.Connected(), !closes);
        EXPECT_EQ(client.GetToString(server.Url("/b")), "1");
        EXPECT_EQ(server.Accepted(), c.expectedConnections);
    }
}

TEST(HttpConnectionTest, ReconnectsWhenTheKeptConnectionWasDroppedMeanwhile) {
    // The server answers keep-alive but closes after each answer anyway.
    std::string reply = Ok("Content-Length: 2\r\n", "ok");
    TLoopbackServer server({{reply, true}, {reply, true}});
    ASSERT_TRUE(server.Ok());
    THttpClient client;
    EXPECT_EQ(client.GetToString(server.Url("/a")), "ok");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(client.GetToString(server.Url("/b")), "ok");
    EXPECT_EQ(server.Accepted(), 2);
}

TEST(HttpResponseTest, LinesLongerThanTheLimitAreRefused) {
    for (size_t length : {kMaxHttpLineLength, kMaxHttpLineLength + 1, size_t(100000)}) {
        SCOPED_TRACE(length);
        std::string header = "X-Long: " + std::string(length - 8, 'a') + "\r\n";
        TLoopbackServer server({{Ok(header + "Content-Length: 2\r\n", "ok")}});
        ASSERT_TRUE(server.Ok());
        THttpClient client;
        if (length <= kMaxHttpLineLength) {
            EXPECT_EQ(client.GetToString(server.Url("/")), "ok");
        } else {
            try {
                client.GetToString(server.Url("/"));
                ADD_FAILURE() << "no error";
            } catch (const EHttpError& e) {
                EXPECT_STREQ(e.what(), "Max line length exceeded.");
            }
            EXPECT_FALSE(client.Connected());
        }
    }
}

TEST(HttpFailureTest, SilentServerMakesTheCallGiveUp) {
    TLoopbackServer server([](platform::TTcpSocket& s, TLoopbackServer& self) {
        self.ReadRequest(s);
        self.WaitForStop();
    });
    ASSERT_TRUE(server.Ok());
    THttpClient client;
    client.ReadTimeoutMs = 300;
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(client.GetToString(server.Url("/")), EHttpError);
    // Generous bound: the point is that it returns at all instead of waiting forever.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(client.Connected());
}

TEST(HttpFailureTest, BrokenExchangesFail) {
    struct Case {
        const char* label;
        TReply reply;
    };
    const Case cases[] = {
        {"closes mid-body", {Ok("Content-Length: 10\r\n", "only"), true}},
        {"closes mid-chunk", {Ok("Transfer-Encoding: chunked\r\n", "a\r\nonly"), true}},
        {"closes before the promised body", {Ok("Content-Length: 5\r\n", ""), true}},
        {"closes before answering", {"", true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TLoopbackServer server({c.reply});
        ASSERT_TRUE(server.Ok());
        THttpClient client;
        client.ReadTimeoutMs = 1000;
        EXPECT_THROW(client.GetToString(server.Url("/")), EHttpError);
        EXPECT_FALSE(client.Connected());
    }
    THttpClient client;
    client.ConnectTimeoutMs = 1000;
    uint16_t freePort;
    {
        platform::TTcpListener probe;
        std::string error;
        ASSERT_TRUE(probe.Listen(0, error));
        freePort = probe.Port();
    }
    EXPECT_THROW(client.GetToString("http://127.0.0.1:" + std::to_string(freePort) + "/"), EHttpError);
    EXPECT_THROW(client.GetToString("https://127.0.0.1/"), EHttpError);
}

TEST(HttpCookieTest, CookiesComeBackToMatchingUrlsForTheRun) {
    TLoopbackServer server(
        {{Ok("Set-Cookie: sid=abc; Path=/cgi\r\nSet-Cookie: theme=dark; Path=/\r\nContent-Length: 0\r\n",
             "")},
         {Ok("Content-Length: 0\r\n", "")},
         {Ok("Content-Length: 0\r\n", "")}});
    ASSERT_TRUE(server.Ok());
    THttpClient client;
    client.GetToString(server.Url("/cgi/version.pl?show"));
    client.GetToString(server.Url("/cgi/version.pl?hs"));
    client.GetToString(server.Url("/index.html"));
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
    EXPECT_NE(requests[1].find("\r\nCookie: sid=abc; theme=dark\r\n\r\n"), std::string::npos);
    EXPECT_NE(requests[2].find("\r\nCookie: theme=dark\r\n"), std::string::npos);

    // Domain rules: a server cannot set cookies for someone else; expired ones are dropped.
    TCookieJar jar;
    jar.Store("a=1; Domain=example.org", "evil.test", "/");
    jar.Store("b=2; Domain=.scores.test", "www.scores.test", "/");
    jar.Store("c=3", "www.scores.test", "/");
    jar.Store("c=3; Max-Age=0", "www.scores.test", "/");
    EXPECT_EQ(jar.HeaderFor("example.org", "/"), "");
    EXPECT_EQ(jar.HeaderFor("scores.test", "/x"), "b=2");
    EXPECT_EQ(jar.HeaderFor("WWW.Scores.test", "/x"), "b=2");
}

} // namespace
