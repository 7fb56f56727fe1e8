#pragma once
// A processor that answers every CPUID leaf with arbitrary bytes, and what
// must hold of the panel's identification whatever it answers.
#include "cache_info.h"
#include "cpuid_access.h"
#include "cpuid_dump.h"
#include "identification_results.h"
#include "processor_name.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>

// The leaves the identification reads, filled from the bytes in turn (zeros
// once they run out). The first byte may put a known vendor text into leaf
// 0, so that every vendor's rules are reached.
inline std::map<std::uint32_t, CPUIDRegisters> ArbitraryLeaves(const std::uint8_t* bytes, std::size_t size)
{
    std::map<std::uint32_t, CPUIDRegisters> leaves;
    std::size_t next = size > 0 ? 1 : 0;
    for (const std::uint32_t leaf : { 0u, 1u, 2u, 0x80000001u, 0x80000005u, 0x80000006u }) {
        std::uint32_t words[4] = {};
        const std::size_t taken = std::min(sizeof words, size - next);
        std::memcpy(words, bytes + next, taken);
        next += taken;
        leaves[leaf] = { words[0], words[1], words[2], words[3] };
    }
    static const char* const vendors[] = { "GenuineIntel", "AuthenticAMD", "CyrixInstead", "CentaurHauls",
                                           "RiseRiseRise", "NexGenDriven", "UMC UMC UMC " };
    if (size > 0 && bytes[0] % 9 < 7) {
        const char* vendor = vendors[bytes[0] % 9];
        std::uint32_t words[3];
        std::memcpy(words, vendor, 12);
        leaves[0].EBX = words[0];
        leaves[0].EDX = words[1];
        leaves[0].ECX = words[2];
    }
    return leaves;
}

// Every name the naming table gives, found by asking for every vendor,
// family, model and brand index it knows.
inline std::set<std::string> TableNames()
{
    std::set<std::string> names;
    static const char* const vendors[] = { "GenuineIntel", "AuthenticAMD", "CyrixInstead", "CentaurHauls",
                                           "RiseRiseRise", "NexGenDriven", "UMC UMC UMCx" };
    for (const char* vendor : vendors) {
        std::uint32_t words[3];
        std::memcpy(words, vendor, 12);
        for (std::uint32_t eax = 0; eax < 0x1000; eax += 0x10) {
            for (std::uint32_t brand = 0; brand < 16; ++brand) {
                TRegisterTableSource source({ { 0, { 0, words[0], words[2], words[1] } }, { 1, { eax, brand, 0, 0 } } });
                SetCpuidSource(&source);
                names.insert(GetProcessorName());
                SetCpuidSource(nullptr);
            }
        }
    }
    return names;
}

inline bool IsDecimalText(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })
           && (text.size() == 1 || text[0] != '0');
}

// What is wrong with the identification's results, or the empty text.
inline std::string InvariantViolation(const TPanelValues& panel, const std::set<std::string>& names)
{
    static const std::set<std::string> processes = { "0.80\xB5", "0.50\xB5", "0.35\xB5", "0.28\xB5", "0.25\xB5",
                                                     "0.18\xB5", "0.13\xB5", "0.09\xB5", "0.30 \xB5m", "0.25 \xB5m",
                                                     "0.18 \xB5m", "??", "" };
    if (panel.vendor.size() != 12)
        return "vendor string of " + std::to_string(panel.vendor.size()) + " characters";
    if (!names.contains(panel.name))
        return "name outside the table: " + panel.name;
    if (!processes.contains(panel.process))
        return "process outside the lists: " + panel.process;
    for (const std::string* text : { &L1CodeSizeText, &L1DataSizeText, &L2SizeText })
        if (!text->empty() && !IsDecimalText(*text))
            return "size text " + *text;
    for (std::size_t field = 1; field < AMDFieldTexts.size(); ++field)
        if (!AMDFieldTexts[field].empty() && !IsDecimalText(AMDFieldTexts[field]))
            return "AMD field " + std::to_string(field) + ": " + AMDFieldTexts[field];
    for (const int value : { ProcessorSignature.Type, ProcessorSignature.Family, ProcessorSignature.Model,
                             ProcessorSignature.Stepping, ProcessorSignature.BrandIndex, ExtendedSignature.Family,
                             ExtendedSignature.Model, ExtendedSignature.Stepping })
        if (value < 0 || value > 15)
            return "signature field " + std::to_string(value);
    return {};
}

// Runs the panel's whole identification on the answers: the violation found,
// or the empty text.
inline std::string IdentifyArbitraryProcessor(const std::uint8_t* bytes, std::size_t size,
                                              const std::set<std::string>& names)
{
    ResetIdentificationResults();
    TSimulatedClock::TSetup quickTicks;
    quickTicks.tickCountReadNanoseconds = 1'000'000;
    TSimulatedClock clock(quickTicks);
    TRegisterTableSource source(ArbitraryLeaves(bytes, size), &clock);
    SetCpuidSource(&source);
    std::string violation;
    try {
        violation = InvariantViolation(ReadPanelValues(clock), names);
    } catch (const std::exception& error) {
        violation = std::string("exception: ") + error.what();
    }
    SetCpuidSource(nullptr);
    return violation;
}
