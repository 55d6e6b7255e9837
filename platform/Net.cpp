#include "platform/Net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Milliseconds left until deadline, never negative.
int MsLeft(SteadyClock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits for events on fd until deadline, restarting after signals; the poll result.
int PollUntil(int fd, short events, SteadyClock::time_point deadline, short& revents) {
    for (;;) {
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, MsLeft(deadline));
        if (r < 0 && errno == EINTR) continue;
        revents = p.revents;
        return r;
    }
}

bool SetNonBlocking(int fd) {
    int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

TTcpSocket::~TTcpSocket() {
    Close();
}

TTcpSocket::TTcpSocket(TTcpSocket&& other) noexcept : Fd(other.Fd) {
    other.Fd = -1;
}

TTcpSocket& TTcpSocket::operator=(TTcpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        Fd = other.Fd;
        other.Fd = -1;
    }
    return *this;
}

bool TTcpSocket::Connect(const std::string& host, uint16_t port, int timeoutMs, std::string& error) {
    Close();
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::string service = std::to_string(port);
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0) {
        error = "Host not found: " + host + " (" + ::gai_strerror(rc) + ")";
        return false;
    }
    error = "Connection refused";
    for (addrinfo* a = list; a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (!SetNonBlocking(fd)) {
            ::close(fd);
            continue;
        }
        int r = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (r != 0 && errno == EINPROGRESS) {
            short revents = 0;
            r = PollUntil(fd, POLLOUT, deadline, revents);
            if (r == 0) {
                error = "Connect timed out";
                ::close(fd);
                break;
            }
            int soError = 0;
            socklen_t len = sizeof soError;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
            if (r > 0 && soError == 0)
                r = 0;
            else {
                error = std::strerror(soError ? soError : errno);
                r = -1;
            }
        } else if (r != 0) {
            error = std::strerror(errno);
        }
        if (r == 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            Fd = fd;
            ::freeaddrinfo(list);
            return true;
        }
        ::close(fd);
    }
    ::freeaddrinfo(list);
    return false;
}

bool TTcpSocket::SendAll(const void* data, size_t size, int timeoutMs, std::string& error) {
    if (Fd < 0) {
        error = "Not Connected";
        return false;
    }
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::send(Fd, p, size, MSG_NOSIGNAL);
        if (n > 0) {
            p += n;
            size -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            short revents = 0;
            if (PollUntil(Fd, POLLOUT, deadline, revents) <= 0) {
                error = "Send timed out";
                return false;
            }
            continue;
        }
        error = n < 0 ? std::strerror(errno) : "Not Connected";
        return false;
    }
    return true;
}

int TTcpSocket::Receive(void* buffer, size_t size, int timeoutMs, std::string& error) {
    if (Fd < 0) {
        error = "Not Connected";
        return kRecvError;
    }
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        ssize_t n = ::recv(Fd, buffer, size, 0);
        if (n >= 0) return int(n);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            error = std::strerror(errno);
            return kRecvError;
        }
        short revents = 0;
        int r = PollUntil(Fd, POLLIN, deadline, revents);
        if (r == 0) return kRecvTimeout;
        if (r < 0) {
            error = std::strerror(errno);
            return kRecvError;
        }
    }
}

bool TTcpSocket::PeerStillOpen() const {
    if (Fd < 0) return false;
    char c;
    for (;;) {
        ssize_t n = ::recv(Fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

void TTcpSocket::ShutdownSend() {
    if (Fd >= 0) ::shutdown(Fd, SHUT_WR);
}

void TTcpSocket::Close() {
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
}

TTcpListener::~TTcpListener() {
    Close();
}

bool TTcpListener::Listen(uint16_t port, std::string& error) {
    Close();
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
        !SetNonBlocking(fd)) {
        error = std::strerror(errno);
        ::close(fd);
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    BoundPort = ntohs(addr.sin_port);
    Fd = fd;
    return true;
}

bool TTcpListener::Accept(TTcpSocket& connection, int timeoutMs) {
    if (Fd < 0) return false;
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int fd = ::accept4(Fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            connection.Close();
            connection.Fd = fd;
            return true;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        short revents = 0;
        if (PollUntil(Fd, POLLIN, deadline, revents) <= 0) return false;
    }
}

void TTcpListener::Close() {
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
}

} // namespace platform
