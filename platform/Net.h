// Plain TCP for the HTTP exchange and its test servers: connect, send, receive, listen, accept,
// every wait bounded by a time limit. The only place that touches the socket interface.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Result of TTcpSocket::Receive when nothing is returned.
enum : int { kRecvClosed = 0, kRecvError = -1, kRecvTimeout = -2 };

// One TCP connection; closes itself when destroyed. Movable, not copyable.
class TTcpSocket {
  public:
    TTcpSocket() = default;
    ~TTcpSocket();
    TTcpSocket(TTcpSocket&& other) noexcept;
    TTcpSocket& operator=(TTcpSocket&& other) noexcept;
    TTcpSocket(const TTcpSocket&) = delete;
    TTcpSocket& operator=(const TTcpSocket&) = delete;

    // Looks up host and connects to port, giving up after timeoutMs; false with a reason in error.
    bool Connect(const std::string& host, uint16_t port, int timeoutMs, std::string& error);
    // Sends every byte, waiting at most timeoutMs for room; false with a reason in error.
    bool SendAll(const void* data, size_t size, int timeoutMs, std::string& error);
    bool SendAll(const std::string& data, int timeoutMs, std::string& error) {
        return SendAll(data.data(), data.size(), timeoutMs, error);
    }
    // Waits at most timeoutMs for data and returns the number of bytes read (at most size), or
    // kRecvClosed when the peer closed, kRecvTimeout, or kRecvError (reason in error).
    int Receive(void* buffer, size_t size, int timeoutMs, std::string& error);
    // True when the connection is open and the peer has not closed it (data waiting counts as open).
    bool PeerStillOpen() const;
    // Stops sending; the peer sees the end of the stream while receiving goes on.
    void ShutdownSend();
    // Closes the connection; harmless when it is not open.
    void Close();
    bool IsOpen() const { return Fd >= 0; }

  private:
    friend class TTcpListener;
    int Fd = -1;
};

// A listening socket on the loopback address, for the score server and test servers.
class TTcpListener {
  public:
    TTcpListener() = default;
    ~TTcpListener();
    TTcpListener(const TTcpListener&) = delete;
    TTcpListener& operator=(const TTcpListener&) = delete;

    // Listens on 127.0.0.1:port (0 picks a free port); false with a reason in error.
    bool Listen(uint16_t port, std::string& error);
    // The port actually listened on.
    uint16_t Port() const { return BoundPort; }
    // Waits at most timeoutMs for a connection; false on time-out or error.
    bool Accept(TTcpSocket& connection, int timeoutMs);
    void Close();

  private:
    int Fd = -1;
    uint16_t BoundPort = 0;
};

} // namespace platform
