// The layer rules of the game's sources: which layer may include which, read from docs/layers.txt,
// and the check of one source file's includes against them.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

namespace layercheck {

struct Rules {
    std::map<std::string, std::set<std::string>> Edges;          // layer -> layers it may include
    std::map<std::string, std::set<std::string>> FileExceptions; // file -> extra headers
};

// One include that breaks the rules.
struct Violation {
    std::string File; // relative to the source root, e.g. "race/Boat.cpp"
    int Line = 0;
    std::string Message;
};

// Parses the rules text; false (with the line in error) on a line that is none of the three forms.
bool ParseRules(const std::string& text, Rules& rules, std::string& error);

// The layer of a source path ("race/Boat.cpp" -> "race"); "" when it is not in a checked layer.
std::string LayerOf(const Rules& rules, const std::string& path);

// Checks the includes of one file of a checked layer; appends what breaks the rules.
void CheckFile(const Rules& rules, const std::string& path, const std::string& text,
               std::vector<Violation>& out);

} // namespace layercheck
