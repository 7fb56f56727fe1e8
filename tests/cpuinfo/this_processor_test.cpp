// The processor's own CPUID and time-stamp counter, checked against what
// the kernel reports about it.
#include "clock_speed.h"
#include "identification_fixture.h"
#include "processor_name.h"

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace {

// The fields of the first processor in /proc/cpuinfo.
std::map<std::string, std::string> FirstProcessorInfo()
{
    std::map<std::string, std::string> fields;
    std::ifstream file("/proc/cpuinfo");
    std::string line;
    while (std::getline(file, line) && !line.empty()) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string key = line.substr(0, colon);
        key.erase(key.find_last_not_of(" \t") + 1);
        fields[key] = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    }
    return fields;
}

class ThisProcessorTest : public TIdentificationTest {
protected:
    void SetUp() override
    {
#if !(defined(__x86_64__) || defined(__i386__))
        GTEST_SKIP() << "no CPUID on this architecture";
#endif
        TIdentificationTest::SetUp();
        info_ = FirstProcessorInfo();
    }

    std::map<std::string, std::string> info_;
};

TEST_F(ThisProcessorTest, SignatureMatchesTheKernel)
{
    for (const char* key : { "vendor_id", "cpu family", "model", "stepping" })
        if (!info_.contains(key))
            GTEST_SKIP() << "/proc/cpuinfo has no " << key;

    EXPECT_TRUE(CPUIDSupported());
    EXPECT_EQ(GetVendorString(), info_["vendor_id"]);
    DecodeSignature();
    EXPECT_EQ(ProcessorSignature.Family, std::stoi(info_["cpu family"]) & 15);
    EXPECT_EQ(ProcessorSignature.Model, std::stoi(info_["model"]) & 15);
    EXPECT_EQ(ProcessorSignature.Stepping, std::stoi(info_["stepping"]));
    const TCPUID cpuid;
    EXPECT_EQ(cpuid.Available, 1);
    EXPECT_EQ(cpuid.Vendor, info_["vendor_id"]);
}

#if defined(__x86_64__) || defined(__i386__)
// Time-stamp ticks per microsecond of the monotonic clock over 200 ms.
double TimeStampMegahertz()
{
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t startTicks = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::uint64_t endTicks = __rdtsc();
    const auto end = std::chrono::steady_clock::now();
    return double(endTicks - startTicks) / std::chrono::duration<double, std::micro>(end - start).count();
}

TEST_F(ThisProcessorTest, ClockSpeedIsTheTimeStampCounterRate)
{
    if (info_["flags"].find("constant_tsc") == std::string::npos)
        GTEST_SKIP() << "the time-stamp counter does not run at a constant rate";
    GetProcessorName();

    const double reference = TimeStampMegahertz();
    EXPECT_NEAR(GetClockSpeed(), reference, reference / 100);
}
#endif

} // namespace
