#include "platform/WindowSettings.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

const char* RendererWord(RendererChoice r) {
    switch (r) {
    case RendererChoice::Accelerated:
        return "accelerated";
    case RendererChoice::Software:
        return "software";
    case RendererChoice::Unknown:
        break;
    }
    return "";
}

bool ReadInt(const std::string& v, int& out) {
    const char* end = v.data() + v.size();
    auto [p, ec] = std::from_chars(v.data(), end, out);
    return ec == std::errc() && p == end;
}

} // namespace

std::string FormatWindowSettings(const WindowSettings& s) {
    std::ostringstream o;
    if (s.HasSize) o << "width=" << s.WindowSize.W << "\nheight=" << s.WindowSize.H << "\n";
    if (s.HasPosition) o << "x=" << s.X << "\ny=" << s.Y << "\n";
    o << "maximized=" << (s.Maximized ? 1 : 0) << "\n";
    if (s.Renderer != RendererChoice::Unknown) o << "renderer=" << RendererWord(s.Renderer) << "\n";
    return o.str();
}

bool ParseWindowSettings(const std::string& text, WindowSettings& out, std::string& error) {
    WindowSettings s;
    bool width = false, height = false, x = false, y = false;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            error = "line " + std::to_string(number) + " is not key=value";
            return false;
        }
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        bool ok = true;
        if (key == "width")
            ok = width = ReadInt(value, s.WindowSize.W) && s.WindowSize.W > 0;
        else if (key == "height")
            ok = height = ReadInt(value, s.WindowSize.H) && s.WindowSize.H > 0;
        else if (key == "x")
            ok = x = ReadInt(value, s.X);
        else if (key == "y")
            ok = y = ReadInt(value, s.Y);
        else if (key == "maximized") {
            ok = value == "0" || value == "1";
            s.Maximized = value == "1";
        } else if (key == "renderer") {
            if (value == "accelerated")
                s.Renderer = RendererChoice::Accelerated;
            else if (value == "software")
                s.Renderer = RendererChoice::Software;
            else
                ok = false;
        }
        if (!ok) {
            error = "line " + std::to_string(number) + ": bad " + key + " \"" + value + "\"";
            return false;
        }
    }
    // A size or a position counts only whole.
    s.HasSize = width && height;
    s.HasPosition = x && y;
    out = s;
    return true;
}

WindowSettings LoadWindowSettings(const fs::path& file) {
    WindowSettings s;
    std::ifstream in(file, std::ios::binary);
    if (!in) return s;
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    std::string error;
    if (ParseWindowSettings(text.str(), s, error)) return s;
    fs::path aside = file;
    aside += ".damaged";
    std::error_code ec;
    fs::rename(file, aside, ec);
    std::fprintf(
        stderr, "Spray Dash: %s is damaged (%s); %s, the window starts afresh\n", file.c_str(), error.c_str(),
        ec ? ("it cannot be moved aside: " + ec.message()).c_str() : ("kept as " + aside.string()).c_str());
    return WindowSettings{};
}

bool SaveWindowSettings(const fs::path& file, const WindowSettings& s, std::string& error) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    fs::path temp = file;
    temp += ".tmp";
    const std::string text = FormatWindowSettings(s);
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = "cannot write " + temp.string() + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0 &&
              fsync(fileno(f)) == 0;
    ok = std::fclose(f) == 0 && ok;
    if (ok) {
        fs::rename(temp, file, ec);
        if (!ec) return true;
        error = "cannot replace " + file.string() + ": " + ec.message();
    } else {
        error = "cannot write " + temp.string() + ": " + std::strerror(errno);
    }
    fs::remove(temp, ec);
    return false;
}

StartWindow ChooseStartWindow(const WindowSettings& remembered, const std::vector<Rect>& usable) {
    StartWindow w;
    const Size primary = usable.empty() ? kPictureSize : Size{usable.front().W, usable.front().H};
    w.WindowSize = FirstWindowSize(primary);
    if (remembered.HasSize && remembered.WindowSize.W >= kMinimumWindowSize.W &&
        remembered.WindowSize.H >= kMinimumWindowSize.H) {
        for (const Rect& d : usable)
            if (remembered.WindowSize.W <= d.W && remembered.WindowSize.H <= d.H) {
                w.WindowSize = remembered.WindowSize;
                break;
            }
    }
    if (remembered.HasPosition &&
        PlacementVisible({remembered.X, remembered.Y, w.WindowSize.W, w.WindowSize.H}, usable)) {
        w.Centred = false;
        w.X = remembered.X;
        w.Y = remembered.Y;
    }
    w.Maximized = remembered.Maximized;
    return w;
}

} // namespace platform
