#include "CommandLine.h"

#include <climits>

namespace {

bool Number(const std::string& text, long long min, long long max, long long& out) {
    if (text.empty() || text.size() > 12) return false;
    size_t used = 0;
    long long v = 0;
    try {
        v = std::stoll(text, &used);
    } catch (const std::exception&) {
        return false;
    }
    if (used != text.size() || v < min || v > max) return false;
    out = v;
    return true;
}

} // namespace

std::string UsageText() {
    return "usage: spraydash-scores [OPTION]...\n"
           "       spraydash-scores admin [--db DB] list [N] | hide ID | show ID | delete ID\n"
           "\n"
           "The Spray Dash world high-score service: takes the results the game sends, keeps them\n"
           "in SQLite or PostgreSQL, and serves the world high-score page and the game's site.\n"
           "\n"
           "  --listen ADDR:PORT          address to serve on (default 127.0.0.1:8077; [::]:80 for\n"
           "                              every address; port 0 picks a free port)\n"
           "  --port-file FILE            write the port actually bound to FILE\n"
           "  --db DB                     SQLite file (default scores.db) or postgresql://... URL\n"
           "  --key LETTER                key letter results must carry (default S)\n"
           "  --assets DIR                page files (default: server-assets beside the program,\n"
           "                              else /usr/share/spraydash-scores)\n"
           "  --trusted-proxy ADDR        take the client address from X-Forwarded-For on\n"
           "                              connections from ADDR (may be repeated)\n"
           "  --submits-per-minute N      results one address may send per minute (default 10;\n"
           "                              0 = no limit)\n"
           "  --max-connections N         open connections in all (default 2048)\n"
           "  --max-connections-per-address N\n"
           "                              open connections from one address (default 32; 0 = no cap)\n"
           "  --timeout SECONDS           close a connection idle or slow this long (default 10)\n"
           "  --max-head-bytes N          largest request line and headers (default 16384)\n"
           "  --threads N                 serving threads (default: one per processor)\n"
           "  --db-connections N          reading database connections (default 4)\n"
           "  --min-score N, --max-score N\n"
           "                              scores accepted (default -1000000 .. 100000000)\n"
           "  --max-info N                longest free text accepted (default 40)\n"
           "  --no-access-log             do not write the access log on stdout\n"
           "  --help                      show this text\n"
           "\n"
           "Rate limits and connection caps count per process. See docs/SERVER.md.\n";
}

bool ParseCommandLine(int argc, char** argv, TServerOptions& o, std::string& error) {
    int i = 1;
    if (argc > 1 && std::string(argv[1]) == "admin") {
        o.Admin = true;
        i = 2;
    }
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.Help = true;
            continue;
        }
        if (arg == "--no-access-log") {
            o.Http.AccessLog = nullptr;
            continue;
        }
        if (o.Admin && arg.rfind("--", 0) != 0) {
            o.AdminWords.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) {
            error = arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected argument '" + arg + "'";
            return false;
        }
        std::string v = argv[++i];
        long long n = 0;
        auto number = [&](long long min, long long max) {
            if (Number(v, min, max, n)) return true;
            error = arg + " wants a number from " + std::to_string(min) + " to " + std::to_string(max) +
                    ", not '" + v + "'";
            return false;
        };
        if (arg == "--listen")
            o.Http.Listen = v;
        else if (arg == "--port-file")
            o.PortFile = v;
        else if (arg == "--db")
            o.Db = v;
        else if (arg == "--assets")
            o.AssetDir = v;
        else if (arg == "--trusted-proxy")
            o.Http.TrustedProxies.push_back(v);
        else if (arg == "--key") {
            if (v.size() != 1 || v[0] < 'A' || v[0] > 'Z') {
                error = "--key wants one upper-case letter, not '" + v + "'";
                return false;
            }
            o.Service.Key = v[0];
        } else if (arg == "--submits-per-minute") {
            if (!number(0, 1000000)) return false;
            o.Service.SubmitsPerMinute = double(n);
        } else if (arg == "--max-connections") {
            if (!number(1, 1000000)) return false;
            o.Http.MaxConnections = unsigned(n);
        } else if (arg == "--max-connections-per-address") {
            if (!number(0, 1000000)) return false;
            o.Http.MaxConnectionsPerAddress = unsigned(n);
        } else if (arg == "--timeout") {
            if (!number(1, 3600)) return false;
            o.Http.TimeoutSeconds = unsigned(n);
        } else if (arg == "--max-head-bytes") {
            if (!number(1024, 1 << 20)) return false;
            o.Http.MaxHeadBytes = size_t(n);
        } else if (arg == "--threads") {
            if (!number(1, 256)) return false;
            o.Http.Threads = unsigned(n);
        } else if (arg == "--db-connections") {
            if (!number(1, 256)) return false;
            o.Store.PoolSize = int(n);
        } else if (arg == "--min-score") {
            if (!number(INT32_MIN, INT32_MAX)) return false;
            o.Service.MinScore = int32_t(n);
        } else if (arg == "--max-score") {
            if (!number(INT32_MIN, INT32_MAX)) return false;
            o.Service.MaxScore = int32_t(n);
        } else if (arg == "--max-info") {
            if (!number(0, 1000)) return false;
            o.Service.MaxInfoBytes = size_t(n);
        } else {
            error = "unknown option '" + arg + "' (see --help)";
            return false;
        }
    }
    if (o.Service.MinScore > o.Service.MaxScore) {
        error = "--min-score is above --max-score";
        return false;
    }
    return true;
}
