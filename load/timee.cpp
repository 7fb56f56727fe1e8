#include "timee.h"

#include <cstdio>

std::int32_t RunLength = 0;
std::atomic<std::uint8_t> RunFinished { 0 };
std::atomic<THandle> TimerHandle { 0 };

namespace {

// Whole numbers in the general format with 15 significant digits.
std::string GeneralText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

} // namespace

TElapsedTexts ElapsedTexts(std::int32_t tickCount)
{
    return { std::to_string(tickCount % 60) + " Sec", GeneralText(tickCount / 60) + " Min",
             GeneralText(tickCount / 3600) + " Hour" };
}

TTimee::TTimee(std::function<void(const TElapsedTexts&)> showElapsed, std::function<void()> endRun)
    : showElapsed(std::move(showElapsed)), endRun(std::move(endRun))
{
}

void TTimee::Execute()
{
    TimerHandle = Handle();
    std::int32_t tickCount = 1;
    do {
        Queue([show = showElapsed, texts = ElapsedTexts(tickCount)] { show(texts); });
        Sleep(1000);
        ++tickCount;
    } while (tickCount != RunLength);
    RunFinished = 1;
    Queue(endRun);
}
