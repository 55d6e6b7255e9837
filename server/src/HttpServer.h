// The service on the network through libmicrohttpd: a thread pool on epoll, connection caps
// (in all and per address), time-outs for slow clients, a size limit on the request head, the
// access log, and a graceful stop.
#pragma once
#include "ScoreService.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

struct MHD_Daemon;

struct THttpSettings {
    std::string Listen = "127.0.0.1:8077"; // ADDR:PORT, [IPv6]:PORT; port 0 picks a free one
    unsigned Threads = 0;                  // 0: one per processor
    unsigned MaxConnections = 2048;
    unsigned MaxConnectionsPerAddress = 32;  // 0: no cap
    unsigned TimeoutSeconds = 10;            // an idle or slow connection is closed after this
    size_t MaxHeadBytes = 16384;             // the request line and headers together
    std::vector<std::string> TrustedProxies; // only from these is X-Forwarded-For believed
    FILE* AccessLog = stdout;                // nullptr: no log
};

class THttpServer {
  public:
    THttpServer(TScoreService& service, THttpSettings settings);
    ~THttpServer();
    THttpServer(const THttpServer&) = delete;
    THttpServer& operator=(const THttpServer&) = delete;
    // Binds and starts serving; false with a reason.
    bool Start(std::string& error);
    // The port actually bound.
    uint16_t Port() const { return BoundPort; }
    // Stops accepting, lets the requests in flight finish (at most waitMs), then stops.
    void Stop(int waitMs = 10000);

    // Per-request state (public for the library's C callbacks).
    struct TContext;
    TScoreService& Service;
    THttpSettings Settings;
    std::atomic<int> InFlight{0};

  private:
    MHD_Daemon* Daemon = nullptr;
    uint16_t BoundPort = 0;
};

// Splits "host:port" or "[v6]:port"; false when it is neither.
bool SplitListenAddress(const std::string& text, std::string& host, uint16_t& port);
