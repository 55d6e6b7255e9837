// A scripted HTTP server on 127.0.0.1 in a thread of the test, for the client's protocol cases.
#pragma once
#include "platform/Net.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One canned answer: the bytes to send and whether to close the connection afterwards.
struct TReply {
    std::string Bytes;
    bool CloseAfter = false;
};

// Accepts connections for at most 20 seconds and hands each to a handler; records every request.
class TLoopbackServer {
  public:
    using THandler = std::function<void(platform::TTcpSocket&, TLoopbackServer&)>;

    explicit TLoopbackServer(THandler handler) : Handler(std::move(handler)) {
        std::string error;
        Listening = Listener.Listen(0, error);
        if (Listening) Thread = std::thread([this] { Run(); });
    }
    // Answers each request, in order over all connections, with the next reply.
    explicit TLoopbackServer(std::vector<TReply> replies)
        : TLoopbackServer([replies = std::move(replies), next = size_t(0)](platform::TTcpSocket& s,
                                                                           TLoopbackServer& server) mutable {
              while (next < replies.size() && !server.ReadRequest(s).empty()) {
                  const TReply& r = replies[next++];
                  Send(s, r.Bytes);
                  if (r.CloseAfter) return;
              }
          }) {}
    ~TLoopbackServer() {
        Stop = true;
        if (Thread.joinable()) Thread.join();
    }

    // True when the server listens (tests assert this first).
    bool Ok() const { return Listening; }
    uint16_t Port() const { return Listener.Port(); }
    // An absolute URL of this server for the given path and query.
    std::string Url(const std::string& target) const {
        return "http://127.0.0.1:" + std::to_string(Port()) + target;
    }
    // Connections accepted so far (reuse tests count them).
    int Accepted() const { return AcceptCount; }
    // Every request head received so far, in order.
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(Mutex);
        return Received;
    }

    // Reads one request head up to its empty line and records it; "" when the client closed, the
    // head grew absurdly long or 3 seconds passed.
    std::string ReadRequest(platform::TTcpSocket& s) {
        std::string head;
        char buf[4096];
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 && !Stop &&
               std::chrono::steady_clock::now() < deadline) {
            std::string error;
            int n = s.Receive(buf, sizeof buf, 100, error);
            if (n == platform::kRecvTimeout) continue;
            if (n <= 0) return {};
            head.append(buf, size_t(n));
        }
        if (head.find("\r\n\r\n") == std::string::npos) return {};
        std::lock_guard<std::mutex> lock(Mutex);
        Received.push_back(head);
        return head;
    }
    // Sends bytes, giving up after 2 seconds (the client may have hung up).
    static void Send(platform::TTcpSocket& s, const std::string& bytes) {
        std::string error;
        s.SendAll(bytes, 2000, error);
    }
    // Waits until the test ends (at most 10 seconds), keeping the connection silent.
    void WaitForStop() const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Stop && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

  private:
    void Run() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!Stop && std::chrono::steady_clock::now() < deadline) {
            platform::TTcpSocket connection;
            if (!Listener.Accept(connection, 50)) continue;
            ++AcceptCount;
            Handler(connection, *this);
        }
    }

    THandler Handler;
    platform::TTcpListener Listener;
    bool Listening = false;
    std::atomic<bool> Stop{false};
    std::atomic<int> AcceptCount{0};
    std::mutex Mutex;
    std::vector<std::string> Received;
    std::thread Thread;
};
