#pragma once
// The elapsed-time thread of a run, and the values shared by a run's threads.
#include "thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// Tick count at which the current run ends; written by Start before any
// thread of the run is resumed.
extern std::int32_t RunLength;
// 1 once the current run's time is up.
extern std::atomic<std::uint8_t> RunFinished;
extern std::atomic<THandle> TimerHandle;

struct TElapsedTexts {
    std::string seconds;
    std::string minutes;
    std::string hours;
};

// The texts of the seconds, minutes and hours labels for a tick count.
TElapsedTexts ElapsedTexts(std::int32_t tickCount);

// Ticks once a second up to RunLength, then ends the run. It touches no
// widget: both callbacks run on the UI thread.
class TTimee : public TThread {
public:
    TTimee(std::function<void(const TElapsedTexts&)> showElapsed, std::function<void()> endRun);

protected:
    void Execute() override;

private:
    std::function<void(const TElapsedTexts&)> showElapsed;
    std::function<void()> endRun;
};
