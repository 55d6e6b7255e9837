// What the service answers, independent of the HTTP library: submissions, the world page, the
// site, the page files and the health check, with validation, rate limits and the page cache.
#pragma once
#include "Assets.h"
#include "Pages.h"
#include "RateLimiter.h"
#include "ScoreStore.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct TServiceSettings {
    char Key = 'S';               // the key letter results must carry
    double SubmitsPerMinute = 10; // per client address; 0 = no limit
    int32_t MinScore = -1000000;  // results outside [MinScore, MaxScore] are refused
    int32_t MaxScore = 100000000;
    size_t MaxInfoBytes = 40; // the free text's length cap
};

// One request as the HTTP layer hands it over.
struct TServiceRequest {
    std::string Method = "GET"; // GET or HEAD
    std::string Path;           // without the query
    // Query items in order; a key without "=" has no value.
    std::vector<std::pair<std::string, std::optional<std::string>>> Query;
    std::string Client; // the address rate limits count against
    std::string IfNoneMatch, IfModifiedSince;
    double Now = 0; // seconds since 1970
};

struct TServiceAnswer {
    int Status = 200;
    std::string ContentType = "text/plain; charset=utf-8";
    std::shared_ptr<const std::string> Body;
    std::vector<std::pair<std::string, std::string>> Headers;
};

class TScoreService {
  public:
    TScoreService(TScoreStore& store, TServiceSettings settings, TAssets assets);
    // Answers request through reply: at once, or (submissions) from the writer's thread after
    // the commit.
    void Handle(const TServiceRequest& request, std::function<void(TServiceAnswer)> reply);

  private:
    struct TCached {
        uint64_t Mark = 0;
        int64_t Built = 0;
        std::shared_ptr<const std::string> Body;
        std::string ETag, LastModified;
    };
    void Submit(const TServiceRequest& request, const std::string& code,
                std::function<void(TServiceAnswer)> reply);
    TServiceAnswer Page(const TServiceRequest& request, const std::string& cacheKey, int64_t maxAge,
                        const std::function<std::string()>& render);
    TServiceAnswer World(const TServiceRequest& request);

    TScoreStore& Store;
    TServiceSettings Settings;
    TAssets Assets;
    TRateLimiter Limiter;
    std::mutex CacheMutex;
    std::map<std::string, TCached> Cache;
};

// A plain-text answer with a one-line reason.
TServiceAnswer TextAnswer(int status, const std::string& line);
// The rate limit's bucket of a client address: the address itself, or its /64 for IPv6.
std::string RateLimitKey(const std::string& client);
// Checks a decoded result against the service's rules; empty when it is fine, else the reason.
std::string CheckResult(const TSubmittedResult& r, const TServiceSettings& settings);
