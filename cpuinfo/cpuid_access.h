#pragma once
// CPUID access and the processor signatures decoded from it. Every CPUID
// execution and every time-stamp-counter reading goes through one
// replaceable source, so that tests can answer with recorded registers.
#include <array>
#include <cstdint>
#include <string>

struct CPUIDRegisters {
    std::uint32_t EAX;
    std::uint32_t EBX;
    std::uint32_t ECX;
    std::uint32_t EDX;
};

// The processor instructions beneath identification.
class TCpuidSource {
public:
    virtual ~TCpuidSource() = default;
    // The EFLAGS ID-flag test: true when the processor has CPUID.
    virtual bool Supported() = 0;
    // CPUID with the leaf in EAX and ECX 0.
    virtual CPUIDRegisters Query(std::uint32_t leaf) = 0;
    virtual std::uint64_t ReadTimeStampCounter() = 0;
};

// Installs a replacement source (nullptr: the processor's own again).
void SetCpuidSource(TCpuidSource* source);
TCpuidSource& CpuidSource();

struct TProcessorSignature {
    std::int32_t Type;
    std::int32_t Family;
    std::int32_t Model;
    std::int32_t Stepping;
    std::int32_t BrandIndex;
};

struct TExtendedSignature {
    std::int32_t Family;
    std::int32_t Model;
    std::int32_t Stepping;
};

// The leaf QueryCPUID executes.
extern std::int32_t CPUIDLeaf;
// Leaf 1, four bits per field, filled by DecodeSignature.
extern TProcessorSignature ProcessorSignature;
// Leaf 0x80000001, filled by ReadExtendedSignature.
extern TExtendedSignature ExtendedSignature;

bool CPUIDSupported();
CPUIDRegisters QueryCPUID();
// Always 12 characters: zero bytes are kept as characters.
std::string GetVendorString();
void DecodeSignature();
void ReadExtendedSignature();

// The extended signature, features and vendor of the processor, read once
// at construction.
class TCPUID {
public:
    TCPUID();

    std::uint8_t Available = 0;
    CPUIDRegisters Registers {};
    std::int32_t Type = 0;
    std::int32_t Family = 0;
    std::int32_t Model = 0;
    std::int32_t Stepping = 0;
    std::array<char, 12> VendorChars {};
    std::string Vendor;
    // EDX of leaf 0x80000001, highest bit first.
    std::array<std::uint32_t, 32> Features {};

private:
    bool Detect();
};
