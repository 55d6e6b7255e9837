// Our own HTTP/1.1 client for the result submission: one GET of a plain http URL whose body comes
// back as a string, with connection reuse, chunked bodies, cookies kept for the run and time
// limits so a silent server never hangs the game.
#pragma once
#include "engine/Errors.h"
#include "platform/Net.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Any failure of the exchange: lookup, connect, lost connection, time-out, line too long, ...
class EHttpError : public EGameError {
    using EGameError::EGameError;
};

// An error or redirect status; carries the code, the status line (the message) and the body.
class EHttpProtocolError : public EHttpError {
  public:
    EHttpProtocolError(int code, const std::string& statusLine, std::string body)
        : EHttpError(statusLine), Code(code), Body(std::move(body)) {}
    int Code;
    std::string Body;
};

// A URL split the way the request needs it; Path + Document + Params is the request target.
struct TUrlParts {
    std::string Protocol, User, Password, Host, Path, Document, Params;
    uint16_t Port = 80;
    bool operator==(const TUrlParts&) const = default;
};

// Splits url (backslashes become "/"); raises EHttpError for a scheme other than http/https
// without a port, a bad port, or control characters and blanks that would break the request.
TUrlParts ParseUrl(const std::string& url);

// The status and the headers of the last response.
struct THttpResponse {
    std::string StatusLine;
    std::vector<std::string> Headers; // raw "Name: value" lines
    int Code = -1;
    int64_t ContentLength = -1; // -1 when absent or invalid
    bool HasContentLength = false;
    std::string TransferEncoding, Location, Connection, ProxyConnection;
    std::vector<std::string> SetCookies;
};

// Where a reader gets its bytes: fills buf with at most size bytes, waiting at most timeoutMs;
// returns the count, platform::kRecvClosed, kRecvTimeout or kRecvError (reason in error).
using THttpSource = std::function<int(char* buf, size_t size, int timeoutMs, std::string& error)>;

// Reads lines and bodies of responses from a source through a 32768-byte buffer, enforcing the
// line limit, the body cap and the time limits. Also used on plain bytes by the fuzz target.
class THttpReader {
  public:
    // Reads from source (the client's socket, or plain bytes in the fuzz target).
    explicit THttpReader(THttpSource source = {}) : Source(std::move(source)) {}
    // Replaces the source; the client sets its socket here once.
    void SetSource(THttpSource source) { Source = std::move(source); }
    // Forgets buffered bytes and the end-of-stream mark (a new connection).
    void Reset();

    // Each read waits at most this long; the whole exchange ends at Deadline.
    int ReadTimeoutMs = 5000;
    std::chrono::steady_clock::time_point Deadline = std::chrono::steady_clock::time_point::max();
    // Largest body accepted; a longer one is an error rather than a memory hog.
    size_t MaxBodyBytes = 4u << 20;

    // Reads one line (LF end, CR before it dropped). False when the stream ended before any byte.
    // Raises "Max line length exceeded." past 16384 characters.
    bool ReadLine(std::string& line);
    // Reads the status line and headers (100 Continue answers skipped) into response.
    void ReadResponseHead(THttpResponse& response);
    // Reads the body the head announces: Content-Length, chunked, or until close.
    // Raises on a lost connection or a body over MaxBodyBytes.
    std::string ReadBody(const THttpResponse& response);
    // True when unread bytes are buffered.
    bool HasBufferedData() const { return Pos < Buf.size(); }
    // True once the source reported the end of the stream.
    bool SawEnd() const { return Ended; }

  private:
    // Reads more bytes into the buffer; false at the end of the stream. Raises on error/time-out.
    bool Fill();
    // Reads exactly n bytes (raises when the stream ends first).
    void ReadExact(size_t n, std::string& out);
    void ReadUntilEnd(std::string& out);
    void CheckBodySize(size_t size) const;

    THttpSource Source;
    std::string Buf;
    size_t Pos = 0;
    bool Ended = false;
};

// The longest line a response may have.
inline constexpr size_t kMaxHttpLineLength = 16384;

// Cookies set by responses, kept in memory for the run and sent back to matching URLs.
class TCookieJar {
  public:
    // Remembers the cookie of one Set-Cookie value received from host for a request to path.
    void Store(const std::string& setCookie, const std::string& host, const std::string& requestPath);
    // The Cookie header value for a request to host and path; empty when nothing matches.
    std::string HeaderFor(const std::string& host, const std::string& path) const;
    // Forgets every cookie.
    void Clear() { Cookies.clear(); }

  private:
    struct TCookie {
        std::string Name, Value, Domain, Path;
        bool HostOnly = true;
    };
    std::vector<TCookie> Cookies;
};

// The game's HTTP client; the form keeps one for the whole run.
class THttpClient {
  public:
    THttpClient();
    // The reader refers back to this client's socket, so a client is never copied or moved.
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;
    // Limits: connecting, each read, the whole exchange. The game would otherwise wait forever on
    // a server that accepts and never answers.
    int ConnectTimeoutMs = 5000;
    int ReadTimeoutMs = 5000;
    int ExchangeTimeoutMs = 15000;
    size_t MaxBodyBytes = 4u << 20;

    // GETs url and returns the body. Raises EHttpError (or EHttpProtocolError for an error or
    // redirect status) on every failure; redirects are not followed.
    std::string GetToString(const std::string& url);
    // The request bytes GetToString sends for url (with the cookies known now).
    std::string BuildRequest(const TUrlParts& url) const;
    // Status and headers of the last response.
    const THttpResponse& LastResponse() const { return Response; }
    // True while a connection is kept open for the next request.
    bool Connected() const { return Socket.IsOpen(); }
    // Closes the kept connection.
    void Disconnect();
    // The cookies received so far in the run.
    TCookieJar& Cookies() { return Jar; }

  private:
    // One request and its response on a kept or new connection; sets retryOnFreshConnection when
    // a kept connection turned out to be closed by the server before it answered.
    std::string Exchange(const TUrlParts& url, bool& retryOnFreshConnection);
    // Reads and discards a body with a short read limit, ignoring errors.
    std::string DrainBody(int limitMs, bool& complete);
    // True when the connection may stay open after the response.
    bool MayKeepConnection() const;

    platform::TTcpSocket Socket;
    std::string ConnectedHost;
    uint16_t ConnectedPort = 0;
    THttpReader Reader;
    THttpResponse Response;
    TCookieJar Jar;
};
