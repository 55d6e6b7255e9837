// A throwaway PostgreSQL cluster for the tests: initdb in a temporary folder owned by the
// postgres user (initdb refuses to run as root), a server on a free loopback port, a fresh
// database per test, and everything stopped and removed at the end, failures included.
#pragma once
#include <libpq-fe.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

class TPostgresCluster {
  public:
    // The cluster of this test program, started on first use; nullptr (with Why()) when the
    // PostgreSQL server programs are not installed or do not start.
    static TPostgresCluster* Shared() {
        static std::unique_ptr<TPostgresCluster> cluster = [] {
            auto c = std::unique_ptr<TPostgresCluster>(new TPostgresCluster);
            if (!c->Ok) {
                WhyText() = c->Reason;
                c.reset();
            }
            return c;
        }();
        return cluster.get();
    }
    static std::string Why() { return WhyText(); }

    ~TPostgresCluster() {
        Stop();
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }

    // A new empty database, as a postgresql:// URL.
    std::string NewDatabase() {
        std::string name = "t" + std::to_string(++Databases);
        PGconn* c = PQconnectdb(AdminUrl().c_str());
        PGresult* r = PQexec(c, ("CREATE DATABASE " + name).c_str());
        PQclear(r);
        PQfinish(c);
        return "postgresql://postgres@127.0.0.1:" + std::to_string(Port) + "/" + name;
    }
    // Runs one statement on a database URL; returns the first value of the first row.
    static std::string Query(const std::string& url, const std::string& sql) {
        PGconn* c = PQconnectdb(url.c_str());
        PGresult* r = PQexec(c, sql.c_str());
        std::string v = PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
        PQclear(r);
        PQfinish(c);
        return v;
    }
    // Stops the server (fast shutdown) and starts it again on the same port.
    bool Stop() {
        if (!Running) return true;
        if (!Run(Bin + "/pg_ctl -D " + Data() + " -m fast -w stop")) return false;
        Running = false;
        return true;
    }
    bool Start() {
        if (Running) return true;
        Running =
            Run(Bin + "/pg_ctl -D " + Data() + " -l " + Dir + "/log -w -t 30 -o \"-k " + Dir + " -p " +
                std::to_string(Port) + " -c listen_addresses=127.0.0.1 -c fsync=" + (Durable ? "on" : "off") +
                " -c max_connections=200\" start");
        return Running;
    }
    int Port = 0;
    // Tests run the cluster without fsync (they kill our server, never PostgreSQL); the
    // benchmark sets this before Shared() so every commit really reaches the disk.
    static inline bool Durable = false;

  private:
    TPostgresCluster() {
        Bin = FindBin();
        if (Bin.empty()) {
            Reason = "PostgreSQL server programs not found (install the postgresql package)";
            return;
        }
        RemoveStale();
        char tmpl[] = "/tmp/spraydash-pg-XXXXXX";
        if (!mkdtemp(tmpl)) return;
        Dir = tmpl;
        if (geteuid() == 0) {
            passwd* pw = getpwnam("postgres");
            if (!pw) {
                Reason = "no postgres user";
                return;
            }
            if (chown(Dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) return;
            AsUser = "runuser -u postgres -- ";
        }
        Port = FreePort();
        if (!Run(Bin + "/initdb -D " + Data() + " -A trust -U postgres -E UTF8 --no-sync > " + Dir +
                 "/initdb.log 2>&1")) {
            Reason = "initdb failed (see " + Dir + "/initdb.log)";
            return;
        }
        Ok = Start();
        if (!Ok) Reason = "the PostgreSQL server did not start (see " + Dir + "/log)";
    }
    static std::string& WhyText() {
        static std::string why;
        return why;
    }
    std::string Data() const { return Dir + "/data"; }
    std::string AdminUrl() const {
        return "postgresql://postgres@127.0.0.1:" + std::to_string(Port) + "/postgres";
    }
    bool Run(const std::string& command) {
        std::string line = "cd / && " + AsUser + command +
                           (command.find('>') == std::string::npos ? " > /dev/null 2>&1" : "");
        return std::system(line.c_str()) == 0;
    }
    static std::string FindBin() {
        std::string bin;
        if (FILE* p = popen("pg_config --bindir 2>/dev/null", "r")) {
            char buf[512] = "";
            if (fgets(buf, sizeof buf, p)) bin = buf;
            pclose(p);
            while (!bin.empty() && (bin.back() == '\n' || bin.back() == '\r'))
                bin.pop_back();
        }
        if (!bin.empty() && std::filesystem::exists(bin + "/initdb")) return bin;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec))
            if (std::filesystem::exists(e.path() / "bin" / "initdb")) return (e.path() / "bin").string();
        return {};
    }
    static int FreePort() {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        close(fd);
        return ntohs(a.sin_port);
    }
    // Clusters left behind by a test program that was killed: stopped and removed.
    void RemoveStale() {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator("/tmp", ec)) {
            std::string name = e.path().filename().string();
            if (name.rfind("spraydash-pg-", 0) != 0) continue;
            // Other test programs run at the same time: only folders far older than any test run.
            auto age = std::filesystem::file_time_type::clock::now() -
                       std::filesystem::last_write_time(e.path(), ec);
            if (ec || age < std::chrono::minutes(30)) continue;
            std::ifstream pidFile(e.path() / "data" / "postmaster.pid");
            long pid = 0;
            if (pidFile >> pid && pid > 0 && kill(pid_t(pid), 0) == 0) {
                std::string as = geteuid() == 0 ? "runuser -u postgres -- " : "";
                std::system(("cd / && " + as + Bin + "/pg_ctl -D " + (e.path() / "data").string() +
                             " -m immediate stop > /dev/null 2>&1")
                                .c_str());
            }
            std::filesystem::remove_all(e.path(), ec);
        }
    }

    std::string Bin, Dir, AsUser, Reason;
    bool Ok = false, Running = false;
    int Databases = 0;
};
