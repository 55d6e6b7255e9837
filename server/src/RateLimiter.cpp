#include "RateLimiter.h"

#include <cmath>
#include <functional>

namespace {
// A shard with more addresses than this forgets the ones whose buckets have filled up again.
constexpr size_t kShardAddresses = 4096;
} // namespace

bool TRateLimiter::Take(const std::string& address, double now, int& retryAfterSeconds) {
    if (PerMinute <= 0) return true;
    const double perSecond = PerMinute / 60.0;
    TShard& shard = Shards[std::hash<std::string>{}(address) % Shards.size()];
    std::lock_guard<std::mutex> lock(shard.Mutex);
    if (shard.Buckets.size() > kShardAddresses) {
        for (auto it = shard.Buckets.begin(); it != shard.Buckets.end();) {
            if (it->second.Tokens + (now - it->second.Updated) * perSecond >= PerMinute)
                it = shard.Buckets.erase(it);
            else
                ++it;
        }
    }
    auto [it, isNew] = shard.Buckets.try_emplace(address, TBucket{PerMinute, now});
    TBucket& b = it->second;
    if (!isNew && now > b.Updated) {
        b.Tokens = std::min(PerMinute, b.Tokens + (now - b.Updated) * perSecond);
        b.Updated = now;
    }
    if (b.Tokens >= 1.0) {
        b.Tokens -= 1.0;
        return true;
    }
    retryAfterSeconds = std::max(1, int(std::ceil((1.0 - b.Tokens) / perSecond)));
    return false;
}
