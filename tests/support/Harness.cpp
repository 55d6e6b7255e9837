#include "Harness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/Application.h"
#include "engine/DXDraw.h"
#include "platform/KeyCodes.h"
#include "platform/Png.h"
#include "race/RaceState.h"
#include "stage/GameState.h"

namespace fs = std::filesystem;

uint64_t Fnv1a(const void* data, size_t size, uint64_t h) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    return h;
}

namespace {
std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info) return "harness";
    std::string n = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : n)
        if (c == '/') c = '_';
    return n;
}
} // namespace

ScratchGameDir::ScratchGameDir(const std::string& name) {
    previous_ = fs::current_path();
    path_ = fs::path(SPRAYDASH_BINARY_DIR) / "test-scratch" / (name.empty() ? CurrentTestName() : name);
    fs::remove_all(path_);
    fs::create_directories(path_ / "Data" / "Save");
    for (const char* sub : {"Res", "Music", "Fonts"}) {
        fs::path target = fs::path(SPRAYDASH_DATA_DIR) / sub;
        if (fs::exists(target)) fs::create_directory_symlink(target, path_ / "Data" / sub);
    }
    fs::current_path(path_);
}

ScratchGameDir::~ScratchGameDir() {
    std::error_code ec;
    fs::current_path(previous_, ec);
}

void ScratchGameDir::WriteSave(const std::string& name, const std::string& bytes) {
    std::ofstream f(path_ / "Data" / "Save" / name, std::ios::binary);
    f << bytes;
}

std::string ScratchGameDir::ReadSave(const std::string& name) const {
    std::ifstream f(path_ / "Data" / "Save" / name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool ScratchGameDir::SaveExists(const std::string& name) const {
    return fs::exists(path_ / "Data" / "Save" / name);
}

GameHarness::GameHarness(HarnessOptions options) : dir_(options.Name), clock_(options.ClockStartMs) {
    platform::SetGameClock(&clock_);
    // Every harness starts from the program's first state, whatever earlier tests left.
    ResetGameState();
    ResetRaceState();
    window_.SetForeground(options.KeepFocus);
    for (const auto& [name, bytes] : options.Saves)
        dir_.WriteSave(name, bytes);
    form_ = std::make_unique<TMForm>(window_);
}

GameHarness::~GameHarness() {
    form_.reset();
    platform::SetGameClock(nullptr);
}

bool GameHarness::Step(int lagCount) {
    Pump();
    if (!form_->MDXTimer.IdleInstalled()) return false;
    clock_.Advance(uint32_t(lagCount) * uint32_t(form_->MDXTimer.Interval()));
    uint64_t before = form_->MDXDraw.PresentCount();
    RunLoopOnce(*form_, window_, false);
    (void)before;
    return true;
}

void GameHarness::Steps(int frames) {
    for (int i = 0; i < frames; ++i)
        Step(1);
}

void GameHarness::Pump() {
    platform::Event e;
    while (!form_->Terminated() && window_.PollEvent(e))
        form_->HandleEvent(e);
}

void GameHarness::KeyDown(int key, bool alt) {
    platform::Event e;
    e.Kind = platform::EventKind::KeyDown;
    e.Key = key;
    e.Alt = alt;
    window_.Inject(e);
    if (!alt && (key == vk::Back || key == vk::Return || key == vk::Escape)) {
        platform::Event c;
        c.Kind = platform::EventKind::KeyChar;
        c.Char = uint8_t(key);
        window_.Inject(c);
    }
    Pump();
}

void GameHarness::KeyUp(int key) {
    platform::Event e;
    e.Kind = platform::EventKind::KeyUp;
    e.Key = key;
    window_.Inject(e);
    Pump();
}

void GameHarness::PressKey(int key, bool alt) {
    KeyDown(key, alt);
    KeyUp(key);
}

void GameHarness::Type(const std::string& text) {
    for (char ch : text) {
        platform::Event c;
        c.Kind = platform::EventKind::KeyChar;
        c.Char = uint8_t(ch);
        window_.Inject(c);
    }
    Pump();
}

void GameHarness::MoveMouse(int x, int y) {
    platform::Event e;
    e.Kind = platform::EventKind::MouseMove;
    e.X = x;
    e.Y = y;
    window_.Inject(e);
    Pump();
}

void GameHarness::Click(int x, int y) {
    MoveMouse(x, y);
    platform::Event e;
    e.X = x;
    e.Y = y;
    e.Button = 1;
    e.Kind = platform::EventKind::MouseDown;
    window_.Inject(e);
    e.Kind = platform::EventKind::MouseUp;
    window_.Inject(e);
    e.Kind = platform::EventKind::Click;
    window_.Inject(e);
    Pump();
}

void GameHarness::CloseWindow() {
    platform::Event e;
    e.Kind = platform::EventKind::CloseRequest;
    window_.Inject(e);
    Pump();
}

std::string GameHarness::OutputPath(const std::string& name) {
    fs::path dir = fs::path(SPRAYDASH_BINARY_DIR) / "test-output";
    fs::create_directories(dir);
    return (dir / (name + ".png")).string();
}

bool GameHarness::SaveScreenshot(const std::string& path) {
    TDirectDrawSurface& s = form_->MDXDraw.BackSurface();
    if (!s.HasPixels()) return false;
    return platform::SavePng565(path, s.Pixels(), s.Width(), s.Height(), s.PitchPixels());
}

uint64_t GameHarness::BackSurfaceDigest() {
    TDirectDrawSurface& s = form_->MDXDraw.BackSurface();
    return Fnv1a(s.Pixels(), size_t(s.Width()) * size_t(s.Height()) * 2);
}
