// The spraydash-scores program itself: abuse at the connection level, faults (kill -9 in a burst,
// the database going away), the operator's admin commands, SIGTERM and --help.
#include "CommandLine.h"
#include "ServiceFixture.h"
#include "records/ScoreServerProcess.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <regex>
#include <set>
#include <thread>
#include <vector>

namespace {

// Runs the program with args and returns what it printed on stdout; status receives the exit status.
std::string RunProgram(const std::string& args, int& status) {
    std::string out;
    FILE* p = popen((std::string(SPRAYDASH_SCORESERVER) + " " + args + " 2>&1").c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int raw = pclose(p);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

TEST_P(EngineTest, KillNineInABurstLosesNoAnsweredSubmission) {
    ScoreServerProcess server(Dir, {"--submits-per-minute", "0", "--no-access-log"}, Db);
    ASSERT_GT(server.Port, 0) << server.Log();
    std::mutex m;
    std::set<int> answered;
    std::atomic<bool> stop{false};
    std::atomic<int> next{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 8; ++t)
        clients.emplace_back([&] {
            while (!stop.load()) {
                int i = next.fetch_add(1);
                if (Fetch(server.Port, SubmitPath(CodeFor("K" + std::to_string(i), i))).Status != 200)
                    continue;
                std::lock_guard<std::mutex> lock(m);
                answered.insert(i);
            }
        });
    // Kill once a good number has been answered, with the clients still sending.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m);
            if (answered.size() >= 150 || std::chrono::steady_clock::now() > deadline) break;
        }
        std::this_thread::yield();
    }
    server.Kill();
    stop = true;
    for (std::thread& t : clients)
        t.join();
    ASSERT_GE(answered.size(), 150u);

    auto store = OpenScoreStore(Db, {});
    std::set<int> kept;
    for (const TStoredRow& r : store->Latest(1000000))
        kept.insert(r.Score);
    for (int i : answered)
        EXPECT_TRUE(kept.count(i)) << "answered 200 but lost: " << i;
    store->Close();
    std::printf("[ burst ] %zu answered 200 before the kill, %zu rows after restart\n", answered.size(),
                kept.size());
}

TEST_P(EngineTest, AdminListsHidesShowsAndDeletesRows) {
    TRunningService s(Db);
    ASSERT_TRUE(s.Started);
    ASSERT_EQ(Fetch(s.Port(), SubmitPath(CodeFor("CHEAT\xE9", 99999, "forged"))).Status, 200);
    ASSERT_EQ(Fetch(s.Port(), SubmitPath(CodeFor("HONEST", 1200))).Status, 200);
    int status = 0;
    std::string list = RunProgram("admin --db '" + Db + "' list", status);
    EXPECT_EQ(status, 0) << list;
    std::smatch m;
    // id, received, score, name (UTF-8), info, address, state
    ASSERT_TRUE(std::regex_search(
        list, m, std::regex("\n(\\d+)\t[0-9T:Z-]+\t99999\tCHEAT\xC3\xA9\tforged\t127\\.0\\.0\\.1\tshown\n")))
        << list;
    const std::string id = m[1];
    auto page = [&] { return Fetch(s.Port(), kWorldPath).Body; };
    EXPECT_NE(page().find("99999"), std::string::npos);
    EXPECT_EQ(RunProgram("admin --db '" + Db + "' hide " + id, status), "hidden " + id + "\n");
    auto until = [&](bool shown) {
        // PostgreSQL's change notice travels through the server; SQLite's is seen at once.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        bool now = false;
        do
            now = page().find("99999") != std::string::npos;
        while (now != shown && std::chrono::steady_clock::now() < deadline);
        return now;
    };
    EXPECT_FALSE(until(false));
    EXPECT_NE(RunProgram("admin --db '" + Db + "' list", status).find("\thidden\n"), std::string::npos);
    RunProgram("admin --db '" + Db + "' show " + id, status);
    EXPECT_TRUE(until(true));
    EXPECT_EQ(RunProgram("admin --db '" + Db + "' delete " + id, status), "deleted " + id + "\n");
    EXPECT_FALSE(until(false));
    EXPECT_NE(page().find("HONEST"), std::string::npos);
    RunProgram("admin --db '" + Db + "' delete " + id, status);
    EXPECT_EQ(status, 1) << "no such row any more";
    RunProgram("admin --db '" + Db + "' erase everything", status);
    EXPECT_EQ(status, 2);
}

TEST_P(EngineTest, SigtermStopsCleanlyAfterLoggingEachRequest) {
    ScoreServerProcess server(Dir, {}, Db);
    ASSERT_GT(server.Port, 0) << server.Log();
    EXPECT_EQ(Fetch(server.Port, "/healthz").Status, 200);
    EXPECT_EQ(Fetch(server.Port, SubmitPath(CodeFor("LOG", 5))).Status, 200);
    EXPECT_EQ(server.Terminate(), 0);
    const std::string log = server.Log();
    EXPECT_TRUE(std::regex_search(log, std::regex("Z 127\\.0\\.0\\.1 \"GET /healthz\" 200 3 [0-9.]+ms\n")))
        << log;
    EXPECT_TRUE(
        std::regex_search(log, std::regex("\"GET /cgi/version\\.pl\\?hs&prg=SprayDash&inf=[A-Z1-9]+\" 200 ")))
        << log;
}

TEST(ScoreProgramTest, PostgresqlDownAnswers503AndRecoversWithoutARestart) {
    TPostgresCluster* cluster = TPostgresCluster::Shared();
    if (!cluster) {
        if (std::getenv("CI")) FAIL() << TPostgresCluster::Why();
        GTEST_SKIP() << TPostgresCluster::Why();
    }
    auto dir =
        std::filesystem::temp_directory_path() / ("spraydash-scores-outage-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string db = cluster->NewDatabase();
    // The cluster runs again at the end whatever happens here: the other tests share it.
    struct TRestart {
        TPostgresCluster* C;
        ~TRestart() { C->Start(); }
    } restart{cluster};
    {
        ScoreServerProcess server(dir, {"--submits-per-minute", "0"}, db);
        ASSERT_GT(server.Port, 0) << server.Log();
        ASSERT_EQ(Fetch(server.Port, SubmitPath(CodeFor("BEFORE", 10))).Status, 200);
        // The reading connections are in use before the outage, so they must find their way back.
        ASSERT_EQ(Fetch(server.Port, kWorldPath).Status, 200);
        ASSERT_EQ(Fetch(server.Port, "/healthz").Status, 200);
        ASSERT_TRUE(cluster->Stop());
        TRawAnswer down = Fetch(server.Port, SubmitPath(CodeFor("DURING", 20)));
        EXPECT_EQ(down.Status, 503);
        EXPECT_FALSE(down.Headers["retry-after"].empty());
        EXPECT_EQ(Fetch(server.Port, "/healthz").Status, 503);
        EXPECT_EQ(Fetch(server.Port, kWorldPath).Status, 503);
        ASSERT_TRUE(cluster->Start());
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (Fetch(server.Port, "/healthz").Status != 200 && std::chrono::steady_clock::now() < deadline) {
        }
        EXPECT_EQ(Fetch(server.Port, "/healthz").Status, 200);
        EXPECT_EQ(Fetch(server.Port, SubmitPath(CodeFor("AFTER", 30))).Status, 200);
        std::string page = Fetch(server.Port, kWorldPath).Body;
        EXPECT_NE(page.find("BEFORE"), std::string::npos);
        EXPECT_NE(page.find("AFTER"), std::string::npos);
        EXPECT_EQ(page.find("DURING"), std::string::npos);
    }
    std::filesystem::remove_all(dir);
}

class ConnectionAbuseTest : public EngineTest {};

TEST_P(ConnectionAbuseTest, SlowOversizedAndGreedyClientsDoNotHoldUpOthers) {
    THttpSettings http;
    http.TimeoutSeconds = 1;
    http.MaxConnectionsPerAddress = 4;
    http.MaxHeadBytes = 4096;
    TRunningService s(Db, {}, http);
    ASSERT_TRUE(s.Started);
    // A client that sends half a head and stalls: others are served meanwhile; it is closed.
    TTestConnection slow(s.Port(), "127.0.0.7");
    ASSERT_TRUE(slow.Send("GET / HTTP/1.1\r\nHost: 127"));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(s.Port(), kWorldPath, "127.0.0.9").Status, 200);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
    EXPECT_TRUE(slow.ClosedByServer(4000)) << "slow client not timed out";

    // A head over the limit is refused; the server goes on.
    TRawAnswer big = Fetch(s.Port(), "/", "127.0.0.9", "GET", "X-Big: " + std::string(8000, 'x') + "\r\n");
    EXPECT_GE(big.Status, 400);
    EXPECT_LT(big.Status, 500);
    // Garbage instead of a request line (a TLS hello, say) is dropped or refused, never served.
    {
        TTestConnection junk(s.Port(), "127.0.0.9");
        junk.Send(std::string("\x16\x03\x01\x00\xff\r\nnonsense\r\n\r\n", 19));
        int status = ParseAnswer(junk.ReadAll()).Status;
        EXPECT_TRUE(status == 0 || status == 400) << status;
    }

    // Four idle connections from one address fill its cap: a fifth is closed unanswered, while
    // another address is served.
    std::vector<std::unique_ptr<TTestConnection>> idle;
    for (int i = 0; i < 4; ++i)
        idle.push_back(std::make_unique<TTestConnection>(s.Port(), "127.0.0.8"));
    // Each is accepted once the server has answered a request on it.
    for (auto& c : idle) {
        c->Send("GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n");
        char buf[512];
        pollfd p{c->Fd, POLLIN, 0};
        ASSERT_GT(poll(&p, 1, 3000), 0);
        ASSERT_GT(recv(c->Fd, buf, sizeof buf, 0), 0);
    }
    TRawAnswer fifth = Fetch(s.Port(), "/healthz", "127.0.0.8");
    EXPECT_EQ(fifth.Status, 0) << "a fifth connection from one address was served";
    EXPECT_EQ(Fetch(s.Port(), "/healthz", "127.0.0.10").Status, 200);
    EXPECT_EQ(Fetch(s.Port(), SubmitPath(CodeFor("STILL", 1)), "127.0.0.10").Status, 200);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, ConnectionAbuseTest, ::testing::Values("sqlite"), EngineName);

TEST(ScoreProgramTest, HelpListsEveryOptionTheProgramTakes) {
    int status = 0;
    std::string help = RunProgram("--help", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(help, UsageText());
    // Every option the help names is taken (with a value where it needs one).
    std::regex option("(--[a-z-]+)");
    std::set<std::string> named;
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it)
        named.insert((*it)[1]);
    for (const char* expected :
         {"--listen", "--db", "--key", "--port-file", "--trusted-proxy", "--submits-per-minute",
          "--max-connections-per-address", "--timeout", "--max-head-bytes", "--help"})
        EXPECT_TRUE(named.count(expected)) << expected;
    for (const std::string& o : named) {
        std::vector<std::string> words = {"spraydash-scores", o};
        if (o != "--help" && o != "--no-access-log")
            words.push_back(o == "--key"              ? "K"
                            : o == "--listen"         ? "127.0.0.1:1"
                            : o == "--max-head-bytes" ? "2048"
                                                      : "5");
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        TServerOptions parsed;
        std::string error;
        EXPECT_TRUE(ParseCommandLine(int(argv.size()), argv.data(), parsed, error)) << o << ": " << error;
    }
    RunProgram("--frobnicate 1", status);
    EXPECT_EQ(status, 2);
    RunProgram("--key lowercase", status);
    EXPECT_EQ(status, 2);
}

} // namespace
