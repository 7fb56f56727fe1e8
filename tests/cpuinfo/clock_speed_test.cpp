#include "clock_speed.h"
#include "exception.h"
#include "identification_fixture.h"

#include <cstdio>

namespace {

constexpr std::int64_t Milliseconds = 1'000'000; // in nanoseconds

struct TTickCountCase {
    const char* what;
    long double megahertz;
    std::int64_t tickStep;
    DWORD tickCountAtStart;
    long double result;
};

class TickCountTest : public TIdentificationCaseTest<TTickCountCase> {
};

// The timed stretch starts at a tick edge and ends one tick step short of
// 1000 ms after the reading before that edge.
TEST_P(TickCountTest, CountsWholeMegahertzOverTheTimedStretch)
{
    const TTickCountCase& c = GetParam();
    SimulateClock({ .megahertz = c.megahertz, .tickStepNanoseconds = c.tickStep, .tickCountAtStart = c.tickCountAtStart });
    AnswerCpuid({});

    EXPECT_EQ(MeasureClockByTickCount(), c.result);
}

INSTANTIATE_TEST_SUITE_P(Steps, TickCountTest,
    ::testing::Values(
        TTickCountCase { "10 ms step", 500, 10 * Milliseconds, 5000, 495 },
        TTickCountCase { "15 625 ms step", 500, 15'625'000, 5000, 492 },
        TTickCountCase { "rounded to whole MHz", 233.3L, 10 * Milliseconds, 5000, 231 },
        TTickCountCase { "16 ms step", 500, 16 * Milliseconds, 5000, 496 },
        TTickCountCase { "tick count wraps past the target", 500, 16 * Milliseconds, 0xFFFFFFFFu - 1003, 496 },
        TTickCountCase { "tick count wraps at the edge", 500, 15'625'000, 0xFFFFFFFFu - 5, 492 }),
    TCaseNamer());

TEST_F(TIdentificationTest, SleepResultIsRoundedToSinglePrecision)
{
    SimulateClock({ .megahertz = 1466.73349L });
    AnswerCpuid({});

    const float megahertz = MeasureClockBySleep(100);

    EXPECT_EQ(static_cast<double>(megahertz), 1466.7335205078125);
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.3f", static_cast<double>(megahertz));
    EXPECT_STREQ(shown, "1466.734");
}

struct TMethodCase {
    const char* what;
    const char* vendor;
    std::int32_t family;
    bool tickCount;
    double result;
};

class ClockMethodTest : public TIdentificationCaseTest<TMethodCase> {
};

// 500 MHz: the tick count with a 15.625 ms step gives 492, the sleep 500.
TEST_P(ClockMethodTest, ChoosesTheMethodByVendorAndFamily)
{
    const TMethodCase& c = GetParam();
    TSimulatedClock& clock = SimulateClock({ .megahertz = 500 });
    AnswerCpuid({ { 0, VendorLeaf(c.vendor) } });
    ProcessorSignature.Family = c.family;
    TRecordingSystemCalls recorder(clock);
    SetSystemCalls(&recorder);

    EXPECT_EQ(GetClockSpeed(), c.result);
    EXPECT_EQ(recorder.TickCountRead(), c.tickCount);
    EXPECT_EQ(recorder.PerformanceCounterRead(), !c.tickCount);
}

INSTANTIATE_TEST_SUITE_P(Vendors, ClockMethodTest,
    ::testing::Values(TMethodCase { "AMD family 4", "AuthenticAMD", 4, false, 500 },
        TMethodCase { "AMD family 5", "AuthenticAMD", 5, true, 492 },
        TMethodCase { "AMD family 6", "AuthenticAMD", 6, false, 500 },
        TMethodCase { "Intel family 5", "GenuineIntel", 5, false, 500 },
        TMethodCase { "Cyrix family 5", "CyrixInstead", 5, false, 500 }),
    TCaseNamer());

// Counts at 10 MHz but reports the frequency it is given.
class TReportedFrequencyClock : public TSimulatedClock {
public:
    explicit TReportedFrequencyClock(std::int64_t reportedFrequency)
        : reportedFrequency_(reportedFrequency)
    {
    }
    std::int64_t PerformanceFrequency() override { return reportedFrequency_; }

private:
    std::int64_t reportedFrequency_;
};

struct TFloatingPointErrorCase {
    const char* what;
    std::int32_t sleepMilliseconds;
    std::int64_t reportedFrequency;
    const char* message;
};

class FloatingPointErrorTest : public TIdentificationCaseTest<TFloatingPointErrorCase> {
};

TEST_P(FloatingPointErrorTest, RaisesAnException)
{
    const TFloatingPointErrorCase& c = GetParam();
    TReportedFrequencyClock clock(c.reportedFrequency);
    SetSystemCalls(&clock);
    AnswerCpuid({});

    try {
        MeasureClockBySleep(c.sleepMilliseconds);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Conditions, FloatingPointErrorTest,
    ::testing::Values(TFloatingPointErrorCase { "zero frequency", 100, 0, "Floating point division by zero" },
        TFloatingPointErrorCase { "no time passed", 0, 10'000'000, "Invalid floating point operation" }),
    TCaseNamer());

TEST_F(TIdentificationTest, ZeroFrequencyFailsTheClockSpeed)
{
    TReportedFrequencyClock clock(0);
    SetSystemCalls(&clock);
    AnswerCpuid({ { 0, VendorLeaf("GenuineIntel") } });

    EXPECT_THROW(GetClockSpeed(), Exception);
}

} // namespace
