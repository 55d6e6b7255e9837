#include "tools/layercheck/LayerRules.h"

#include <sstream>

namespace layercheck {

namespace {

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// The standard library's headers have neither an extension nor a folder: <vector>, <cstdint>.
bool IsStandardHeader(const std::string& name) {
    return name.find('.') == std::string::npos && name.find('/') == std::string::npos;
}

} // namespace

bool ParseRules(const std::string& text, Rules& rules, std::string& error) {
    std::istringstream in(text);
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        const std::string line = Trim(raw.substr(0, raw.find('#')));
        if (line.empty()) continue;
        const size_t arrow = line.find("->");
        const size_t colon = line.find(':');
        if (arrow != std::string::npos && colon != std::string::npos && arrow < colon) {
            const std::string file = Trim(line.substr(0, arrow));
            const std::string header = Trim(line.substr(arrow + 2, colon - arrow - 2));
            const std::string why = Trim(line.substr(colon + 1));
            if (file.empty() || header.empty() || why.empty()) {
                error =
                    "line " + std::to_string(number) + ": an exception needs a file, a header and a reason";
                return false;
            }
            rules.FileExceptions[file].insert(header);
        } else if (colon != std::string::npos && arrow == std::string::npos) {
            const std::string layer = Trim(line.substr(0, colon));
            if (layer.empty() || layer.find(' ') != std::string::npos) {
                error = "line " + std::to_string(number) + ": a layer name is one word";
                return false;
            }
            auto& edges = rules.Edges[layer];
            for (const std::string& w : Words(line.substr(colon + 1)))
                edges.insert(w);
        } else {
            error =
                "line " + std::to_string(number) + ": neither \"layer: layers\" nor \"file -> header: why\"";
            return false;
        }
    }
    return true;
}

std::string LayerOf(const Rules& rules, const std::string& path) {
    const size_t slash = path.find('/');
    if (slash == std::string::npos) return "";
    const std::string top = path.substr(0, slash);
    return rules.Edges.count(top) ? top : "";
}

void CheckFile(const Rules& rules, const std::string& path, const std::string& text,
               std::vector<Violation>& out) {
    const std::string layer = LayerOf(rules, path);
    if (layer.empty()) return;
    const std::set<std::string>& edges = rules.Edges.at(layer);
    static const std::set<std::string> none;
    const auto found = rules.FileExceptions.find(path);
    const std::set<std::string>& extra = found == rules.FileExceptions.end() ? none : found->second;

    std::istringstream in(text);
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        std::string line = Trim(raw);
        if (line.rfind("#", 0) != 0) continue;
        line = Trim(line.substr(1));
        if (line.rfind("include", 0) != 0) continue;
        line = Trim(line.substr(7));
        if (line.size() < 2) continue;
        const char open = line[0];
        const char close = open == '<' ? '>' : '"';
        const size_t end = line.find(close, 1);
        if ((open != '<' && open != '"') || end == std::string::npos) continue;
        const std::string name = line.substr(1, end - 1);
        auto report = [&](const std::string& why) { out.push_back({path, number, why}); };

        if (open == '<') {
            if (IsStandardHeader(name) || layer == "platform" || extra.count("<" + name + ">")) continue;
            report("<" + name + "> is an outside header: only platform/ includes those");
            continue;
        }
        const size_t slash = name.find('/');
        if (slash == std::string::npos) {
            report("\"" + name + "\" is not included by its layer path (layer/File.h)");
            continue;
        }
        const std::string target = name.substr(0, slash);
        if (target == layer || edges.count(target) || extra.count(name)) continue;
        if (!rules.Edges.count(target)) {
            report("\"" + name + "\" is outside the game's layers; " + layer + "/ may not include it");
            continue;
        }
        report(layer + "/ may not include " + target + "/ (\"" + name + "\"); allowed: " + [&] {
            std::string list;
            for (const std::string& e : edges)
                list += (list.empty() ? "" : " ") + e;
            return list.empty() ? std::string("nothing") : list;
        }());
    }
}

} // namespace layercheck
