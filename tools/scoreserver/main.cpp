// The reference score server: takes the results the game sends, keeps them in SQLite and shows
// the world high-score page. Listens on 127.0.0.1 only; one request per connection.
//
//   scoreserver [--port N] [--db FILE] [--key LETTER] [--port-file FILE] [--idle-exit SECONDS]
#include "ScoreService.h"
#include "platform/Net.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

volatile std::sig_atomic_t StopRequested = 0;

void OnSignal(int) { StopRequested = 1; }

// Longest request head accepted, and how long a client may take to send it.
constexpr size_t kMaxHead = 65536;
constexpr int kRequestMs = 5000;

// Reads the request head; empty when the client sent nothing usable in time.
std::string ReadHead(platform::TTcpSocket& s) {
    std::string head;
    char buf[4096];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestMs);
    while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || head.size() > kMaxHead || StopRequested) return {};
        std::string error;
        int n = s.Receive(buf, sizeof buf, int(left.count()), error);
        if (n <= 0) return {};
        head.append(buf, size_t(n));
    }
    return head;
}

void Answer(platform::TTcpSocket& s, const TServiceAnswer& a, bool withBody) {
    std::string out = "HTTP/1.1 " + std::to_string(a.Status) + " " + a.Reason + "\r\n";
    out += "Content-Type: " + a.ContentType + "\r\n";
    out += "Content-Length: " + std::to_string(a.Body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    if (withBody) out += a.Body;
    std::string error;
    s.SendAll(out, kRequestMs, error);
}

void Serve(platform::TTcpSocket& s, TScoreStore& store, char key) {
    std::string head = ReadHead(s);
    if (head.empty()) return;
    std::string line = head.substr(0, head.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t a = line.find(' '), b = line.rfind(' ');
    if (a == std::string::npos || b == a) {
        Answer(s, {400, "Bad Request", "text/plain", "Bad request line\n"}, true);
        return;
    }
    std::string method = line.substr(0, a), target = line.substr(a + 1, b - a - 1);
    if (method != "GET" && method != "HEAD") {
        Answer(s, {405, "Method Not Allowed", "text/plain", "GET only\n"}, true);
        return;
    }
    TServiceAnswer answer = AnswerRequest(target, store, key);
    std::fprintf(stderr, "%s %s -> %d\n", method.c_str(), target.c_str(), answer.Status);
    Answer(s, answer, method == "GET");
}

int Usage() {
    std::fprintf(stderr,
                 "usage: scoreserver [--port N] [--db FILE] [--key LETTER] [--port-file FILE] [--idle-exit SECONDS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int port = 8077;
    std::string db = "scores.db", portFile;
    char key = 'S';
    int idleExit = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        std::string value = argv[++i];
        if (arg == "--port") port = std::atoi(value.c_str());
        else if (arg == "--db") db = value;
        else if (arg == "--key" && value.size() == 1 && value[0] >= 'A' && value[0] <= 'Z') key = value[0];
        else if (arg == "--port-file") portFile = value;
        else if (arg == "--idle-exit") idleExit = std::atoi(value.c_str());
        else return Usage();
    }
    if (port < 0 || port > 65535) return Usage();

    TScoreStore store;
    std::string error;
    if (!store.Open(db, error)) {
        std::fprintf(stderr, "scoreserver: %s: %s\n", db.c_str(), error.c_str());
        return 1;
    }
    platform::TTcpListener listener;
    if (!listener.Listen(uint16_t(port), error)) {
        std::fprintf(stderr, "scoreserver: cannot listen on 127.0.0.1:%d: %s\n", port, error.c_str());
        return 1;
    }
    if (!portFile.empty()) {
        // Written whole under another name first, so a reader never sees half a number.
        std::string temp = portFile + ".tmp";
        std::ofstream(temp) << listener.Port() << "\n";
        std::rename(temp.c_str(), portFile.c_str());
    }
    std::fprintf(stderr, "scoreserver: listening on http://127.0.0.1:%u/ (key %c, database %s)\n", listener.Port(),
                 key, db.c_str());
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);

    auto lastActivity = std::chrono::steady_clock::now();
    while (!StopRequested) {
        if (idleExit > 0 && std::chrono::steady_clock::now() - lastActivity > std::chrono::seconds(idleExit)) break;
        platform::TTcpSocket connection;
        if (!listener.Accept(connection, 200)) continue;
        Serve(connection, store, key);
        lastActivity = std::chrono::steady_clock::now();
    }
    return 0;
}
