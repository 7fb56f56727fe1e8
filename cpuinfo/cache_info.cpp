#include "cache_info.h"

#include "cpuid_access.h"

#include <cstdio>

std::array<std::string, 8> DescriptorSlots;
std::string L1CodeSizeText;
std::string L1DataSizeText;
std::string L2SizeText;
std::array<std::string, 17> AMDFieldTexts;

namespace {

constexpr std::uint32_t DescriptorLeaf = 2;
constexpr std::uint32_t AMDL1CacheLeaf = 0x80000005;
constexpr std::uint32_t AMDL2CacheLeaf = 0x80000006;

struct TDescriptorCode {
    std::string* sizeText;
    const char* code;
    const char* value;
};

const TDescriptorCode DescriptorCodes[] = {
    // size text, code, value set
    { &L1CodeSizeText, "06", "8" },
    { &L1CodeSizeText, "08", "16" },
    { &L1CodeSizeText, "70", "12" },
    { &L1CodeSizeText, "71", "16" },
    { &L1CodeSizeText, "72", "32" },
    { &L1DataSizeText, "0A", "8" },
    { &L1DataSizeText, "0C", "16" },
    { &L1DataSizeText, "66", "8" },
    { &L1DataSizeText, "67", "16" },
    { &L1DataSizeText, "68", "32" },
    { &L2SizeText, "41", "128" },
    { &L2SizeText, "79", "128" },
    { &L2SizeText, "81", "128" },
    { &L2SizeText, "42", "256" },
    { &L2SizeText, "7A", "256" },
    { &L2SizeText, "82", "256" },
    { &L2SizeText, "43", "512" },
    { &L2SizeText, "7B", "512" },
    { &L2SizeText, "83", "512" },
    { &L2SizeText, "44", "1024" },
    { &L2SizeText, "7C", "1024" },
    { &L2SizeText, "84", "1024" },
    { &L2SizeText, "45", "2048" },
    { &L2SizeText, "85", "2048" },
};

// A piece of a register's eight-digit hexadecimal text, counted from 1.
struct TFieldPiece {
    std::uint32_t CPUIDRegisters::*source;
    std::size_t firstDigit;
    std::size_t digits;
    std::size_t field;
};

constexpr TFieldPiece AMDL2FieldPieces[] = {
    // register, first digit, digits, field
    { &CPUIDRegisters::EBX, 1, 1, 5 },
    { &CPUIDRegisters::EBX, 2, 3, 6 },
    { &CPUIDRegisters::EBX, 5, 1, 7 },
    { &CPUIDRegisters::EBX, 6, 3, 8 },
    { &CPUIDRegisters::ECX, 1, 4, 9 },
    { &CPUIDRegisters::ECX, 5, 1, 10 },
    { &CPUIDRegisters::ECX, 6, 1, 11 },
    { &CPUIDRegisters::ECX, 7, 2, 12 },
};

std::string HexText(std::uint32_t value)
{
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", value);
    return digits;
}

std::string HexPieceAsDecimal(const std::string& hexText, std::size_t firstDigit, std::size_t digits)
{
    return std::to_string(HexTextToInt(hexText.substr(firstDigit - 1, digits)));
}

} // namespace

std::int32_t HexTextToInt(const std::string& text)
{
    if (text.empty())
        return 0;
    std::uint64_t value = 0;
    for (const char digit : text) {
        int digitValue = 0;
        if (digit >= '0' && digit <= '9')
            digitValue = digit - '0';
        else if (digit >= 'A' && digit <= 'F')
            digitValue = digit - 'A' + 10;
        else if (digit >= 'a' && digit <= 'f')
            digitValue = digit - 'a' + 10;
        else
            return 0;
        value = value * 16 + static_cast<std::uint64_t>(digitValue);
        // More than 32 bits is no number of this type either.
        if (value > 0xFFFFFFFFu)
            return 0;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void GetIntelCacheInfo()
{
    const CPUIDRegisters answer = CpuidSource().Query(DescriptorLeaf);
    const std::string eax = HexText(answer.EAX);
    const std::string edx = HexText(answer.EDX);
    // EAX bits 7-0 count the queries, not a descriptor; EBX and ECX are not read.
    for (std::size_t slot = 1; slot <= 3; ++slot)
        DescriptorSlots[slot] = eax.substr((slot - 1) * 2, 2);
    for (std::size_t slot = 4; slot <= 7; ++slot)
        DescriptorSlots[slot] = edx.substr((slot - 4) * 2, 2);

    // A later slot overrides an earlier one.
    for (std::size_t slot = 1; slot <= 7; ++slot)
        for (const TDescriptorCode& code : DescriptorCodes)
            if (DescriptorSlots[slot] == code.code)
                *code.sizeText = code.value;
}

void GetAMDL1CacheInfo()
{
    const CPUIDRegisters answer = CpuidSource().Query(AMDL1CacheLeaf);
    std::size_t field = 1;
    for (const std::uint32_t value : { answer.EAX, answer.EBX, answer.ECX, answer.EDX }) {
        const std::string hexText = HexText(value);
        for (std::size_t firstDigit = 1; firstDigit <= 7; firstDigit += 2)
            AMDFieldTexts[field++] = HexPieceAsDecimal(hexText, firstDigit, 2);
    }
}

void GetAMDL2CacheInfo()
{
    const CPUIDRegisters answer = CpuidSource().Query(AMDL2CacheLeaf);
    for (const TFieldPiece& piece : AMDL2FieldPieces)
        AMDFieldTexts[piece.field] = HexPieceAsDecimal(HexText(answer.*piece.source), piece.firstDigit, piece.digits);
}
