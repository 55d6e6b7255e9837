#include "tour/Tour.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/KeyCodes.h"

namespace {

int KeyCode(const std::string& name) {
    static const std::map<std::string, int> named = {
        {"Escape", vk::Escape}, {"Return", vk::Return}, {"BackSpace", vk::Back}, {"Left", vk::Left},
        {"Right", vk::Right},   {"Up", vk::Up},         {"Down", vk::Down}};
    if (auto it = named.find(name); it != named.end()) return it->second;
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') return vk::KeyA + (name[0] - 'a');
    return 0;
}

} // namespace

std::vector<TourStep> ParseTour(const std::string& text, std::string* error) {
    std::vector<TourStep> steps;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "tour line " + std::to_string(number) + ": " + why + ": " + line;
        return std::vector<TourStep>{};
    };
    while (std::getline(lines, line)) {
        ++number;
        std::string body = line.substr(0, line.find('#'));
        std::istringstream words(body);
        std::string word, extra;
        if (!(words >> word)) continue;
        TourStep s;
        if (word == "move") {
            s.Kind = TourStep::Move;
            if (!(words >> s.X >> s.Y) || s.X < 0 || s.X >= 800 || s.Y < 0 || s.Y >= 600)
                return fail("needs a point inside the 800 x 600 window");
        } else if (word == "click") {
            s.Kind = TourStep::Click;
        } else if (word == "key") {
            s.Kind = TourStep::Press;
            if (!(words >> s.Name) || (s.Key = KeyCode(s.Name)) == 0) return fail("unknown key");
        } else if (word == "close") {
            s.Kind = TourStep::Close;
        } else if (word == "shot") {
            s.Kind = TourStep::Shot;
            if (!(words >> s.Name) || s.Name.find('/') != std::string::npos)
                return fail("needs a plain name");
        } else if (word == "exit") {
            s.Kind = TourStep::Exit;
        } else {
            return fail("unknown step");
        }
        if (words >> extra) return fail("too many words");
        steps.push_back(s);
    }
    if (error) error->clear();
    return steps;
}

std::vector<TourStep> ReadTour(const std::string& path, std::string* error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        if (error) *error = "cannot read " + path;
        return {};
    }
    std::ostringstream text;
    text << f.rdbuf();
    return ParseTour(text.str(), error);
}

CaptureMatch CompareCapture(const platform::RgbaImage& capture, const platform::RgbaImage& reference) {
    CaptureMatch m;
    const int rw = reference.Width, rh = reference.Height, cw = capture.Width, ch = capture.Height;
    if (rw <= 0 || rh <= 0 || cw <= 0 || ch <= 0) return m;
    // The game's frame inside the capture: scaled to fit, centred.
    const double scale = std::min(double(cw) / rw, double(ch) / rh);
    const double left = (cw - rw * scale) / 2, top = (ch - rh * scale) / 2;
    // Presenting turns 5-6-5 into 8-bit channels and a scaled frame is filtered: allow for both.
    const int tolerance = (cw == rw && ch == rh) ? 12 : 40;
    long matching = 0, lit = 0;
    for (int y = 0; y < rh; ++y) {
        const int cy = std::clamp(int(top + (y + 0.5) * scale), 0, ch - 1);
        for (int x = 0; x < rw; ++x) {
            const int cx = std::clamp(int(left + (x + 0.5) * scale), 0, cw - 1);
            const uint8_t* c = &capture.Pixels[(size_t(cy) * cw + cx) * 4];
            const uint8_t* r = &reference.Pixels[(size_t(y) * rw + x) * 4];
            int diff = 0;
            for (int k = 0; k < 3; ++k)
                diff = std::max(diff, std::abs(int(c[k]) - int(r[k])));
            if (diff <= tolerance) ++matching;
            if (std::max({c[0], c[1], c[2]}) > 16) ++lit;
        }
    }
    const double total = double(rw) * rh;
    m.Matching = matching / total;
    m.Lit = lit / total;
    return m;
}
