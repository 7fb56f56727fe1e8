#pragma once
// Recorded CPUID answers of real processors, and a machine that replays
// them: a CPUID source answering from the recording and system timers whose
// time passes only when the program reads a clock or sleeps. Shared by the
// kilnova-cpuid-dump tool and the tests.
#include "cpuid_access.h"
#include "kernel32.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using TKeyValues = std::vector<std::pair<std::string, std::string>>;

// A dump file: "# title", then "CPUID LLLLLLLL: EAX-EBX-ECX-EDX" lines, a
// line of dashes, and key = "value" lines (UTF-8).
struct TCpuidDump {
    std::string title;
    std::map<std::uint32_t, CPUIDRegisters> leaves;
    TKeyValues values;
};

// Raises an Exception naming the file and line when the file is malformed.
TCpuidDump ReadCpuidDump(const std::string& path);

// Simulated time in nanoseconds from 0. Only reading the tick count costs
// time, so the busy waits end, while the sleep is timed exactly.
class TSimulatedClock : public TSystemCalls {
public:
    struct TSetup {
        long double megahertz = 1000; // time-stamp-counter rate
        std::int64_t tickStepNanoseconds = 15'625'000;
        DWORD tickCountAtStart = 0;
        std::int64_t performanceFrequency = 10'000'000;
        std::int64_t tickCountReadNanoseconds = 1'000;
    };

    TSimulatedClock();
    explicit TSimulatedClock(const TSetup& setup);

    void SleepMilliseconds(DWORD milliseconds) override;
    DWORD TickCount() override;
    std::int64_t PerformanceCounter() override;
    std::int64_t PerformanceFrequency() override;

    std::uint64_t TimeStampCounter() const;

private:
    TSetup setup_;
    std::int64_t now_ = 0;
};

// Answers CPUID from a table of leaves; a leaf not in the table answers zeros.
class TRegisterTableSource : public TCpuidSource {
public:
    explicit TRegisterTableSource(std::map<std::uint32_t, CPUIDRegisters> leaves,
        const TSimulatedClock* clock = nullptr, bool supported = true);

    bool Supported() override;
    CPUIDRegisters Query(std::uint32_t leaf) override;
    // The clock's counter, or 0 without a clock.
    std::uint64_t ReadTimeStampCounter() override;

private:
    std::map<std::uint32_t, CPUIDRegisters> leaves_;
    const TSimulatedClock* clock_;
    bool supported_;
};

// Passes the timer calls on and notes which of them were made.
class TRecordingSystemCalls : public TSystemCalls {
public:
    explicit TRecordingSystemCalls(TSystemCalls& timers);

    void SleepMilliseconds(DWORD milliseconds) override;
    DWORD TickCount() override;
    std::int64_t PerformanceCounter() override;
    std::int64_t PerformanceFrequency() override;

    bool TickCountRead() const { return tickCountRead_; }
    bool PerformanceCounterRead() const { return performanceCounterRead_; }

private:
    TSystemCalls& timers_;
    bool tickCountRead_ = false;
    bool performanceCounterRead_ = false;
};

// What the processor information panel shows, filled as the window fills it
// from the installed CPUID source with the given timers. Texts are 8-bit.
struct TPanelValues {
    std::string vendor;
    std::string name;
    std::string process;
    std::string clockMethod; // "tickcount" or "sleep"
    std::string label7;
    std::string label8;
    std::string label9;
    std::string label10;
    std::string label11;
    std::string label14;
};

TPanelValues ReadPanelValues(TSystemCalls& timers);

// The keys of a dump file, in its order, with 8-bit values.
TKeyValues DumpKeyValues(const TPanelValues& panel);

// Between the program's 8-bit texts (the micro sign is 0xB5) and UTF-8.
std::string AnsiToUtf8(const std::string& text);
// Raises an Exception for malformed UTF-8 or a character above U+00FF.
std::string Utf8ToAnsi(const std::string& text);
