#include "records/Http.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Bytes asked of the socket per read.
constexpr size_t kReceiveChunk = 32768;
// A response with more header lines than this is not one we want.
constexpr int kMaxHeaderLines = 1000;
// "100 Continue" answers skipped before giving up.
constexpr int kMaxContinues = 10;
// Read limits while draining the body of a redirect or an error status.
constexpr int kRedirectDrainMs = 4000;
constexpr int kErrorBodyMs = 2000;

std::string Lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

// A header value is "close" ignoring case and surrounding blanks.
bool IsClose(const std::string& v) {
    return EqualsIgnoreCase(Trim(v), "close");
}

// Trimmed decimal of a Content-Length; -1 when it is not one.
int64_t ParseLength(const std::string& text) {
    std::string t = Trim(text);
    if (t.empty() || t.size() > 18) return -1;
    size_t i = 0;
    bool neg = false;
    if (t[0] == '-' || t[0] == '+') {
        neg = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return -1;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return -1;
        v = v * 10 + (t[i] - '0');
    }
    return neg ? -v : v;
}

// The hexadecimal chunk size before the first blank (or extension); 0 when invalid, and a value
// above the cap when it is too large to accept.
uint64_t ParseChunkSize(const std::string& line) {
    size_t end = line.find_first_of(" ;\t");
    std::string t = line.substr(0, end);
    if (t.empty()) return 0;
    uint64_t v = 0;
    for (char c : t) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return 0;
        if (v > (UINT64_MAX >> 4)) return UINT64_MAX;
        v = (v << 4) | uint64_t(d);
    }
    return v;
}

// The status code: the second blank-separated word as a decimal integer, -1 when it is not one.
int ParseStatusCode(const std::string& statusLine) {
    size_t a = statusLine.find(' ');
    if (a == std::string::npos) return -1;
    while (a < statusLine.size() && statusLine[a] == ' ')
        ++a;
    size_t b = statusLine.find(' ', a);
    std::string word = statusLine.substr(a, b == std::string::npos ? std::string::npos : b - a);
    if (word.empty() || word.size() > 9) return -1;
    int v = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

} // namespace

TUrlParts ParseUrl(const std::string& rawUrl) {
    std::string url = rawUrl;
    std::replace(url.begin(), url.end(), '\\', '/');
    for (char c : url)
        if (static_cast<unsigned char>(c) <= 32 || c == 127) throw EHttpError("Invalid character in URL");
    TUrlParts parts;
    std::string rest = url;
    size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string::npos) {
        parts.Protocol = Lower(rest.substr(0, schemeEnd));
        rest = rest.substr(schemeEnd + 3);
    }
    // The authority runs to the path; a query or fragment straight after the host ends it too.
    size_t authEnd = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, authEnd);
    rest = authEnd == std::string::npos ? std::string() : rest.substr(authEnd);
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        std::string user = authority.substr(0, at);
        authority = authority.substr(at + 1);
        size_t colon = user.find(':');
        parts.User = user.substr(0, colon);
        if (colon != std::string::npos) parts.Password = user.substr(colon + 1);
    }
    size_t colon = authority.rfind(':');
    std::string port;
    if (colon != std::string::npos && authority.find(']') == std::string::npos) {
        port = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
    }
    parts.Host = authority;
    if (port.empty()) {
        if (parts.Protocol != "http" && parts.Protocol != "https")
            throw EHttpError("Unknown protocol \"" + parts.Protocol + "\"");
        parts.Port = 80;
    } else {
        if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
            throw EHttpError("Invalid port");
        long p = std::strtol(port.c_str(), nullptr, 10);
        if (p < 1 || p > 65535) throw EHttpError("Invalid port");
        parts.Port = uint16_t(p);
    }
    if (parts.Host.empty()) throw EHttpError("No host in URL");
    // Path up to the last "/" before the query ("?", else "="), the document after it, then the
    // parameters from the "?" on.
    size_t split = rest.find('?');
    if (split == std::string::npos) split = rest.find('=');
    std::string beforeQuery = rest.substr(0, split);
    parts.Params = split == std::string::npos ? std::string() : rest.substr(split);
    size_t slash = beforeQuery.rfind('/');
    parts.Path = "/" + (slash == std::string::npos ? std::string() : beforeQuery.substr(0, slash + 1));
    parts.Document = slash == std::string::npos ? beforeQuery : beforeQuery.substr(slash + 1);
    size_t hash = parts.Document.find('#');
    if (hash != std::string::npos) {
        parts.Document.erase(hash);
        parts.Params.clear();
    } else if ((hash = parts.Params.find('#')) != std::string::npos) {
        parts.Params.erase(hash);
    }
    return parts;
}

void THttpReader::Reset() {
    Buf.clear();
    Pos = 0;
    Ended = false;
}

bool THttpReader::Fill() {
    if (Ended) return false;
    if (!Source) throw EHttpError("Not Connected");
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - SteadyClock::now()).count();
    if (left <= 0) throw EHttpError("Read timed out");
    int wait = int(std::min<int64_t>(left, ReadTimeoutMs));
    // Keep the buffer from growing: drop what has been consumed.
    if (Pos > 0) {
        Buf.erase(0, Pos);
        Pos = 0;
    }
    size_t old = Buf.size();
    Buf.resize(old + kReceiveChunk);
    std::string error;
    int n = Source(Buf.data() + old, kReceiveChunk, wait, error);
    Buf.resize(old + size_t(std::max(n, 0)));
    if (n > 0) return true;
    if (n == platform::kRecvClosed) {
        Ended = true;
        return false;
    }
    if (n == platform::kRecvTimeout) throw EHttpError("Read timed out");
    throw EHttpError(error.empty() ? "Not Connected" : error);
}

bool THttpReader::ReadLine(std::string& line) {
    // Offset from Pos up to which the buffer is known to hold no LF (Fill compacts the buffer).
    size_t scanned = 0;
    for (;;) {
        size_t lf = Buf.find('\n', Pos + scanned);
        if (lf != std::string::npos) {
            size_t end = lf;
            if (end > Pos && Buf[end - 1] == '\r') --end;
            if (end - Pos > kMaxHttpLineLength) throw EHttpError("Max line length exceeded.");
            line.assign(Buf, Pos, end - Pos);
            Pos = lf + 1;
            return true;
        }
        // One more byte than the limit may still be the CR of a line that just fits.
        if (Buf.size() - Pos > kMaxHttpLineLength + 1) throw EHttpError("Max line length exceeded.");
        scanned = Buf.size() - Pos;
        if (!Fill()) {
            // The stream ended: what is left is an unterminated last line.
            if (Pos >= Buf.size()) return false;
            if (Buf.size() - Pos > kMaxHttpLineLength) throw EHttpError("Max line length exceeded.");
            line.assign(Buf, Pos, Buf.size() - Pos);
            Pos = Buf.size();
            return true;
        }
    }
}

void THttpReader::ReadResponseHead(THttpResponse& response) {
    for (int attempt = 0;; ++attempt) {
        response = THttpResponse{};
        if (!ReadLine(response.StatusLine)) throw EHttpError("Connection Closed Gracefully.");
        std::string line;
        int count = 0;
        while (ReadLine(line) && !line.empty()) {
            if (++count > kMaxHeaderLines) throw EHttpError("Too many header lines");
            response.Headers.push_back(line);
        }
        response.Code = ParseStatusCode(response.StatusLine);
        if (response.Code != 100) break;
        if (attempt >= kMaxContinues) throw EHttpError("Too many interim responses");
    }
    for (const std::string& h : response.Headers) {
        size_t colon = h.find(':');
        if (colon == std::string::npos) continue;
        std::string name = Lower(Trim(h.substr(0, colon)));
        std::string value = Trim(h.substr(colon + 1));
        if (name == "content-length") {
            response.HasContentLength = true;
            response.ContentLength = ParseLength(value);
        } else if (name == "transfer-encoding") {
            response.TransferEncoding = value;
        } else if (name == "location") {
            response.Location = value;
        } else if (name == "connection") {
            response.Connection = value;
        } else if (name == "proxy-connection") {
            response.ProxyConnection = value;
        } else if (name == "set-cookie") {
            response.SetCookies.push_back(value);
        }
    }
}

void THttpReader::CheckBodySize(size_t size) const {
    if (size > MaxBodyBytes) throw EHttpError("Response body too large");
}

void THttpReader::ReadExact(size_t n, std::string& out) {
    while (n > 0) {
        if (Pos >= Buf.size() && !Fill()) throw EHttpError("Connection closed before the whole body arrived");
        size_t take = std::min(n, Buf.size() - Pos);
        out.append(Buf, Pos, take);
        Pos += take;
        n -= take;
    }
}

void THttpReader::ReadUntilEnd(std::string& out) {
    for (;;) {
        if (Pos < Buf.size()) {
            out.append(Buf, Pos, Buf.size() - Pos);
            Pos = Buf.size();
            CheckBodySize(out.size());
        }
        if (!Fill()) return;
    }
}

std::string THttpReader::ReadBody(const THttpResponse& response) {
    std::string body;
    if (response.ContentLength >= 1) {
        CheckBodySize(size_t(response.ContentLength));
        ReadExact(size_t(response.ContentLength), body);
    } else if (Lower(response.TransferEncoding).find("chunked") != std::string::npos) {
        std::string line;
        for (;;) {
            if (!ReadLine(line)) throw EHttpError("Connection closed before the whole body arrived");
            uint64_t size = ParseChunkSize(line);
            if (size == 0) break;
            if (size > MaxBodyBytes) throw EHttpError("Response body too large");
            CheckBodySize(body.size() + size_t(size));
            ReadExact(size_t(size), body);
            ReadLine(line); // the chunk's own line end
        }
        ReadLine(line); // the line after the last chunk
    } else if (!response.HasContentLength) {
        ReadUntilEnd(body);
    }
    return body;
}

void TCookieJar::Store(const std::string& setCookie, const std::string& host,
                       const std::string& requestPath) {
    TCookie c;
    size_t semi = setCookie.find(';');
    std::string pair = setCookie.substr(0, semi);
    size_t eq = pair.find('=');
    if (eq == std::string::npos) return;
    c.Name = Trim(pair.substr(0, eq));
    c.Value = Trim(pair.substr(eq + 1));
    if (c.Name.empty()) return;
    c.Domain = Lower(host);
    size_t lastSlash = requestPath.rfind('/');
    c.Path = lastSlash == std::string::npos || lastSlash == 0 ? "/" : requestPath.substr(0, lastSlash);
    bool expired = false;
    while (semi != std::string::npos) {
        size_t next = setCookie.find(';', semi + 1);
        std::string attr =
            Trim(setCookie.substr(semi + 1, next == std::string::npos ? std::string::npos : next - semi - 1));
        semi = next;
        size_t aeq = attr.find('=');
        std::string key = Lower(Trim(attr.substr(0, aeq)));
        std::string val = aeq == std::string::npos ? std::string() : Trim(attr.substr(aeq + 1));
        if (key == "domain" && !val.empty()) {
            std::string d = Lower(val[0] == '.' ? val.substr(1) : val);
            std::string h = Lower(host);
            // A server may only set cookies for itself or a domain it belongs to.
            if (h != d && !(h.size() > d.size() && h.compare(h.size() - d.size(), d.size(), d) == 0 &&
                            h[h.size() - d.size() - 1] == '.'))
                return;
            c.Domain = d;
            c.HostOnly = false;
        } else if (key == "path" && !val.empty() && val[0] == '/') {
            c.Path = val;
        } else if (key == "max-age") {
            expired = !val.empty() && (val[0] == '-' || val.find_first_not_of('0') == std::string::npos);
        }
    }
    std::erase_if(Cookies, [&](const TCookie& o) {
        return o.Name == c.Name && o.Domain == c.Domain && o.Path == c.Path;
    });
    if (!expired) Cookies.push_back(c);
}

std::string TCookieJar::HeaderFor(const std::string& host, const std::string& path) const {
    std::string h = Lower(host), out;
    for (const TCookie& c : Cookies) {
        bool hostOk =
            h == c.Domain || (!c.HostOnly && h.size() > c.Domain.size() &&
                              h.compare(h.size() - c.Domain.size(), c.Domain.size(), c.Domain) == 0 &&
                              h[h.size() - c.Domain.size() - 1] == '.');
        bool pathOk = path.compare(0, c.Path.size(), c.Path) == 0 &&
                      (path.size() == c.Path.size() || c.Path.back() == '/' || path[c.Path.size()] == '/' ||
                       path[c.Path.size()] == '?');
        if (!hostOk || !pathOk) continue;
        if (!out.empty()) out += "; ";
        out += c.Name + "=" + c.Value;
    }
    return out;
}

THttpClient::THttpClient() {
    Reader.SetSource([this](char* buf, size_t size, int timeoutMs, std::string& error) {
        return Socket.Receive(buf, size, timeoutMs, error);
    });
}

std::string THttpClient::BuildRequest(const TUrlParts& url) const {
    std::string target = url.Path + url.Document + url.Params;
    std::string host = url.Host;
    if (url.Port != 80) host += ":" + std::to_string(url.Port);
    std::string request = "GET " + target + " HTTP/1.1\r\n";
    request += "Content-Type: text/html\r\n";
    request += "Host: " + host + "\r\n";
    request += "Accept: text/html, */*\r\n";
    request += "User-Agent: Mozilla/3.0 (compatible; Spray Dash)\r\n";
    std::string cookie = Jar.HeaderFor(url.Host, target);
    if (!cookie.empty()) request += "Cookie: " + cookie + "\r\n";
    request += "\r\n";
    return request;
}

void THttpClient::Disconnect() {
    Socket.Close();
    ConnectedHost.clear();
    ConnectedPort = 0;
    Reader.Reset();
}

bool THttpClient::MayKeepConnection() const {
    if (!Socket.IsOpen() || Reader.SawEnd()) return false;
    if (IsClose(Response.Connection) || IsClose(Response.ProxyConnection)) return false;
    return Reader.HasBufferedData() || Socket.PeerStillOpen();
}

std::string THttpClient::DrainBody(int limitMs, bool& complete) {
    complete = false;
    int savedTimeout = Reader.ReadTimeoutMs;
    auto savedDeadline = Reader.Deadline;
    Reader.ReadTimeoutMs = limitMs;
    Reader.Deadline = std::min(savedDeadline, SteadyClock::now() + std::chrono::milliseconds(limitMs));
    std::string body;
    try {
        body = Reader.ReadBody(Response);
        complete = true;
    } catch (const EHttpError&) {
        // A broken body of an error answer changes nothing: the request fails either way.
    }
    Reader.ReadTimeoutMs = savedTimeout;
    Reader.Deadline = savedDeadline;
    return body;
}

std::string THttpClient::Exchange(const TUrlParts& url, bool& retryOnFreshConnection) {
    bool reused = Socket.IsOpen() && EqualsIgnoreCase(ConnectedHost, url.Host) && ConnectedPort == url.Port &&
                  !Reader.SawEnd() && (Reader.HasBufferedData() || Socket.PeerStillOpen());
    retryOnFreshConnection = false;
    if (!reused) {
        Disconnect();
        std::string error;
        if (!Socket.Connect(url.Host, url.Port, ConnectTimeoutMs, error)) throw EHttpError(error);
        ConnectedHost = url.Host;
        ConnectedPort = url.Port;
    }
    Reader.Reset();
    std::string error;
    if (!Socket.SendAll(BuildRequest(url), ReadTimeoutMs, error)) {
        retryOnFreshConnection = reused;
        throw EHttpError(error);
    }
    try {
        Reader.ReadResponseHead(Response);
    } catch (const EHttpError&) {
        // A kept connection the server dropped meanwhile: one new try on a fresh connection.
        retryOnFreshConnection = reused && Reader.SawEnd() && Response.StatusLine.empty();
        throw;
    }
    for (const std::string& c : Response.SetCookies)
        Jar.Store(c, url.Host, url.Path + url.Document);

    int code = Response.Code;
    bool complete = false;
    if ((code >= 300 && code < 400 && code != 304) || !Response.Location.empty()) {
        DrainBody(kRedirectDrainMs, complete);
        if (!complete) Disconnect();
        throw EHttpProtocolError(code, Response.StatusLine, std::string());
    }
    if (code >= 200 && code < 300) {
        if (code == 204) return std::string();
        bool open = Reader.HasBufferedData() || (!Reader.SawEnd() && Socket.PeerStillOpen());
        bool bodyPromised = Response.ContentLength >= 1 ||
                            Lower(Response.TransferEncoding).find("chunked") != std::string::npos;
        if (!open) {
            if (bodyPromised) throw EHttpError("Undefined situation");
            return std::string();
        }
        return Reader.ReadBody(Response);
    }
    std::string body = DrainBody(kErrorBodyMs, complete);
    if (!complete) Disconnect();
    throw EHttpProtocolError(code, Response.StatusLine, body);
}

std::string THttpClient::GetToString(const std::string& urlText) {
    TUrlParts url = ParseUrl(urlText);
    if (url.Protocol == "https") throw EHttpError("Secure connections are not supported");
    Reader.ReadTimeoutMs = ReadTimeoutMs;
    Reader.MaxBodyBytes = MaxBodyBytes;
    for (int attempt = 0;; ++attempt) {
        Reader.Deadline = SteadyClock::now() + std::chrono::milliseconds(ExchangeTimeoutMs);
        Response = THttpResponse{};
        bool retry = false;
        try {
            std::string body = Exchange(url, retry);
            if (!MayKeepConnection()) Disconnect();
            return body;
        } catch (const EHttpProtocolError&) {
            if (!MayKeepConnection()) Disconnect();
            throw;
        } catch (const EHttpError&) {
            Disconnect();
            if (!retry || attempt > 0) throw;
        }
    }
}
