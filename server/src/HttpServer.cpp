#include "HttpServer.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string AddressText(const sockaddr* sa) {
    char buf[INET6_ADDRSTRLEN] = "";
    if (!sa) return "-";
    if (sa->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, buf, sizeof buf);
    else if (sa->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr, buf, sizeof buf);
    std::string s = buf;
    // An IPv4 client on a dual-stack socket counts as its IPv4 address.
    if (s.rfind("::ffff:", 0) == 0 && s.find('.') != std::string::npos) s = s.substr(7);
    return s.empty() ? "-" : s;
}

bool IsAddress(const std::string& s) {
    unsigned char buf[sizeof(in6_addr)];
    return inet_pton(AF_INET, s.c_str(), buf) == 1 || inet_pton(AF_INET6, s.c_str(), buf) == 1;
}

// Client bytes written into the log line: printable ASCII, everything else as \xNN.
std::string LogSafe(const std::string& s) {
    std::string out;
    static const char* hex = "0123456789abcdef";
    for (char ch : s) {
        unsigned c = static_cast<unsigned char>(ch);
        if (c < 32 || c >= 127 || c == '"' || c == '\\') {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

MHD_Result CollectQuery(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* query = static_cast<std::vector<std::pair<std::string, std::optional<std::string>>>*>(cls);
    query->push_back({key ? key : "", value ? std::optional<std::string>(value) : std::nullopt});
    return MHD_YES;
}

std::string Header(MHD_Connection* c, const char* name) {
    const char* v = MHD_lookup_connection_value(c, MHD_HEADER_KIND, name);
    return v ? v : "";
}

} // namespace

struct THttpServer::TContext {
    std::chrono::steady_clock::time_point Started = std::chrono::steady_clock::now();
    std::string Method, Target, Client;
    std::mutex Mutex;
    enum class TState { Fresh, Waiting, Suspended, Ready } State = TState::Fresh;
    TServiceAnswer Answer;
    bool Queued = false;
    int Status = 0;
    size_t Bytes = 0;
};

namespace {

MHD_Result Queue(MHD_Connection* c, THttpServer::TContext& ctx, TServiceAnswer answer) {
    // The library sends straight from the body's bytes, so the context keeps them until the end.
    if (&answer != &ctx.Answer) ctx.Answer = std::move(answer);
    const TServiceAnswer& a = ctx.Answer;
    const std::string* body = a.Body.get();
    MHD_Response* resp = MHD_create_response_from_buffer(
        body ? body->size() : 0, body ? const_cast<char*>(body->data()) : nullptr, MHD_RESPMEM_PERSISTENT);
    if (!resp) return MHD_NO;
    MHD_add_response_header(resp, MHD_HTTP_HEADER_CONTENT_TYPE, a.ContentType.c_str());
    for (const auto& [name, value] : a.Headers)
        MHD_add_response_header(resp, name.c_str(), value.c_str());
    MHD_add_response_header(resp, "X-Content-Type-Options", "nosniff");
    ctx.Status = a.Status;
    ctx.Bytes = ctx.Method == "HEAD" ? 0 : (body ? body->size() : 0);
    ctx.Queued = true;
    MHD_Result r = MHD_queue_response(c, unsigned(a.Status), resp);
    MHD_destroy_response(resp);
    return r;
}

MHD_Result OnRequest(void* cls, MHD_Connection* c, const char* url, const char* method, const char*,
                     const char*, size_t* uploadSize, void** conCls) {
    auto* server = static_cast<THttpServer*>(cls);
    auto* ctx = static_cast<THttpServer::TContext*>(*conCls);
    if (!ctx) {
        ctx = new THttpServer::TContext;
        *conCls = ctx;
        server->InFlight.fetch_add(1);
        ctx->Method = method;
        const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        std::string peer = AddressText(info ? info->client_addr : nullptr);
        ctx->Client = peer;
        for (const std::string& proxy : server->Settings.TrustedProxies)
            if (peer == proxy) {
                // The proxy appends the address it saw: the last item is the one it vouches for.
                std::string forwarded = Header(c, "X-Forwarded-For");
                size_t comma = forwarded.rfind(',');
                std::string last = comma == std::string::npos ? forwarded : forwarded.substr(comma + 1);
                size_t from = last.find_first_not_of(" \t"), to = last.find_last_not_of(" \t");
                last = from == std::string::npos ? std::string() : last.substr(from, to - from + 1);
                if (IsAddress(last)) ctx->Client = last;
            }
        // Only GET and HEAD are served: anything else is refused before its body is read.
        if (ctx->Method != "GET" && ctx->Method != "HEAD") {
            ctx->Target = url ? url : "";
            TServiceAnswer a = TextAnswer(405, "only GET and HEAD are served");
            a.Headers.push_back({"Allow", "GET, HEAD"});
            return Queue(c, *ctx, a);
        }
        // The head is in; answering on the next call lets the library keep the connection alive.
        return MHD_YES;
    }
    if (ctx->State == THttpServer::TContext::TState::Ready) return Queue(c, *ctx, ctx->Answer);
    if (*uploadSize != 0) {
        *uploadSize = 0; // a GET with a body: the body is skipped
        return MHD_YES;
    }

    TServiceRequest request;
    request.Method = method;
    request.Path = url ? url : "";
    MHD_get_connection_values(c, MHD_GET_ARGUMENT_KIND, CollectQuery, &request.Query);
    ctx->Target = request.Path;
    for (size_t i = 0; i < request.Query.size(); ++i) {
        ctx->Target += i == 0 ? "?" : "&";
        ctx->Target += request.Query[i].first;
        if (request.Query[i].second) ctx->Target += "=" + *request.Query[i].second;
    }
    request.Client = ctx->Client;
    request.IfNoneMatch = Header(c, MHD_HTTP_HEADER_IF_NONE_MATCH);
    request.IfModifiedSince = Header(c, MHD_HTTP_HEADER_IF_MODIFIED_SINCE);
    request.Now = NowSeconds();

    ctx->State = THttpServer::TContext::TState::Waiting;
    server->Service.Handle(request, [ctx, c](TServiceAnswer answer) {
        bool suspended = false;
        {
            std::lock_guard<std::mutex> lock(ctx->Mutex);
            suspended = ctx->State == THttpServer::TContext::TState::Suspended;
            ctx->Answer = std::move(answer);
            ctx->State = THttpServer::TContext::TState::Ready;
        }
        // Resumed only after the lock is let go and ctx no longer touched here: once resumed, the
        // library may finish the request and free ctx on its own thread at once.
        if (suspended) MHD_resume_connection(c);
    });
    std::lock_guard<std::mutex> lock(ctx->Mutex);
    if (ctx->State == THttpServer::TContext::TState::Ready) return Queue(c, *ctx, ctx->Answer);
    // The answer comes after the group commit; the thread serves other connections meanwhile.
    ctx->State = THttpServer::TContext::TState::Suspended;
    MHD_suspend_connection(c);
    return MHD_YES;
}

void OnCompleted(void* cls, MHD_Connection*, void** conCls, MHD_RequestTerminationCode toe) {
    auto* server = static_cast<THttpServer*>(cls);
    auto* ctx = static_cast<THttpServer::TContext*>(*conCls);
    if (!ctx) return;
    *conCls = nullptr;
    if (server->Settings.AccessLog) {
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - ctx->Started)
                        .count();
        char when[32];
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        gmtime_r(&t, &tm);
        std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
        char took[32];
        std::snprintf(took, sizeof took, "%.2fms", ms);
        // time, client, "method target", status (0: none sent), body bytes, duration
        std::string line = std::string(when) + " " + ctx->Client + " \"" + LogSafe(ctx->Method) + " " +
                           LogSafe(ctx->Target) + "\" " + std::to_string(ctx->Queued ? ctx->Status : 0) +
                           " " + std::to_string(ctx->Bytes) + " " + took +
                           (toe == MHD_REQUEST_TERMINATED_COMPLETED_OK ? "" : " aborted") + "\n";
        std::fwrite(line.data(), 1, line.size(), server->Settings.AccessLog);
    }
    delete ctx;
    server->InFlight.fetch_sub(1);
}

} // namespace

bool SplitListenAddress(const std::string& text, std::string& host, uint16_t& port) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 >= text.size()) return false;
    host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    std::string p = text.substr(colon + 1);
    if (p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) return false;
    unsigned long v = std::stoul(p);
    if (v > 65535) return false;
    port = uint16_t(v);
    return IsAddress(host);
}

THttpServer::THttpServer(TScoreService& service, THttpSettings settings)
    : Service(service), Settings(std::move(settings)) {}

THttpServer::~THttpServer() {
    Stop(0);
}

bool THttpServer::Start(std::string& error) {
    std::string host;
    uint16_t port = 0;
    if (!SplitListenAddress(Settings.Listen, host, port)) {
        error = "cannot listen on '" + Settings.Listen +
                "': expected ADDRESS:PORT, e.g. 127.0.0.1:8077 or [::]:8077";
        return false;
    }
    sockaddr_storage addr{};
    unsigned flags =
        MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ITC | MHD_USE_ERROR_LOG;
    if (host.find(':') != std::string::npos) {
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&addr);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(port);
        inet_pton(AF_INET6, host.c_str(), &a6->sin6_addr);
        flags |= MHD_USE_IPv6;
    } else {
        auto* a4 = reinterpret_cast<sockaddr_in*>(&addr);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(port);
        inet_pton(AF_INET, host.c_str(), &a4->sin_addr);
    }
    unsigned threads =
        Settings.Threads ? Settings.Threads : std::max(1u, std::thread::hardware_concurrency());
    Daemon = MHD_start_daemon(flags, port, nullptr, nullptr, &OnRequest, this, MHD_OPTION_SOCK_ADDR,
                              reinterpret_cast<sockaddr*>(&addr), MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted,
                              this, MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_LIMIT,
                              Settings.MaxConnections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
                              Settings.MaxConnectionsPerAddress, MHD_OPTION_CONNECTION_TIMEOUT,
                              Settings.TimeoutSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT,
                              Settings.MaxHeadBytes, MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u, MHD_OPTION_END);
    if (!Daemon) {
        error = "cannot listen on " + Settings.Listen + ": " + std::strerror(errno);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(Daemon, MHD_DAEMON_INFO_LISTEN_FD);
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    if (info && getsockname(info->listen_fd, reinterpret_cast<sockaddr*>(&bound), &len) == 0)
        BoundPort = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                                      : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return true;
}

void THttpServer::Stop(int waitMs) {
    if (!Daemon) return;
    MHD_socket listener = MHD_quiesce_daemon(Daemon);
    if (listener != MHD_INVALID_SOCKET) close(listener);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (InFlight.load() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    MHD_stop_daemon(Daemon);
    Daemon = nullptr;
}
