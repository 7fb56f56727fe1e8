#include "clock_speed.h"

#include "cpuid_access.h"
#include "exception.h"
#include "kernel32.h"

#include <cfenv>
#include <cmath>

namespace {

constexpr DWORD TickCountWaitMilliseconds = 1000;
constexpr std::int32_t SleepMilliseconds = 100;

// Runs a computation in extended precision with rounding to nearest and
// raises the floating-point conditions that the program does not mask.
// Callers read their operands from volatile variables inside the
// computation, so the compiler cannot move it past the flag test.
template <typename Computation>
long double CheckedFloatingPoint(Computation computation)
{
    const int rounding = std::fegetround();
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
    const volatile long double result = computation();
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    std::fesetround(rounding);
    if (raised & FE_INVALID)
        throw Exception("Invalid floating point operation");
    if (raised & FE_DIVBYZERO)
        throw Exception("Floating point division by zero");
    if (raised & FE_OVERFLOW)
        throw Exception("Floating point overflow");
    return result;
}

// A 64-bit difference, wrapping as the counters' arithmetic does.
std::int64_t Difference(std::uint64_t later, std::uint64_t earlier)
{
    return static_cast<std::int64_t>(later - earlier);
}

} // namespace

std::uint64_t ReadTimeStampCounter() { return CpuidSource().ReadTimeStampCounter(); }

long double MeasureClockByTickCount()
{
    const DWORD t0 = GetTickCount();
    while (GetTickCount() == t0) {
    }
    const std::uint64_t start = ReadTimeStampCounter();
    // The unsigned distance from t0 keeps growing across a wrap of the tick count.
    while (GetTickCount() - t0 < TickCountWaitMilliseconds) {
    }
    const std::uint64_t end = ReadTimeStampCounter();

    const volatile long double ticks = static_cast<long double>(Difference(end, start));
    return CheckedFloatingPoint([&] { return std::nearbyint(ticks / 1'000'000.0L); });
}

float MeasureClockBySleep(std::int32_t milliseconds)
{
    const std::uint64_t t1 = ReadTimeStampCounter();
    std::int64_t q1 = 0;
    QueryPerformanceCounter(&q1);
    Sleep(static_cast<DWORD>(milliseconds));
    const std::uint64_t t2 = ReadTimeStampCounter();
    std::int64_t q2 = 0;
    QueryPerformanceCounter(&q2);
    std::int64_t frequency = 0;
    QueryPerformanceFrequency(&frequency);

    const volatile long double ticks = static_cast<long double>(Difference(t2, t1));
    const volatile long double counts
        = static_cast<long double>(Difference(static_cast<std::uint64_t>(q2), static_cast<std::uint64_t>(q1)));
    const volatile long double countsPerSecond = static_cast<long double>(frequency);
    return static_cast<float>(CheckedFloatingPoint([&] {
        const long double seconds = counts / countsPerSecond;
        const long double megahertz = ticks / seconds / 1'000'000.0L;
        return static_cast<long double>(static_cast<float>(megahertz));
    }));
}

double GetClockSpeed()
{
    // Only AMD processors of family 5 are timed by the tick count.
    if (GetVendorString() == "AuthenticAMD" && ProcessorSignature.Family == 5)
        return static_cast<double>(MeasureClockByTickCount());
    return MeasureClockBySleep(SleepMilliseconds);
}
