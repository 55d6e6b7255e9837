#include "Admin.h"

#include "Html.h"

#include <ctime>

namespace {
bool RowId(const std::string& text, int64_t& id) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    id = std::stoll(text);
    return true;
}
} // namespace

int RunAdminCommand(TScoreStore& store, const std::vector<std::string>& words, FILE* out, FILE* err) {
    const std::string verb = words.empty() ? "" : words[0];
    if (verb == "list" && words.size() <= 2) {
        int64_t n = 50;
        if (words.size() == 2 && (!RowId(words[1], n) || n < 1 || n > 1000000)) {
            std::fprintf(err, "spraydash-scores admin: list wants a count, not '%s'\n", words[1].c_str());
            return 2;
        }
        // id, received (UTC), score, name, info, address, and "hidden" for hidden rows; tab separated.
        std::fprintf(out, "id\treceived\tscore\tname\tinfo\taddress\tstate\n");
        for (const TStoredRow& r : store.Latest(int(n))) {
            char when[32];
            std::time_t t = std::time_t(r.Received);
            std::tm tm{};
            gmtime_r(&t, &tm);
            std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
            std::fprintf(out, "%lld\t%s\t%d\t%s\t%s\t%s\t%s\n", static_cast<long long>(r.Id), when, r.Score,
                         Latin1ToUtf8(r.Name).c_str(), Latin1ToUtf8(r.AddInfo).c_str(), r.Address.c_str(),
                         r.Hidden ? "hidden" : "shown");
        }
        return 0;
    }
    int64_t id = 0;
    if ((verb == "hide" || verb == "show" || verb == "delete") && words.size() == 2 && RowId(words[1], id)) {
        bool found = verb == "delete" ? store.Delete(id) : store.SetHidden(id, verb == "hide");
        if (!found) {
            std::fprintf(err, "spraydash-scores admin: no row %lld\n", static_cast<long long>(id));
            return 1;
        }
        std::fprintf(out, "%s %lld\n",
                     verb == "delete" ? "deleted"
                     : verb == "hide" ? "hidden"
                                      : "shown",
                     static_cast<long long>(id));
        return 0;
    }
    std::fprintf(err, "spraydash-scores admin: expected list [N], hide ID, show ID or delete ID\n");
    return 2;
}
