#include "cpuid_access.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace {

constexpr std::uint32_t VendorLeaf = 0;
constexpr std::uint32_t SignatureLeaf = 1;
constexpr std::uint32_t ExtendedSignatureLeaf = 0x80000001;

#if defined(__x86_64__) || defined(__i386__)

// Inverts the ID flag and tells whether it took. The flag is left inverted.
bool IdFlagToggles()
{
    unsigned long before = 0;
    unsigned long after = 0;
#if defined(__x86_64__)
    // The pushes would otherwise land in the red zone below the stack pointer.
    asm volatile("subq $128, %%rsp\n\t"
                 "pushfq\n\t"
                 "popq %0\n\t"
                 "movq %0, %1\n\t"
                 "xorq $0x200000, %1\n\t"
                 "pushq %1\n\t"
                 "popfq\n\t"
                 "pushfq\n\t"
                 "popq %1\n\t"
                 "addq $128, %%rsp"
                 : "=&r"(before), "=&r"(after)
                 :
                 : "cc", "memory");
#else
    asm volatile("pushfl\n\t"
                 "popl %0\n\t"
                 "movl %0, %1\n\t"
                 "xorl $0x200000, %1\n\t"
                 "pushl %1\n\t"
                 "popfl\n\t"
                 "pushfl\n\t"
                 "popl %1"
                 : "=&r"(before), "=&r"(after)
                 :
                 : "cc", "memory");
#endif
    return before != after;
}

class TProcessorSource final : public TCpuidSource {
public:
    bool Supported() override { return IdFlagToggles(); }

    CPUIDRegisters Query(std::uint32_t leaf) override
    {
        // A processor without CPUID would fault on the instruction.
        static const bool present = IdFlagToggles();
        if (!present)
            return {};
        CPUIDRegisters answer {};
        __cpuid_count(leaf, 0, answer.EAX, answer.EBX, answer.ECX, answer.EDX);
        return answer;
    }

    std::uint64_t ReadTimeStampCounter() override { return __rdtsc(); }
};

#else

// Processors of other architectures have no CPUID and no time-stamp counter.
class TProcessorSource final : public TCpuidSource {
public:
    bool Supported() override { return false; }
    CPUIDRegisters Query(std::uint32_t) override { return {}; }
    std::uint64_t ReadTimeStampCounter() override { return 0; }
};

#endif

TProcessorSource processorSource;
TCpuidSource* installedSource = &processorSource;

// The bytes of the registers, each lowest byte first.
template <typename Append>
void ForEachVendorByte(const CPUIDRegisters& answer, Append append)
{
    for (const std::uint32_t value : { answer.EBX, answer.EDX, answer.ECX })
        for (int shift = 0; shift < 32; shift += 8)
            append(static_cast<char>((value >> shift) & 0xFF));
}

} // namespace

std::int32_t CPUIDLeaf = 0;
TProcessorSignature ProcessorSignature {};
TExtendedSignature ExtendedSignature {};

void SetCpuidSource(TCpuidSource* source) { installedSource = source ? source : &processorSource; }

TCpuidSource& CpuidSource() { return *installedSource; }

bool CPUIDSupported() { return CpuidSource().Supported(); }

CPUIDRegisters QueryCPUID() { return CpuidSource().Query(static_cast<std::uint32_t>(CPUIDLeaf)); }

std::string GetVendorString()
{
    std::string vendor;
    ForEachVendorByte(CpuidSource().Query(VendorLeaf), [&](char byte) { vendor += byte; });
    return vendor;
}

void DecodeSignature()
{
    CPUIDLeaf = SignatureLeaf;
    const CPUIDRegisters answer = QueryCPUID();
    ProcessorSignature.Type = static_cast<std::int32_t>((answer.EAX >> 12) & 15);
    ProcessorSignature.Family = static_cast<std::int32_t>((answer.EAX >> 8) & 15);
    ProcessorSignature.Model = static_cast<std::int32_t>((answer.EAX >> 4) & 15);
    ProcessorSignature.Stepping = static_cast<std::int32_t>(answer.EAX & 15);
    ProcessorSignature.BrandIndex = static_cast<std::int32_t>(answer.EBX & 15);
}

TCPUID::TCPUID()
    : Vendor("unknown")
{
    Available = Detect() ? 1 : 0;
}

bool TCPUID::Detect()
{
    if (!CPUIDSupported())
        return false;
    Registers = CpuidSource().Query(ExtendedSignatureLeaf);
    Type = static_cast<std::int32_t>((Registers.EAX >> 12) & 3);
    Family = static_cast<std::int32_t>((Registers.EAX >> 8) & 15);
    Model = static_cast<std::int32_t>((Registers.EAX >> 4) & 15);
    Stepping = static_cast<std::int32_t>(Registers.EAX & 15);
    for (int i = 0; i < 32; ++i)
        Features[i] = (Registers.EDX >> (31 - i)) & 1;

    std::size_t next = 0;
    ForEachVendorByte(CpuidSource().Query(VendorLeaf), [&](char byte) { VendorChars[next++] = byte; });
    Vendor.assign(VendorChars.data(), strnlen(VendorChars.data(), VendorChars.size()));
    return true;
}

void ReadExtendedSignature()
{
    const TCPUID cpuid;
    ExtendedSignature.Family = cpuid.Family;
    ExtendedSignature.Model = cpuid.Model;
    ExtendedSignature.Stepping = cpuid.Stepping;
}
