#include "ScoreService.h"

#include <cstdlib>
#include <vector>

namespace {

// Rows shown on the world page.
constexpr int kWorldRows = 100;

std::vector<std::string> SplitQuery(const std::string& query) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        items.push_back(query.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

TServiceAnswer Plain(int status, const std::string& reason, const std::string& text) {
    TServiceAnswer a;
    a.Status = status;
    a.Reason = reason;
    a.Body = "<html><body><p>" + HtmlEscape(text) + "</p></body></html>\n";
    return a;
}

TServiceAnswer WorldPage(TScoreStore& store, int type) {
    TServiceAnswer a;
    a.Body = "<!DOCTYPE html>\n<html><head><meta charset=\"ISO-8859-1\"><title>Spray Dash world high scores</title>"
             "</head>\n<body>\n<h1>Spray Dash world high scores</h1>\n<table>\n"
             "<tr><th>Rank</th><th>Name</th><th>Score</th><th>Info</th></tr>\n";
    int rank = 0;
    for (const TSubmittedResult& r : store.Best(type, kWorldRows)) {
        a.Body += "<tr><td>" + std::to_string(++rank) + "</td><td class=\"name\">" + HtmlEscape(r.Name) +
                  "</td><td class=\"score\">" + std::to_string(r.Score) + "</td><td>" + HtmlEscape(r.AddInfo) +
                  "</td></tr>\n";
    }
    a.Body += "</table>\n</body></html>\n";
    return a;
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default:
                if (c < 32 || c >= 127) out += "&#" + std::to_string(c) + ";";
                else out += ch;
        }
    }
    return out;
}

TServiceAnswer AnswerRequest(const std::string& target, TScoreStore& store, char expectedKey) {
    size_t q = target.find('?');
    std::string path = target.substr(0, q);
    std::string query = q == std::string::npos ? std::string() : target.substr(q + 1);
    if (path == "/" || path.empty()) {
        TServiceAnswer a;
        a.Body = "<!DOCTYPE html>\n<html><head><title>Spray Dash</title></head><body><h1>Spray Dash</h1>"
                 "<p><a href=\"/cgi/version.pl?prg=SprayDash&amp;show&amp;type=0\">World high scores</a></p>"
                 "</body></html>\n";
        return a;
    }
    if (path != "/cgi/version.pl") return Plain(404, "Not Found", "No such page.");

    bool submit = false, show = false, ourGame = false;
    std::string code;
    int type = 0;
    for (const std::string& item : SplitQuery(query)) {
        if (item == "hs") submit = true;
        else if (item == "show") show = true;
        else if (item == "prg=SprayDash") ourGame = true;
        else if (item.rfind("inf=", 0) == 0) code = item.substr(4);
        else if (item.rfind("type=", 0) == 0) type = std::atoi(item.c_str() + 5);
    }
    if (!ourGame) return Plain(404, "Not Found", "Unknown game.");
    if (show) return WorldPage(store, type);
    if (!submit) return Plain(400, "Bad Request", "Nothing to do.");

    std::string record, error;
    TSubmittedResult result;
    if (!DecodeResultCode(code, record)) return Plain(400, "Bad Request", "The result code does not decode.");
    if (!ParseResultRecord(record, result, error)) return Plain(400, "Bad Request", "Bad result record: " + error);
    if (result.Key != expectedKey) return Plain(403, "Forbidden", "Wrong key.");
    if (!store.Add(result, error)) return Plain(500, "Internal Server Error", "Cannot store the result: " + error);
    return Plain(200, "OK", "Result stored.");
}
