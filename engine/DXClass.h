// The frame timer (the historical file name DXClass stays): calls the game's frame function from
// the main loop's idle processing, no more often than every Interval ms, and says how many
// intervals passed since the last call.
#pragma once
#include <cstdint>
#include <functional>

class TDXTimer {
  public:
    TDXTimer();
    ~TDXTimer();

    // Only run while the application is active (the game's setting).
    bool ActiveOnly = true;

    bool Enabled() const { return enabled_; }
    // Starts or stops the timer (nothing else while the form is still being loaded).
    void SetEnabled(bool value);
    int Interval() const { return interval_; }
    void SetInterval(int value);
    uint32_t StepInterval() const { return stepInterval_; }

    // Measured events per second, updated about once a second.
    int FrameRate = 0;

    // The frame function (Sender is implied) with the lag count, at least 1.
    std::function<void(int lagCount)> OnTimer;
    std::function<void()> OnActivate, OnDeactivate;

    // True while the form is being loaded: Enabled changes are only stored.
    bool Loading = false;
    // The form finished loading: an enabled timer starts.
    void Loaded();

    bool Running() const { return running_; }
    // Whether the idle handler is installed (the main loop calls Idle only then).
    bool IdleInstalled() const { return idleInstalled_; }

    // The application gained / lost activation (the main window's focus).
    void ApplicationActivated();
    void ApplicationDeactivated();
    bool ApplicationActive() const { return appActive_; }

    // One pass of idle processing: fires OnTimer when at least Interval ms have passed since
    // the last event. Returns how many ms remain until the next event is due (0 if it fired and
    // the loop should come back at once), so the main loop can wait for events meanwhile.
    uint32_t Idle();

  private:
    void Start();
    void Stop();
    void InstallIdle();
    void RemoveIdle() { idleInstalled_ = false; }

    bool enabled_ = true;
    int interval_ = 1000;
    uint32_t stepInterval_ = 1000;
    bool running_ = false, idleInstalled_ = false, appActive_ = true;
    uint32_t lastTick_ = 0, rateStart_ = 0;
    int frameCounter_ = 0;
};
