#pragma once
// A clean identification state per test: the process-wide results are never
// cleared by the program, so each test starts from the values of a fresh
// process, and CPUID answers from the registers the test lists.
#include "cache_info.h"
#include "identification_results.h"
#include "cpuid_access.h"
#include "cpuid_dump.h"
#include "kernel32.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <string_view>


// Leaf 0 holding a vendor text of 12 bytes, zero bytes included.
inline CPUIDRegisters VendorLeaf(std::string_view vendor)
{
    const auto word = [&](std::size_t first) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value |= std::uint32_t(static_cast<unsigned char>(vendor.at(first + i))) << (8 * i);
        return value;
    };
    return { 0, word(0), word(8), word(4) };
}

// Leaf-1 EAX of a family, model and stepping, nothing else set.
constexpr std::uint32_t SignatureEax(std::uint32_t family, std::uint32_t model, std::uint32_t stepping)
{
    return family << 8 | model << 4 | stepping;
}

class TIdentificationTest : public ::testing::Test {
protected:
    void SetUp() override { ResetIdentificationResults(); }

    void TearDown() override
    {
        SetCpuidSource(nullptr);
        SetSystemCalls(nullptr);
        ResetIdentificationResults();
    }

    // From now on CPUID answers from these leaves, zeros for the others.
    void AnswerCpuid(std::map<std::uint32_t, CPUIDRegisters> leaves, bool supported = true)
    {
        source_ = std::make_unique<TRegisterTableSource>(std::move(leaves), clock_.get(), supported);
        SetCpuidSource(source_.get());
    }

    // Installs simulated timers, which also drive the time-stamp counter of
    // the CPUID answers installed afterwards.
    TSimulatedClock& SimulateClock(const TSimulatedClock::TSetup& setup)
    {
        clock_ = std::make_unique<TSimulatedClock>(setup);
        SetSystemCalls(clock_.get());
        return *clock_;
    }

private:
    std::unique_ptr<TSimulatedClock> clock_;
    std::unique_ptr<TRegisterTableSource> source_;
};

// A test name from a case's description: letters and digits, the rest "_".
inline std::string CaseName(std::string_view what)
{
    std::string name;
    for (const char c : what)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// Names parameterized tests after the "what" of their cases.
struct TCaseNamer {
    template <typename Info>
    std::string operator()(const Info& info) const
    {
        return CaseName(info.param.what);
    }
};

template <typename Case>
class TIdentificationCaseTest : public TIdentificationTest, public ::testing::WithParamInterface<Case> {
};
