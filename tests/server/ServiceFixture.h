// The service under test: a store on either engine, the service and its HTTP server in this
// process on a free loopback port, and helpers to make result codes the way the game does.
#pragma once
#include "HttpServer.h"
#include "PostgresCluster.h"
#include "ScoreService.h"
#include "ScoreStore.h"
#include "TestClient.h"
#include "resultcode/ResultCode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

// The code the game sends for a result with key S (or key).
inline std::string CodeFor(const std::string& name, int32_t score, const std::string& info = "_______",
                           char key = 'S') {
    return BitsToBase32(ToBitString(BuildResultRecord(name, score, info, key)));
}
inline std::string SubmitPath(const std::string& code) {
    return "/cgi/version.pl?hs&prg=SprayDash&inf=" + code;
}
inline const std::string kWorldPath = "/cgi/version.pl?prg=SprayDash&show&type=0";

struct TRunningService {
    TRunningService(const std::string& db, TServiceSettings service = {}, THttpSettings http = {}) {
        Store = OpenScoreStore(db, {});
        Service = std::make_unique<TScoreService>(*Store, service, LoadAssets(SPRAYDASH_SCORES_ASSET_DIR));
        http.Listen = "127.0.0.1:0";
        if (http.AccessLog == stdout) http.AccessLog = nullptr; // a test may log to a file of its own
        Http = std::make_unique<THttpServer>(*Service, http);
        std::string error;
        Started = Http->Start(error);
        EXPECT_TRUE(Started) << error;
    }
    ~TRunningService() {
        Http->Stop(2000);
        Store->Close();
    }
    int Port() const { return Http->Port(); }
    std::unique_ptr<TScoreStore> Store;
    std::unique_ptr<TScoreService> Service;
    std::unique_ptr<THttpServer> Http;
    bool Started = false;
};

// Runs each test once on SQLite and once on PostgreSQL; gives it a folder and a fresh database.
class EngineTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        Dir = std::filesystem::temp_directory_path() /
              ("spraydash-scores-" + name + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        if (GetParam() == "postgres") {
            if (!TPostgresCluster::Shared()) {
                // CI installs PostgreSQL through scripts/setup.sh; without it only SQLite is tested.
                if (std::getenv("CI")) FAIL() << TPostgresCluster::Why();
                GTEST_SKIP() << TPostgresCluster::Why();
            }
            Db = TPostgresCluster::Shared()->NewDatabase();
        } else {
            Db = (Dir / "scores.db").string();
        }
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    // A second database name for the same engine (another "machine" on the same data is Db itself).
    std::filesystem::path Dir;
    std::string Db;
};

inline std::string EngineName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param;
}
