// The headless harness: the real main form on an offscreen window with a test-driven clock, in a
// scratch working directory whose Data/Res and Data/Music point at the built game data. Tests step
// frames with chosen lag counts, inject keys, characters, mouse and joystick input, read the game
// state and save the back surface as PNG.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/Form.h"
#include "platform/Clock.h"
#include "platform/HeadlessWindow.h"

// A scratch working directory: Data/Res and Data/Music link to the built data, Data/Save is
// empty (or seeded by the test). The previous working directory comes back on destruction.
class ScratchGameDir {
  public:
    explicit ScratchGameDir(const std::string& name = "");
    ~ScratchGameDir();
    const std::filesystem::path& Path() const { return path_; }
    // Writes a file under Data/Save (e.g. "hs", "options").
    void WriteSave(const std::string& name, const std::string& bytes);
    // Reads a file under Data/Save; empty when it is missing.
    std::string ReadSave(const std::string& name) const;
    bool SaveExists(const std::string& name) const;

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

struct HarnessOptions {
    std::string Name; // scratch folder name (defaults to the running test's name)
    uint32_t ClockStartMs = 1000;
    bool KeepFocus = true;
    std::map<std::string, std::string> Saves; // files put into Data/Save before start-up
};

class GameHarness {
  public:
    explicit GameHarness(HarnessOptions options = {});
    ~GameHarness();

    TMForm& Form() { return *form_; }
    platform::HeadlessWindow& Window() { return window_; }
    platform::FakeClock& Clock() { return clock_; }
    ScratchGameDir& Dir() { return dir_; }

    // Runs one frame: advances the clock by lagCount intervals and lets the main loop run its
    // idle step (events queued before are handled first). Returns false when no frame ran
    // (the timer is stopped or the application is inactive).
    bool Step(int lagCount = 1);
    // Runs Frames frames of lag 1.
    void Steps(int frames);
    // Handles queued events without running a frame.
    void Pump();

    // Input: a key pressed and released (events and keyboard state), held, released.
    void PressKey(int virtualKey, bool alt = false);
    void KeyDown(int virtualKey, bool alt = false);
    void KeyUp(int virtualKey);
    // Typed characters (KeyChar events).
    void Type(const std::string& text);
    // Mouse moved to (x, y), clicked there.
    void MoveMouse(int x, int y);
    void Click(int x, int y);
    // The window's close button.
    void CloseWindow();

    // Saves the back surface (what the next present shows) as PNG.
    bool SaveScreenshot(const std::string& path);
    // Where tests put pictures for a reviewer: <build>/test-output/<name>.png
    static std::string OutputPath(const std::string& name);
    // A digest of the back surface's pixels.
    uint64_t BackSurfaceDigest();

  private:
    ScratchGameDir dir_;
    platform::HeadlessWindow window_;
    platform::FakeClock clock_;
    std::unique_ptr<TMForm> form_;
};

// 64-bit FNV-1a over bytes, for state and picture digests.
uint64_t Fnv1a(const void* data, size_t size, uint64_t seed = 1469598103934665603ull);
