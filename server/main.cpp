// spraydash-scores: the Spray Dash world high-score service (see --help and docs/SERVER.md).
#include "Admin.h"
#include "Assets.h"
#include "CommandLine.h"
#include "HttpServer.h"
#include "ScoreService.h"
#include "ScoreStore.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pthread.h>

namespace {

// server-assets beside the program in a build tree, else share/spraydash-scores of the prefix the
// program is installed in, else the folder it was built for.
std::string FindAssets() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (const std::filesystem::path& dir :
             {exe.parent_path() / "server-assets",
              exe.parent_path().parent_path() / "share" / "spraydash-scores"})
            if (std::filesystem::is_directory(dir, ec)) return dir.string();
    }
    return DefaultAssetDir();
}

bool WritePortFile(const std::string& path, uint16_t port) {
    // Written whole under another name first, so a reader never sees half a number.
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp);
        out << port << "\n";
        if (!out.flush()) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    TServerOptions o;
    std::string error;
    if (!ParseCommandLine(argc, argv, o, error)) {
        std::fprintf(stderr, "spraydash-scores: %s\n", error.c_str());
        return 2;
    }
    if (o.Help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    // The access log goes out a line at a time, so journald and pipes see whole lines.
    std::setvbuf(stdout, nullptr, _IOLBF, 1 << 16);

    // SIGTERM and SIGINT are taken by sigwait below; every thread started later inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<TScoreStore> store;
    try {
        if (o.Admin) o.Store.StartWriter = false;
        store = OpenScoreStore(o.Db, o.Store);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "spraydash-scores: cannot open the database: %s\n", e.what());
        return 1;
    }
    if (o.Admin) {
        try {
            return RunAdminCommand(*store, o.AdminWords, stdout, stderr);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "spraydash-scores admin: %s\n", e.what());
            return 1;
        }
    }

    std::string assetDir = o.AssetDir.empty() ? FindAssets() : o.AssetDir;
    TAssets assets = LoadAssets(assetDir);
    if (assets.empty())
        std::fprintf(stderr, "spraydash-scores: no page files in %s; pages show without pictures\n",
                     assetDir.c_str());
    TScoreService service(*store, o.Service, std::move(assets));
    THttpServer http(service, o.Http);
    if (!http.Start(error)) {
        std::fprintf(stderr, "spraydash-scores: %s\n", error.c_str());
        return 1;
    }
    if (!o.PortFile.empty() && !WritePortFile(o.PortFile, http.Port())) {
        std::fprintf(stderr, "spraydash-scores: cannot write %s\n", o.PortFile.c_str());
        return 1;
    }
    std::fprintf(stderr, "spraydash-scores: serving on port %u (listen %s, key %c, database %s)\n",
                 http.Port(), o.Http.Listen.c_str(), o.Service.Key,
                 IsPostgresUrl(o.Db) ? "PostgreSQL" : o.Db.c_str());

    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::fprintf(stderr, "spraydash-scores: stopping (finishing the requests in flight)\n");
    // Requests waiting for their commit are answered before the server stops.
    http.Stop(10000);
    store->Close();
    std::fflush(stdout);
    return 0;
}
