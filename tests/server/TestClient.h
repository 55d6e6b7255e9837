// A bare HTTP/1.1 client for the service tests: any bytes on the wire, a chosen loopback source
// address, and the answer read until the server closes.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>

struct TRawAnswer {
    int Status = 0;                             // 0: the connection ended without an answer
    std::map<std::string, std::string> Headers; // names in lower case
    std::string Body;
};

// A TCP connection to 127.0.0.1:port from source (a 127.0.0.x address).
class TTestConnection {
  public:
    TTestConnection(int port, const std::string& source = "127.0.0.1") {
        Fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in from{};
        from.sin_family = AF_INET;
        inet_pton(AF_INET, source.c_str(), &from.sin_addr);
        bind(Fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(uint16_t(port));
        inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
        Connected = connect(Fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    }
    ~TTestConnection() {
        if (Fd >= 0) close(Fd);
    }
    TTestConnection(const TTestConnection&) = delete;
    TTestConnection& operator=(const TTestConnection&) = delete;

    bool Send(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = send(Fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += size_t(n);
        }
        return true;
    }
    // Everything until the server closes, or until timeoutMs passed.
    std::string ReadAll(int timeoutMs = 5000) {
        std::string out;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        char buf[8192];
        for (;;) {
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                               deadline - std::chrono::steady_clock::now())
                               .count());
            if (left <= 0) break;
            pollfd p{Fd, POLLIN, 0};
            if (poll(&p, 1, left) <= 0) break;
            ssize_t n = recv(Fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            out.append(buf, size_t(n));
        }
        return out;
    }
    // True when the server has closed the connection within timeoutMs (no bytes expected).
    bool ClosedByServer(int timeoutMs) {
        pollfd p{Fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        char c;
        return recv(Fd, &c, 1, MSG_PEEK) <= 0;
    }
    int Fd = -1;
    bool Connected = false;
};

// Splits a whole response (status line, headers, body).
inline TRawAnswer ParseAnswer(const std::string& raw) {
    TRawAnswer a;
    size_t end = raw.find("\r\n\r\n");
    if (raw.rfind("HTTP/1.", 0) != 0 || end == std::string::npos) return a;
    a.Status = std::atoi(raw.c_str() + 9);
    size_t pos = raw.find("\r\n") + 2;
    while (pos < end) {
        size_t eol = raw.find("\r\n", pos);
        std::string line = raw.substr(pos, eol - pos);
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            for (char& c : name)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            a.Headers[name] = value;
        }
        pos = eol + 2;
    }
    a.Body = raw.substr(end + 4);
    return a;
}

// One request with "Connection: close"; extraHeaders are whole lines with their CR LF.
inline TRawAnswer Fetch(int port, const std::string& target, const std::string& source = "127.0.0.1",
                        const std::string& method = "GET", const std::string& extraHeaders = "") {
    TTestConnection c(port, source);
    if (!c.Connected) return {};
    c.Send(method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + extraHeaders +
           "\r\n");
    return ParseAnswer(c.ReadAll());
}
