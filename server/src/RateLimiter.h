// Per-address token buckets: how many submissions an address may make per minute.
#pragma once
#include <array>
#include <mutex>
#include <string>
#include <unordered_map>

class TRateLimiter {
  public:
    // perMinute 0 switches the limit off; a full bucket holds perMinute tokens (the burst).
    explicit TRateLimiter(double perMinute) : PerMinute(perMinute) {}
    // Takes one token for address at time now (seconds). False when the bucket is empty;
    // retryAfterSeconds then says when the next token is there (at least 1).
    bool Take(const std::string& address, double now, int& retryAfterSeconds);

  private:
    struct TBucket {
        double Tokens = 0;
        double Updated = 0;
    };
    struct TShard {
        std::mutex Mutex;
        std::unordered_map<std::string, TBucket> Buckets;
    };
    double PerMinute;
    std::array<TShard, 16> Shards;
};
