// The score service under load on loopback: the real spraydash-scores program on SQLite and on
// PostgreSQL (a throwaway cluster with fsync on), 64 keep-alive clients spread over 127.0.0.x,
// 10 s a run. Submissions are all distinct (none is a duplicate) and each 200 is a durable commit.
// Goals on a 2-core machine: >= 2000 submissions/s and >= 10000 page views/s with p99 <= 20 ms;
// 500 idle connections held open raise the p99 of page views to no more than 50 ms.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "records/ScoreServerProcess.h"
#include "resultcode/ResultCode.h"
#include "server/PostgresCluster.h"

namespace {

constexpr int kClients = 64;
constexpr double kRunSeconds = 10.0;

int Connect(int port, int sourceIndex) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    std::string source = "127.0.0." + std::to_string(2 + sourceIndex % 200);
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    return fd;
}

struct TClient {
    int Fd = -1;
    std::string In;
    double Sent = 0;
};

struct TRunResult {
    double PerSecond = 0, P50Ms = 0, P99Ms = 0;
    long Errors = 0;
};

// Keeps kClients requests in flight for kRunSeconds; next() gives each request's target.
TRunResult Drive(int port, const std::function<std::string()>& next) {
    int ep = epoll_create1(0);
    std::vector<TClient> clients(kClients);
    std::vector<double> latencies;
    latencies.reserve(400000);
    TRunResult result;
    auto send = [&](TClient& c) {
        std::string req = "GET " + next() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: bench\r\n\r\n";
        c.Sent = bench::Now();
        if (::send(c.Fd, req.data(), req.size(), MSG_NOSIGNAL) != ssize_t(req.size())) ++result.Errors;
    };
    for (int i = 0; i < kClients; ++i) {
        clients[size_t(i)].Fd = Connect(port, i);
        epoll_event ev{};
        ev.events = EPOLLOUT;
        ev.data.u32 = uint32_t(i);
        epoll_ctl(ep, EPOLL_CTL_ADD, clients[size_t(i)].Fd, &ev);
    }
    const double start = bench::Now(), end = start + kRunSeconds;
    epoll_event events[kClients];
    char buf[65536];
    while (bench::Now() < end) {
        int n = epoll_wait(ep, events, kClients, 100);
        for (int k = 0; k < n; ++k) {
            TClient& c = clients[events[k].data.u32];
            if (events[k].events & EPOLLOUT) {
                epoll_event ev{};
                ev.events = EPOLLIN;
                ev.data.u32 = events[k].data.u32;
                epoll_ctl(ep, EPOLL_CTL_MOD, c.Fd, &ev);
                send(c);
                continue;
            }
            ssize_t got = recv(c.Fd, buf, sizeof buf, 0);
            if (got <= 0) {
                ++result.Errors;
                epoll_ctl(ep, EPOLL_CTL_DEL, c.Fd, nullptr);
                continue;
            }
            c.In.append(buf, size_t(got));
            // One whole response: the head and Content-Length bytes.
            size_t head = c.In.find("\r\n\r\n");
            if (head == std::string::npos) continue;
            const char* cl = strcasestr(c.In.c_str(), "Content-Length:");
            size_t length = cl ? size_t(std::atol(cl + 15)) : 0;
            if (c.In.size() < head + 4 + length) continue;
            if (c.In.compare(9, 3, "200") != 0) ++result.Errors;
            c.In.erase(0, head + 4 + length);
            double now = bench::Now();
            latencies.push_back((now - c.Sent) * 1000.0);
            if (now < end) send(c);
        }
    }
    double took = bench::Now() - start;
    for (TClient& c : clients)
        close(c.Fd);
    close(ep);
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        result.PerSecond = double(latencies.size()) / took;
        result.P50Ms = latencies[latencies.size() / 2];
        result.P99Ms = latencies[latencies.size() * 99 / 100];
    }
    return result;
}

// Idle connections that stay open (each has sent nothing) from 127.0.0.2 .. 127.0.0.201.
std::vector<int> HoldIdle(int port, int count) {
    std::vector<int> fds;
    for (int i = 0; i < count; ++i)
        fds.push_back(Connect(port, i));
    return fds;
}

void Report(const std::string& engine, const std::string& what, const TRunResult& r,
            const std::string& rateGoal, const std::string& p99Goal) {
    bench::Row("scores " + engine + " " + what + "/s", r.PerSecond, "1/s", rateGoal);
    bench::Row("scores " + engine + " " + what + " p50", r.P50Ms, "ms", "");
    bench::Row("scores " + engine + " " + what + " p99", r.P99Ms, "ms", p99Goal);
    if (r.Errors) bench::Row("scores " + engine + " " + what + " errors", double(r.Errors), "count", "0");
}

void RunEngine(const std::string& engine, const std::string& db, const std::filesystem::path& dir) {
    ScoreServerProcess server(
        dir, {"--submits-per-minute", "0", "--max-connections-per-address", "0", "--timeout", "60"}, db);
    if (server.Port == 0) {
        std::fprintf(stderr, "bench_scores_service: %s server did not start\n%s", engine.c_str(),
                     server.Log().c_str());
        return;
    }
    long counter = 0;
    TRunResult submit = Drive(server.Port, [&] {
        long n = counter++;
        // Distinct names and scores: no two codes alike.
        std::string name = "B" + std::to_string(n % 1000000000);
        return "/cgi/version.pl?hs&prg=SprayDash&inf=" +
               BitsToBase32(ToBitString(BuildResultRecord(name, int32_t(n % 100000), "_______", 'S')));
    });
    Report(engine, "submit", submit, ">= 2000", "<= 20");
    const std::string world = "/cgi/version.pl?prg=SprayDash&show&type=0";
    TRunResult pages = Drive(server.Port, [&] { return world; });
    Report(engine, "page view", pages, ">= 10000", "<= 20");
    std::vector<int> idle = HoldIdle(server.Port, 500);
    TRunResult loaded = Drive(server.Port, [&] { return world; });
    bench::Row("scores " + engine + " page p99, 500 idle conns", loaded.P99Ms, "ms", "<= 50");
    bench::Row("scores " + engine + " page views/s, 500 idle conns", loaded.PerSecond, "1/s", "");
    for (int fd : idle)
        close(fd);
    int status = server.Terminate();
    if (status != 0 || submit.Errors || pages.Errors || loaded.Errors) {
        std::string log = server.Log();
        std::fprintf(stderr, "bench_scores_service: %s server exit status %d, log (last part):\n%s\n",
                     engine.c_str(), status, log.substr(log.size() > 4000 ? log.size() - 4000 : 0).c_str());
    }
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "spraydash-bench-scores";
    fs::remove_all(dir);
    fs::create_directories(dir / "sqlite");
    fs::create_directories(dir / "postgres");
    RunEngine("sqlite", (dir / "sqlite" / "scores.db").string(), dir / "sqlite");
    TPostgresCluster::Durable = true;
    if (TPostgresCluster* pg = TPostgresCluster::Shared())
        RunEngine("postgres", pg->NewDatabase(), dir / "postgres");
    else
        std::fprintf(stderr, "bench_scores_service: PostgreSQL skipped: %s\n",
                     TPostgresCluster::Why().c_str());
    fs::remove_all(dir);
    return 0;
}
