#include "ScoreService.h"

#include "Html.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cmath>
#include <cstring>

namespace {

// Looks up a query key; found is false when it is absent.
const std::optional<std::string>* FindKey(const TServiceRequest& r, const std::string& key) {
    for (const auto& item : r.Query)
        if (item.first == key) return &item.second;
    return nullptr;
}
bool HasKey(const TServiceRequest& r, const std::string& key) {
    return FindKey(r, key) != nullptr;
}
std::string ValueOf(const TServiceRequest& r, const std::string& key) {
    const std::optional<std::string>* v = FindKey(r, key);
    return v && *v ? **v : std::string();
}

// A small decimal from a query value; false when it is not one.
bool SmallNumber(const std::string& text, int max, int& out) {
    if (text.empty() || text.size() > 6) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > max) return false;
    out = v;
    return true;
}

TServiceAnswer Unavailable(const std::string& why) {
    TServiceAnswer a = TextAnswer(503, "the score database is not reachable, try again soon (" + why + ")");
    a.Headers.push_back({"Retry-After", "5"});
    return a;
}

} // namespace

TServiceAnswer TextAnswer(int status, const std::string& line) {
    TServiceAnswer a;
    a.Status = status;
    a.Body = std::make_shared<const std::string>(line + "\n");
    a.Headers.push_back({"Cache-Control", "no-store"});
    return a;
}

std::string CheckResult(const TSubmittedResult& r, const TServiceSettings& s) {
    if (r.Type != 0) return "unknown result type " + std::to_string(r.Type);
    // The enter-name dialog takes at most 10 characters, each of code 32 or above.
    if (r.Name.size() > 10) return "name longer than 10 characters";
    for (char c : r.Name)
        if (static_cast<unsigned char>(c) < 32) return "control character in the name";
    if (r.AddInfo.size() > s.MaxInfoBytes)
        return "info text longer than " + std::to_string(s.MaxInfoBytes) + " characters";
    for (char c : r.AddInfo)
        if (static_cast<unsigned char>(c) < 32) return "control character in the info text";
    if (r.Score < s.MinScore || r.Score > s.MaxScore)
        return "score outside " + std::to_string(s.MinScore) + ".." + std::to_string(s.MaxScore);
    return {};
}

TScoreService::TScoreService(TScoreStore& store, TServiceSettings settings, TAssets assets)
    : Store(store), Settings(settings), Assets(std::move(assets)), Limiter(settings.SubmitsPerMinute) {}

void TScoreService::Handle(const TServiceRequest& r, std::function<void(TServiceAnswer)> reply) {
    try {
        if (r.Path == "/" || r.Path.empty()) {
            reply(Page(r, "site", 0, [this] { return RenderSitePage(Store.Top(0, INT64_MIN, 0, 5)); }));
            return;
        }
        if (r.Path == "/healthz") {
            reply(Store.Healthy() ? TextAnswer(200, "ok") : Unavailable("health check failed"));
            return;
        }
        if (r.Path.rfind("/static/", 0) == 0) {
            auto it = Assets.find(r.Path.substr(8));
            if (it == Assets.end()) {
                reply(TextAnswer(404, "no such file"));
                return;
            }
            TServiceAnswer a;
            a.ContentType = it->second.ContentType;
            a.Headers.push_back({"ETag", it->second.ETag});
            a.Headers.push_back({"Cache-Control", "public, max-age=86400"});
            if (r.IfNoneMatch == it->second.ETag)
                a.Status = 304;
            else
                a.Body = it->second.Body;
            reply(std::move(a));
            return;
        }
        if (r.Path != "/cgi/version.pl") {
            TServiceAnswer a;
            a.Status = 404;
            a.ContentType = "text/html; charset=utf-8";
            a.Body = std::make_shared<const std::string>(RenderNotFoundPage());
            reply(std::move(a));
            return;
        }
        if (ValueOf(r, "prg") != "SprayDash") {
            reply(TextAnswer(404, "unknown game"));
            return;
        }
        if (HasKey(r, "show")) {
            reply(World(r));
            return;
        }
        if (!HasKey(r, "hs")) {
            reply(TextAnswer(400, "nothing to do: neither hs nor show"));
            return;
        }
        Submit(r, ValueOf(r, "inf"), std::move(reply));
    } catch (const EStoreUnavailable& e) {
        reply(Unavailable(e.what()));
    } catch (const std::exception& e) {
        reply(TextAnswer(500, std::string("internal error: ") + e.what()));
    }
}

std::string RateLimitKey(const std::string& client) {
    // One IPv6 household or server gets a whole /64 to pick addresses from: it counts as one.
    in6_addr a6{};
    if (client.find(':') == std::string::npos || inet_pton(AF_INET6, client.c_str(), &a6) != 1) return client;
    std::memset(a6.s6_addr + 8, 0, 8);
    char text[INET6_ADDRSTRLEN] = "";
    inet_ntop(AF_INET6, &a6, text, sizeof text);
    return std::string(text) + "/64";
}

void TScoreService::Submit(const TServiceRequest& r, const std::string& code,
                           std::function<void(TServiceAnswer)> reply) {
    int retryAfter = 0;
    if (!Limiter.Take(RateLimitKey(r.Client), r.Now, retryAfter)) {
        TServiceAnswer a = TextAnswer(429, "too many results from your address; try again in " +
                                               std::to_string(retryAfter) + " s");
        a.Headers.push_back({"Retry-After", std::to_string(retryAfter)});
        reply(std::move(a));
        return;
    }
    // A code longer than any record the game can make is refused before it is decoded.
    if (code.size() > 400) {
        reply(TextAnswer(400, "result code too long"));
        return;
    }
    std::string record, error;
    TSubmittedResult result;
    if (code.empty() || !DecodeResultCode(code, record)) {
        reply(TextAnswer(400, "the result code does not decode"));
        return;
    }
    if (!ParseResultRecord(record, result, error)) {
        reply(TextAnswer(400, "bad result record: " + error));
        return;
    }
    if (result.Key != Settings.Key) {
        reply(TextAnswer(403, "wrong key"));
        return;
    }
    std::string refused = CheckResult(result, Settings);
    if (!refused.empty()) {
        reply(TextAnswer(400, "refused: " + refused));
        return;
    }
    TNewResult row{result, code, r.Client, int64_t(std::floor(r.Now))};
    Store.AddAsync(std::move(row), [reply = std::move(reply)](const TAddResult& done) {
        switch (done.Outcome) {
        case TAddOutcome::Stored:
            reply(TextAnswer(200, "result stored"));
            break;
        case TAddOutcome::Duplicate:
            reply(TextAnswer(200, "result already stored"));
            break;
        case TAddOutcome::Unavailable:
            reply(Unavailable(done.Error));
            break;
        }
    });
}

TServiceAnswer TScoreService::World(const TServiceRequest& r) {
    int type = 0, page = 1;
    TPeriod period = TPeriod::AllTime;
    // Only type 0 is ever stored, so other types have no table (and no cached pages to fill memory).
    if (HasKey(r, "type") && !SmallNumber(ValueOf(r, "type"), 0, type))
        return TextAnswer(404, "unknown result type");
    if (HasKey(r, "page") && (!SmallNumber(ValueOf(r, "page"), kMaxPages, page) || page < 1))
        return TextAnswer(400, "bad page (1.." + std::to_string(kMaxPages) + ")");
    if (HasKey(r, "period") && !PeriodFromKey(ValueOf(r, "period"), period))
        return TextAnswer(400, "bad period (day, week or all)");
    std::string key = "world/" + std::to_string(type) + "/" + PeriodKey(period) + "/" + std::to_string(page);
    // Today and this week slide with the clock, so their pages are rebuilt at least every minute.
    int64_t maxAge = period == TPeriod::AllTime ? 0 : 60;
    return Page(r, key, maxAge, [this, type, period, page, now = int64_t(r.Now)] {
        TWorldView v;
        v.Type = type;
        v.Period = period;
        v.Page = page;
        int64_t since = PeriodStart(period, now);
        v.Total = Store.Count(type, since);
        v.Rows = Store.Top(type, since, (page - 1) * kRowsPerPage, kRowsPerPage);
        return RenderWorldPage(v);
    });
}

TServiceAnswer TScoreService::Page(const TServiceRequest& r, const std::string& key, int64_t maxAge,
                                   const std::function<std::string()>& render) {
    // The mark is read before the rows: a row stored meanwhile makes the next request build again.
    uint64_t mark = Store.ChangeMark();
    int64_t now = int64_t(r.Now);
    TCached entry;
    bool hit = false;
    {
        std::lock_guard<std::mutex> lock(CacheMutex);
        auto it = Cache.find(key);
        if (it != Cache.end() && it->second.Mark == mark &&
            (maxAge == 0 || now - it->second.Built < maxAge)) {
            entry = it->second;
            hit = true;
        }
    }
    if (!hit) {
        entry.Mark = mark;
        entry.Built = now;
        entry.Body = std::make_shared<const std::string>(render());
        entry.ETag = EntityTag(*entry.Body);
        entry.LastModified = HttpDate(now);
        std::lock_guard<std::mutex> lock(CacheMutex);
        // A page built again with the same content keeps its date, so browsers' copies stay good.
        auto it = Cache.find(key);
        if (it != Cache.end() && it->second.ETag == entry.ETag) entry.LastModified = it->second.LastModified;
        Cache[key] = entry;
    }
    TServiceAnswer a;
    a.ContentType = "text/html; charset=utf-8";
    a.Headers.push_back({"ETag", entry.ETag});
    a.Headers.push_back({"Last-Modified", entry.LastModified});
    a.Headers.push_back({"Cache-Control", "no-cache"});
    bool fresh =
        !r.IfNoneMatch.empty() ? r.IfNoneMatch == entry.ETag : r.IfModifiedSince == entry.LastModified;
    if (fresh)
        a.Status = 304;
    else
        a.Body = entry.Body;
    return a;
}
