#include "cpuid_dump.h"

#include "exception.h"
#include "process_technology.h"
#include "processor_name.h"
#include "processorpanel.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

constexpr std::int64_t NanosecondsPerMillisecond = 1'000'000;
constexpr std::int64_t NanosecondsPerSecond = 1'000'000'000;
// A measurement that waits longer than this has lost track of time.
constexpr std::int64_t SimulatedTimeLimit = 60 * NanosecondsPerSecond;

bool IsDashLine(const std::string& line) { return line.size() >= 3 && line.find_first_not_of('-') == std::string::npos; }

bool ParseLeafLine(const std::string& line, std::uint32_t& leaf, CPUIDRegisters& answer)
{
    int consumed = 0;
    const int fields = std::sscanf(line.c_str(), "CPUID %8" SCNx32 ": %8" SCNx32 "-%8" SCNx32 "-%8" SCNx32 "-%8" SCNx32 "%n",
        &leaf, &answer.EAX, &answer.EBX, &answer.ECX, &answer.EDX, &consumed);
    return fields == 5 && static_cast<std::size_t>(consumed) == line.size();
}

bool ParseValueLine(const std::string& line, std::pair<std::string, std::string>& value)
{
    const std::size_t separator = line.find(" = \"");
    if (separator == std::string::npos || separator == 0 || line.back() != '"' || line.size() < separator + 5)
        return false;
    value.first = line.substr(0, separator);
    value.second = line.substr(separator + 4, line.size() - separator - 5);
    return true;
}

// Installs calls for the lifetime of the object.
class TInstalledSystemCalls {
public:
    explicit TInstalledSystemCalls(TSystemCalls& calls)
        : previous_(SystemCalls())
    {
        SetSystemCalls(&calls);
    }
    ~TInstalledSystemCalls() { SetSystemCalls(&previous_); }
    TInstalledSystemCalls(const TInstalledSystemCalls&) = delete;
    TInstalledSystemCalls& operator=(const TInstalledSystemCalls&) = delete;

private:
    TSystemCalls& previous_;
};

} // namespace

TCpuidDump ReadCpuidDump(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw Exception(FormatText("Cannot open %s", path.c_str()));
    TCpuidDump dump;
    bool inValues = false;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::uint32_t leaf = 0;
        CPUIDRegisters answer {};
        std::pair<std::string, std::string> value;
        if (number == 1 && line.starts_with("# "))
            dump.title = line.substr(2);
        else if (line.empty())
            continue;
        else if (!inValues && IsDashLine(line))
            inValues = true;
        else if (!inValues && ParseLeafLine(line, leaf, answer))
            dump.leaves[leaf] = answer;
        else if (inValues && ParseValueLine(line, value))
            dump.values.push_back(value);
        else
            throw Exception(FormatText("%s:%d: not a line of a CPUID dump", path.c_str(), number));
    }
    return dump;
}

TSimulatedClock::TSimulatedClock()
    : TSimulatedClock(TSetup {})
{
}

TSimulatedClock::TSimulatedClock(const TSetup& setup)
    : setup_(setup)
{
}

void TSimulatedClock::SleepMilliseconds(DWORD milliseconds)
{
    now_ += static_cast<std::int64_t>(milliseconds) * NanosecondsPerMillisecond;
}

DWORD TSimulatedClock::TickCount()
{
    now_ += setup_.tickCountReadNanoseconds;
    if (now_ > SimulatedTimeLimit)
        throw std::runtime_error("the tick count was read for more than a minute of simulated time");
    const std::int64_t tickTime = now_ / setup_.tickStepNanoseconds * setup_.tickStepNanoseconds;
    return setup_.tickCountAtStart + static_cast<DWORD>(tickTime / NanosecondsPerMillisecond);
}

std::int64_t TSimulatedClock::PerformanceCounter()
{
    return static_cast<std::int64_t>(static_cast<__int128>(now_) * setup_.performanceFrequency / NanosecondsPerSecond);
}

std::int64_t TSimulatedClock::PerformanceFrequency() { return setup_.performanceFrequency; }

std::uint64_t TSimulatedClock::TimeStampCounter() const
{
    return static_cast<std::uint64_t>(std::llround(static_cast<long double>(now_) * setup_.megahertz / 1000));
}

TRegisterTableSource::TRegisterTableSource(
    std::map<std::uint32_t, CPUIDRegisters> leaves, const TSimulatedClock* clock, bool supported)
    : leaves_(std::move(leaves))
    , clock_(clock)
    , supported_(supported)
{
}

bool TRegisterTableSource::Supported() { return supported_; }

CPUIDRegisters TRegisterTableSource::Query(std::uint32_t leaf)
{
    const auto found = leaves_.find(leaf);
    return found == leaves_.end() ? CPUIDRegisters {} : found->second;
}

std::uint64_t TRegisterTableSource::ReadTimeStampCounter() { return clock_ ? clock_->TimeStampCounter() : 0; }

TRecordingSystemCalls::TRecordingSystemCalls(TSystemCalls& timers)
    : timers_(timers)
{
}

void TRecordingSystemCalls::SleepMilliseconds(DWORD milliseconds) { timers_.SleepMilliseconds(milliseconds); }

DWORD TRecordingSystemCalls::TickCount()
{
    tickCountRead_ = true;
    return timers_.TickCount();
}

std::int64_t TRecordingSystemCalls::PerformanceCounter()
{
    performanceCounterRead_ = true;
    return timers_.PerformanceCounter();
}

std::int64_t TRecordingSystemCalls::PerformanceFrequency() { return timers_.PerformanceFrequency(); }

TPanelValues ReadPanelValues(TSystemCalls& timers)
{
    TPanelValues panel;
    panel.label9 = "Label9";
    panel.label10 = "Label10";
    std::string* const texts[] = { &panel.label7, &panel.label8, &panel.label9,
                                   &panel.label10, &panel.label11, &panel.label14 };
    TRecordingSystemCalls recorder(timers);
    {
        const TInstalledSystemCalls installed(recorder);
        FillProcessorPanel([&](TPanelLabel label, const std::string& text) { *texts[int(label)] = text; });
    }
    panel.clockMethod = recorder.TickCountRead() ? "tickcount" : "sleep";
    panel.vendor = GetVendorString();
    panel.name = GetProcessorName();
    panel.process = GetProcessTechnology();
    return panel;
}

TKeyValues DumpKeyValues(const TPanelValues& panel)
{
    return {
        { "vendor", panel.vendor },
        { "name", panel.name },
        { "process", panel.process },
        { "clock_method", panel.clockMethod },
        { "label7", panel.label7 },
        { "label9", panel.label9 },
        { "label10", panel.label10 },
        { "label11", panel.label11 },
        { "label14", panel.label14 },
    };
}

std::string AnsiToUtf8(const std::string& text)
{
    std::string utf8;
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x80) {
            utf8 += character;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::string Utf8ToAnsi(const std::string& text)
{
    std::string ansi;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            ansi += text[i];
            continue;
        }
        const bool twoByteLatin1 = (byte == 0xC2 || byte == 0xC3) && i + 1 < text.size()
            && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80;
        if (!twoByteLatin1)
            throw Exception(FormatText("Not an 8-bit character at byte %zu of \"%s\"", i, text.c_str()));
        ansi += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
        ++i;
    }
    return ansi;
}
