// layercheck: checks every #include of the game's layers against the written table of allowed
// edges (docs/layers.txt). Prints each violation as "file:line: why" and exits 1 when there is one.
//
//   layercheck <source root> <rules file>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/layercheck/LayerRules.h"

namespace fs = std::filesystem;

namespace {

bool ReadText(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: layercheck <source root> <rules file>\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::string rulesText, error;
    layercheck::Rules rules;
    if (!ReadText(argv[2], rulesText)) {
        std::fprintf(stderr, "%s: cannot be read\n", argv[2]);
        return 2;
    }
    if (!layercheck::ParseRules(rulesText, rules, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
        return 2;
    }

    std::vector<layercheck::Violation> violations;
    int files = 0;
    for (const auto& [layer, edges] : rules.Edges) {
        (void)edges;
        if (!fs::is_directory(root / layer)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / layer)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
            std::string text;
            const std::string rel = fs::relative(entry.path(), root).generic_string();
            if (!ReadText(entry.path(), text)) {
                std::fprintf(stderr, "%s: cannot be read\n", rel.c_str());
                return 2;
            }
            layercheck::CheckFile(rules, rel, text, violations);
            ++files;
        }
    }
    for (const auto& v : violations)
        std::printf("%s:%d: %s\n", v.File.c_str(), v.Line, v.Message.c_str());
    std::printf("%d files checked, %zu includes break the layer rules\n", files, violations.size());
    return violations.empty() ? 0 : 1;
}
