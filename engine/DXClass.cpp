#include "engine/DXClass.h"

#include <algorithm>
#include <cmath>

#include "platform/Clock.h"

TDXTimer::TDXTimer() = default;

TDXTimer::~TDXTimer() {
    Stop();
}

void TDXTimer::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    if (Loading) return;
    if (value)
        Start();
    else
        Stop();
}

void TDXTimer::SetInterval(int value) {
    if (interval_ == value) return;
    interval_ = std::max(value, 0);
    stepInterval_ = uint32_t(std::max(value, 1));
}

void TDXTimer::Loaded() {
    Loading = false;
    if (enabled_) Start();
}

void TDXTimer::Start() {
    Stop();
    if (!ActiveOnly || appActive_) InstallIdle();
    running_ = true;
}

void TDXTimer::Stop() {
    if (!running_) return;
    RemoveIdle();
    running_ = false;
}

void TDXTimer::InstallIdle() {
    lastTick_ = platform::GameClock().Milliseconds();
    rateStart_ = lastTick_;
    idleInstalled_ = true;
}

void TDXTimer::ApplicationActivated() {
    appActive_ = true;
    if (OnActivate) OnActivate();
    // Installing again restarts the pace: the first event after coming back has lag 1.
    if (running_ && ActiveOnly) InstallIdle();
}

void TDXTimer::ApplicationDeactivated() {
    appActive_ = false;
    if (OnDeactivate) OnDeactivate();
    if (running_ && ActiveOnly) RemoveIdle();
}

uint32_t TDXTimer::Idle() {
    if (!idleInstalled_) return uint32_t(interval_);
    uint32_t t = platform::GameClock().Milliseconds();
    uint32_t elapsed = t - lastTick_;
    if (elapsed < uint32_t(interval_)) return uint32_t(interval_) - elapsed;
    lastTick_ = t;
    uint32_t lag = elapsed / stepInterval_;
    if (lag < 1) lag = 1;
    ++frameCounter_;
    uint32_t window = std::max<uint32_t>(t - rateStart_, 1);
    if (window >= 1000) {
        FrameRate = int(std::lround(double(frameCounter_) * 1000.0 / double(window)));
        frameCounter_ = 0;
        rateStart_ = t;
    }
    if (OnTimer) OnTimer(int(lag));
    return 0;
}
