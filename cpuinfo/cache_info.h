#pragma once
// Cache sizes from the CPUID cache leaves, left behind as decimal texts.
// The texts are never cleared: a text no rule sets keeps what it held.
#include <array>
#include <cstdint>
#include <string>

// The descriptor bytes of leaf 2 as two upper-case hexadecimal digits,
// indexed by slot 1 to 7 (element 0 is unused).
extern std::array<std::string, 8> DescriptorSlots;
extern std::string L1CodeSizeText; // KB, or thousands of micro-operations of a trace cache
extern std::string L1DataSizeText; // KB
extern std::string L2SizeText; // KB

// The bit fields of leaves 0x80000005 and 0x80000006 in decimal, indexed by
// field 1 to 16 (element 0 is unused). Field 9 is the L1 data-cache size
// after GetAMDL1CacheInfo and the L2 size after GetAMDL2CacheInfo; field 13
// is the L1 code-cache size.
extern std::array<std::string, 17> AMDFieldTexts;

void GetIntelCacheInfo();
void GetAMDL1CacheInfo();
// Overwrites fields 5 to 12 only.
void GetAMDL2CacheInfo();

// The value of hexadecimal digits without prefix; 0 for anything else.
std::int32_t HexTextToInt(const std::string& text);
