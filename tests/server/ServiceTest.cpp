// The service through its real HTTP server on loopback, on both storage engines: the game's three
// addresses, what is stored and shown, duplicates, refusals, rate limits, paging and the cache.
#include "ServiceFixture.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace {

TEST_P(EngineTest, GameAddressesAnswerWithTheirStatusAndAOneLineReason) {
    TRunningService s(Db);
    ASSERT_TRUE(s.Started);
    struct Case {
        std::string method, target;
        int status;
        std::string bodyHas;
    };
    const std::string good = CodeFor("AB", 1500);
    const Case cases[] = {
        {"GET", SubmitPath(good), 200, "result stored"},
        {"GET", SubmitPath(good), 200, "result already stored"},
        {"GET", SubmitPath("GC2VD"), 400, "bad result record"}, // decodes to "abc"
        {"GET", SubmitPath("GC2VI"), 400, "does not decode"},   // I is no symbol
        {"GET", SubmitPath(""), 400, "does not decode"},
        {"GET", SubmitPath(CodeFor("AB", 1500, "_______", 'Q')), 403, "wrong key"},
        {"GET", "/cgi/version.pl?hs&prg=Other&inf=" + good, 404, "unknown game"},
        {"GET", "/cgi/version.pl?prg=SprayDash", 400, "nothing to do"},
        {"GET", kWorldPath, 200, "World high scores"},
        {"GET", kWorldPath + "&period=year", 400, "bad period"},
        {"GET", kWorldPath + "&page=0", 400, "bad page"},
        {"GET", "/cgi/version.pl?prg=SprayDash&show&type=1", 404, "unknown result type"},
        {"GET", "/", 200, "World high scores"},
        {"GET", "/healthz", 200, "ok"},
        {"GET", "/static/site.css", 200, "--water"},
        {"GET", "/static/../CMakeCache.txt", 404, ""},
        {"GET", "/nowhere", 404, "Nothing here"},
        {"POST", kWorldPath, 405, "only GET and HEAD"},
        {"HEAD", kWorldPath, 200, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method + " " + c.target);
        TRawAnswer a = Fetch(s.Port(), c.target, "127.0.0.1", c.method,
                             c.method == "POST" ? "Content-Length: 3\r\n" : "");
        EXPECT_EQ(a.Status, c.status) << a.Body;
        EXPECT_NE(a.Body.find(c.bodyHas), std::string::npos) << a.Body;
        if (c.status >= 400 && c.target.find("/nowhere") == std::string::npos && !c.bodyHas.empty()) {
            EXPECT_EQ(a.Body.find('\n'), a.Body.size() - 1) << "one line";
        }
    }
    // HEAD answers like GET without the body.
    TRawAnswer head = Fetch(s.Port(), kWorldPath, "127.0.0.1", "HEAD");
    EXPECT_TRUE(head.Body.empty());
    EXPECT_EQ(head.Headers["content-type"], "text/html; charset=utf-8");
}

TEST_P(EngineTest, StoredResultsShowBestFirstWithNamesAsText) {
    TRunningService s(Db);
    ASSERT_TRUE(s.Started);
    // Latin-1 e with diaeresis (0xEB) must reach the page as U+00EB in UTF-8 (C3 AB).
    for (auto [name, score, info] : {std::tuple<std::string, int, std::string>{"<b>&\"x'", 700, "a<i>"},
                                     {"Zo\xEB", 9000, "_______"},
                                     {"", -20, "_______"},
                                     {"TIE", 700, "later"}}) {
        ASSERT_EQ(Fetch(s.Port(), SubmitPath(CodeFor(name, score, info))).Status, 200) << name;
    }
    std::string page = Fetch(s.Port(), kWorldPath).Body;
    size_t zoe =
        page.find("<td class=\"rank\">1</td><td class=\"name\">Zo\xC3\xAB</td><td class=\"score\">9000</td>");
    size_t markup = page.find("<td class=\"rank\">2</td><td class=\"name\">&lt;b&gt;&amp;&quot;x&#39;</td>"
                              "<td class=\"score\">700</td><td class=\"info\">a&lt;i&gt;</td>");
    // Equal scores keep their arrival order.
    size_t tie =
        page.find("<td class=\"rank\">3</td><td class=\"name\">TIE</td><td class=\"score\">700</td>");
    size_t empty = page.find("<td class=\"rank\">4</td><td class=\"name\"></td><td class=\"score\">-20</td>");
    EXPECT_NE(zoe, std::string::npos) << page;
    EXPECT_NE(markup, std::string::npos) << page;
    EXPECT_NE(tie, std::string::npos) << page;
    EXPECT_NE(empty, std::string::npos) << page;
    EXPECT_EQ(page.find("<b>&"), std::string::npos) << "raw markup of a name on the page";
    // The site shows the best five too.
    EXPECT_NE(Fetch(s.Port(), "/").Body.find("Zo\xC3\xAB"), std::string::npos);
}

TEST_P(EngineTest, ResultsOutsideTheRulesAreRefusedWithTheReason) {
    TServiceSettings rules;
    rules.MinScore = -100;
    rules.MaxScore = 50000;
    rules.MaxInfoBytes = 12;
    TRunningService s(Db, rules);
    ASSERT_TRUE(s.Started);
    struct Case {
        std::string name;
        int32_t score;
        std::string info;
        int status;
        std::string reason;
    };
    const Case cases[] = {
        {"TENLETTERS", 50000, "twelve bytes", 200, "stored"}, // every limit exactly met
        {"X", -100, "_______", 200, "stored"},
        {"ELEVENCHARS", 10, "_______", 400, "name longer than 10"},
        {"A\x01", 10, "_______", 400, "control character in the name"},
        {"B", 10, "thirteen byte", 400, "info text longer than 12"},
        {"C", 10, "tab\there", 400, "control character in the info"},
        {"D", 50001, "_______", 400, "score outside -100..50000"},
        {"E", -101, "_______", 400, "score outside"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRawAnswer a = Fetch(s.Port(), SubmitPath(CodeFor(c.name, c.score, c.info)));
        EXPECT_EQ(a.Status, c.status);
        EXPECT_NE(a.Body.find(c.reason), std::string::npos) << a.Body;
    }
    // A record of another type (the game only sends type=0).
    std::string record = "type=1|name=F|score=5|key=S|p=|add=|z=";
    while (record.size() % 5)
        record += '0';
    TRawAnswer typed = Fetch(s.Port(), SubmitPath(BitsToBase32(ToBitString(record))));
    EXPECT_EQ(typed.Status, 400);
    EXPECT_NE(typed.Body.find("unknown result type 1"), std::string::npos) << typed.Body;
    EXPECT_EQ(s.Store->Latest(100).size(), 2u);
}

TEST_P(EngineTest, AnIdenticalCodeWithinTenMinutesIsStoredOnce) {
    TRunningService s(Db);
    ASSERT_TRUE(s.Started);
    const std::string code = CodeFor("TWICE", 4321);
    // Over HTTP: both answered 200, one row.
    EXPECT_EQ(Fetch(s.Port(), SubmitPath(code)).Status, 200);
    EXPECT_EQ(Fetch(s.Port(), SubmitPath(code)).Status, 200);
    EXPECT_EQ(s.Store->Latest(10).size(), 1u);
    // At the edges of the window, by the received time (seconds): t0 + 599 is within ten minutes,
    // t0 + 600 is not; a different code at the same time is its own row.
    TSubmittedResult r{0, "EDGE", 10, 'S', "_______"};
    const int64_t t0 = 1'800'000'000;
    const std::string edge = CodeFor("EDGE", 10);
    EXPECT_EQ(s.Store->Add({r, edge, "127.0.0.1", t0}).Outcome, TAddOutcome::Stored);
    EXPECT_EQ(s.Store->Add({r, edge, "127.0.0.1", t0 + 599}).Outcome, TAddOutcome::Duplicate);
    EXPECT_EQ(s.Store->Add({r, edge, "127.0.0.1", t0 + 600}).Outcome, TAddOutcome::Stored);
    EXPECT_EQ(s.Store->Add({r, CodeFor("EDGE", 11), "127.0.0.1", t0}).Outcome, TAddOutcome::Stored);
    EXPECT_EQ(s.Store->Latest(10).size(), 4u);
}

TEST_P(EngineTest, AQueuedBatchKeepsEveryByteAndItsArrivalOrder) {
    auto store = OpenScoreStore(Db, {});
    // Bytes that mean something to a database's literals: quotes, backslashes, commas, braces,
    // a NUL and high bytes in names; the same in the address text (no NUL: it is text).
    const std::vector<std::pair<std::string, std::string>> rows = {
        {std::string("a\0b", 3), "\"quoted\""},
        {"\\x41", "back\\slash"},
        {"{1,2}", "comma,brace}"},
        {"\xFF\xEB", "NULL"},
        {"", ""},
    };
    std::mutex mutex;
    std::condition_variable done;
    size_t answered = 0;
    std::vector<TAddOutcome> outcomes(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        TSubmittedResult r{0, rows[i].first, int32_t(i), 'S', rows[i].first};
        store->AddAsync({r, CodeFor("ODD", int32_t(i)), rows[i].second, 1'800'000'000},
                        [&, i](const TAddResult& a) {
                            std::lock_guard<std::mutex> lock(mutex);
                            outcomes[i] = a.Outcome;
                            ++answered;
                            done.notify_one();
                        });
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return answered == rows.size(); });
    }
    for (TAddOutcome o : outcomes)
        EXPECT_EQ(o, TAddOutcome::Stored);
    std::vector<TStoredRow> latest = store->Latest(10); // newest first
    ASSERT_EQ(latest.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const TStoredRow& got = latest[rows.size() - 1 - i];
        SCOPED_TRACE(i);
        EXPECT_EQ(got.Score, int32_t(i));
        EXPECT_EQ(got.Name, rows[i].first);
        EXPECT_EQ(got.AddInfo, rows[i].first);
        EXPECT_EQ(got.Address, rows[i].second);
    }
    store->Close();
}

TEST_P(EngineTest, DuplicatesAreDecidedInTheDatabaseAcrossProcesses) {
    // Two stores on one database stand for two server processes; each gets the same codes at once.
    auto a = OpenScoreStore(Db, {});
    auto b = OpenScoreStore(Db, {});
    const int kCodes = 40;
    std::vector<std::thread> senders;
    std::atomic<int> stored{0};
    for (TScoreStore* store : {a.get(), b.get()})
        for (int t = 0; t < 4; ++t)
            senders.emplace_back([store, &stored] {
                for (int i = 0; i < kCodes; ++i) {
                    TSubmittedResult r{0, "SAME", 100 + i, 'S', "_______"};
                    if (store->Add({r, CodeFor("SAME", 100 + i), "127.0.0.1", 1'800'000'000}).Outcome ==
                        TAddOutcome::Stored)
                        ++stored;
                }
            });
    for (std::thread& t : senders)
        t.join();
    EXPECT_EQ(stored.load(), kCodes);
    EXPECT_EQ(a->Latest(1000).size(), size_t(kCodes));
    a->Close();
    b->Close();
}

TEST_P(EngineTest, OneAddressIsRateLimitedAndOthersAreNot) {
    TServiceSettings rules;
    rules.SubmitsPerMinute = 3;
    TRunningService s(Db, rules);
    ASSERT_TRUE(s.Started);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Fetch(s.Port(), SubmitPath(CodeFor("A", i)), "127.0.0.2").Status, 200);
    TRawAnswer over = Fetch(s.Port(), SubmitPath(CodeFor("A", 99)), "127.0.0.2");
    EXPECT_EQ(over.Status, 429);
    // 3 a minute: one token every 20 s, and the bucket is empty.
    EXPECT_EQ(over.Headers["retry-after"], "20");
    EXPECT_NE(over.Body.find("too many results"), std::string::npos);
    EXPECT_EQ(Fetch(s.Port(), SubmitPath(CodeFor("B", 1)), "127.0.0.3").Status, 200);
    // Pages are not limited.
    EXPECT_EQ(Fetch(s.Port(), kWorldPath, "127.0.0.2").Status, 200);
}

TEST_P(EngineTest, ForwardedAddressesCountOnlyFromATrustedProxy) {
    TServiceSettings rules;
    rules.SubmitsPerMinute = 1;
    THttpSettings viaProxy;
    viaProxy.TrustedProxies = {"127.0.0.5"};
    TRunningService s(Db, rules, viaProxy);
    ASSERT_TRUE(s.Started);
    auto send = [&](const std::string& from, const std::string& forwarded, int score) {
        return Fetch(s.Port(), SubmitPath(CodeFor("P", score)), from, "GET",
                     "X-Forwarded-For: " + forwarded + "\r\n")
            .Status;
    };
    // From the proxy: the last forwarded address is the client, one bucket each.
    EXPECT_EQ(send("127.0.0.5", "127.0.0.77, 127.0.0.78, 127.0.0.20", 1), 200);
    EXPECT_EQ(send("127.0.0.5", "127.0.0.21", 2), 200);
    EXPECT_EQ(send("127.0.0.5", "127.0.0.21", 3), 429);
    // IPv6 clients share one bucket per /64.
    EXPECT_EQ(send("127.0.0.5", "2001:db8:1:2::1", 6), 200);
    EXPECT_EQ(send("127.0.0.5", "2001:db8:1:2:ffff::9", 7), 429);
    EXPECT_EQ(send("127.0.0.5", "2001:db8:1:3::1", 8), 200);
    // From anyone else the header is ignored: the peer's own bucket.
    EXPECT_EQ(send("127.0.0.6", "127.0.0.30", 4), 200);
    EXPECT_EQ(send("127.0.0.6", "127.0.0.31", 5), 429);
    std::vector<std::string> addresses;
    for (const TStoredRow& r : s.Store->Latest(10))
        addresses.push_back(r.Address);
    EXPECT_EQ(addresses, (std::vector<std::string>{"127.0.0.6", "2001:db8:1:3::1", "2001:db8:1:2::1",
                                                   "127.0.0.21", "127.0.0.20"}));
}

TEST_P(EngineTest, WorldPagePagesAndPeriods) {
    TRunningService s(Db);
    ASSERT_TRUE(s.Started);
    const int64_t now = int64_t(std::time(nullptr));
    int n = 0;
    auto add = [&](int count, int64_t age, int32_t base) {
        for (int i = 0; i < count; ++i) {
            TSubmittedResult r{0, "R" + std::to_string(n), base + i, 'S', "_______"};
            ASSERT_EQ(s.Store->Add({r, "C" + std::to_string(n++), "127.0.0.1", now - age}).Outcome,
                      TAddOutcome::Stored);
        }
    };
    add(120, 10 * 86400, 1000); // scores 1000..1119, ten days old
    add(2, 3 * 86400, 5000);    // 5000, 5001: this week
    add(3, 3600, 100);          // 100..102: today
    struct Case {
        std::string query;
        int rows, firstRank;
        std::string firstName, pageText;
    };
    const Case cases[] = {
        // All time: 125 rows, 100 a page. Rank 1 is 5001 (R121); page 2 holds ranks 101..125.
        {"", 100, 1, "R121", "Page 1 of 2"},
        {"&page=2", 25, 101, "R21", "Page 2 of 2"}, // rank 101 = 1119 - 98 = 1021 = R21
        {"&period=week", 5, 1, "R121", ""},         // 5001, 5000, 102, 101, 100
        {"&period=day", 3, 1, "R124", ""},          // 102, 101, 100
        {"&period=all&page=3", 0, 0, "", "Page 3 of 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        TRawAnswer a = Fetch(s.Port(), kWorldPath + c.query);
        ASSERT_EQ(a.Status, 200);
        size_t rows = 0;
        for (size_t at = a.Body.find("<td class=\"rank\">"); at != std::string::npos;
             at = a.Body.find("<td class=\"rank\">", at + 1))
            ++rows;
        EXPECT_EQ(rows, size_t(c.rows));
        if (c.rows > 0) {
            EXPECT_NE(a.Body.find("<td class=\"rank\">" + std::to_string(c.firstRank) +
                                  "</td><td class=\"name\">" + c.firstName + "</td>"),
                      std::string::npos);
        }
        if (!c.pageText.empty() && c.rows > 0) {
            EXPECT_NE(a.Body.find(c.pageText), std::string::npos);
        }
    }
    // The game's own address is all time, page 1, and its links lead on.
    std::string first = Fetch(s.Port(), kWorldPath).Body;
    EXPECT_NE(first.find("href=\"/cgi/version.pl?prg=SprayDash&amp;show&amp;type=0&amp;page=2\""),
              std::string::npos);
    EXPECT_NE(first.find("aria-current=\"page\">All time"), std::string::npos);
}

TEST_P(EngineTest, PagesAreCachedUntilTheNextStoredResult) {
    TRunningService s(Db);
    ASSERT_TRUE(s.Started);
    TRawAnswer first = Fetch(s.Port(), kWorldPath);
    ASSERT_EQ(first.Status, 200);
    const std::string etag = first.Headers["etag"];
    ASSERT_FALSE(etag.empty());
    EXPECT_FALSE(first.Headers["last-modified"].empty());
    EXPECT_EQ(Fetch(s.Port(), kWorldPath, "127.0.0.1", "GET", "If-None-Match: " + etag + "\r\n").Status, 304);
    EXPECT_EQ(Fetch(s.Port(), kWorldPath, "127.0.0.1", "GET",
                    "If-Modified-Since: " + first.Headers["last-modified"] + "\r\n")
                  .Status,
              304);
    ASSERT_EQ(Fetch(s.Port(), SubmitPath(CodeFor("FRESH", 77))).Status, 200);
    TRawAnswer after = Fetch(s.Port(), kWorldPath, "127.0.0.1", "GET", "If-None-Match: " + etag + "\r\n");
    EXPECT_EQ(after.Status, 200);
    EXPECT_NE(after.Headers["etag"], etag);
    EXPECT_NE(after.Body.find("FRESH"), std::string::npos);
}

TEST_P(EngineTest, AResultStoredByOneProcessShowsOnAnothersNextPage) {
    TRunningService a(Db), b(Db);
    ASSERT_TRUE(a.Started && b.Started);
    EXPECT_EQ(Fetch(b.Port(), kWorldPath).Body.find("ELSEWHERE"), std::string::npos); // b caches its page
    ASSERT_EQ(Fetch(a.Port(), SubmitPath(CodeFor("ELSEWHERE", 5))).Status, 200);
    // SQLite sees the other connection's commit at once; PostgreSQL's notification travels
    // through the server, so b gets a moment for it to arrive.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(GetParam() == "postgres" ? 3 : 0);
    bool seen = false;
    do {
        seen = Fetch(b.Port(), kWorldPath).Body.find("ELSEWHERE") != std::string::npos;
    } while (!seen && std::chrono::steady_clock::now() < deadline);
    EXPECT_TRUE(seen);
    // Hiding (the operator's tool is a third connection) reaches b's cache the same way.
    ASSERT_TRUE(a.Store->SetHidden(a.Store->Latest(1).at(0).Id, true));
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(GetParam() == "postgres" ? 3 : 0);
    do {
        seen = Fetch(b.Port(), kWorldPath).Body.find("ELSEWHERE") != std::string::npos;
    } while (seen && std::chrono::steady_clock::now() < deadline);
    EXPECT_FALSE(seen);
}

TEST_P(EngineTest, ADatabaseOfANewerSchemaIsRefused) {
    { OpenScoreStore(Db, {})->Close(); }
    if (GetParam() == "postgres") {
        TPostgresCluster::Query(Db, "UPDATE schema_version SET version = 2");
    } else {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Db.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "UPDATE schema_version SET version = 2", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    try {
        OpenScoreStore(Db, {});
        ADD_FAILURE() << "opened";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("schema version 2, newer than this program's 1"),
                  std::string::npos)
            << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest, ::testing::Values("sqlite", "postgres"), EngineName);

TEST(RateLimiterTest, RefillsOneTokenPerSixthOfAMinuteAtTenAMinute) {
    TRateLimiter limiter(10);
    int retry = 0;
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(limiter.Take("a", 100.0, retry)) << i;
    EXPECT_FALSE(limiter.Take("a", 100.0, retry));
    EXPECT_EQ(retry, 6); // 60 s / 10 tokens
    EXPECT_FALSE(limiter.Take("a", 103.0, retry));
    EXPECT_EQ(retry, 3); // half a token refilled
    EXPECT_TRUE(limiter.Take("a", 106.0, retry));
    EXPECT_FALSE(limiter.Take("a", 106.0, retry));
    EXPECT_TRUE(limiter.Take("b", 106.0, retry)); // another address has its own bucket
    TRateLimiter off(0);
    for (int i = 0; i < 1000; ++i)
        EXPECT_TRUE(off.Take("a", 0, retry));
}

} // namespace
