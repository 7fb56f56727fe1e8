#include "identification_fixture.h"

#include <array>

namespace {

struct TDescriptorCase {
    const char* what;
    CPUIDRegisters leaf2;
    std::array<const char*, 7> slots;
    const char* l1Code;
    const char* l1Data;
    const char* l2;
};

class IntelCacheTest : public TIdentificationCaseTest<TDescriptorCase> {
};

TEST_P(IntelCacheTest, DecodesTheSlotsOfEAXAndEDX)
{
    const TDescriptorCase& c = GetParam();
    AnswerCpuid({ { 2, c.leaf2 } });

    GetIntelCacheInfo();

    for (std::size_t slot = 1; slot <= 7; ++slot)
        EXPECT_EQ(DescriptorSlots[slot], c.slots[slot - 1]) << "slot " << slot;
    EXPECT_EQ(L1CodeSizeText, c.l1Code);
    EXPECT_EQ(L1DataSizeText, c.l1Data);
    EXPECT_EQ(L2SizeText, c.l2);
}

INSTANTIATE_TEST_SUITE_P(Leaf2, IntelCacheTest,
    ::testing::Values(
        TDescriptorCase { "trace cache", { 0x665B5001, 0, 0, 0x007A7040 },
            { "66", "5B", "50", "00", "7A", "70", "40" }, "12", "8", "256" },
        TDescriptorCase { "query count not a slot", { 0x03020101, 0, 0, 0x0C040843 },
            { "03", "02", "01", "0C", "04", "08", "43" }, "16", "16", "512" },
        TDescriptorCase { "later slot decides", { 0x00080001, 0, 0, 0x007A7043 },
            { "00", "08", "00", "00", "7A", "70", "43" }, "12", "", "512" },
        TDescriptorCase { "every size text overridden", { 0x7C0A0601, 0, 0, 0x85676872 },
            { "7C", "0A", "06", "85", "67", "68", "72" }, "32", "32", "2048" },
        TDescriptorCase { "EBX and ECX not decoded", { 0, 0x00000043, 0x00000043, 0 },
            { "00", "00", "00", "00", "00", "00", "00" }, "", "", "" },
        TDescriptorCase { "invalid bit decoded as usual", { 0, 0, 0, 0x80000000 },
            { "00", "00", "00", "80", "00", "00", "00" }, "", "", "" }),
    TCaseNamer());

TEST_F(TIdentificationTest, SizeTextsNoCodeSetsKeepTheirContent)
{
    AnswerCpuid({ { 2, { 0x00000001, 0, 0, 0x00000043 } } });
    L1CodeSizeText = "8";
    L1DataSizeText = "16";
    L2SizeText = "128";

    GetIntelCacheInfo();

    EXPECT_EQ(L1CodeSizeText, "8");
    EXPECT_EQ(L1DataSizeText, "16");
    EXPECT_EQ(L2SizeText, "512");
}

TEST_F(TIdentificationTest, AMDLeavesFillTheFieldTexts)
{
    AnswerCpuid({ { 0x80000005, { 0x0408FF08, 0xFF20FF10, 0x40020140, 0x40020140 } },
        { 0x80000006, { 0xFFFFFFFF, 0x42004200, 0x01004220, 0xFFFFFFFF } } });

    GetAMDL1CacheInfo();
    const std::array<std::string, 17> l1 { "", "4", "8", "255", "8", "255", "32", "255", "16", "64", "2", "1",
        "64", "64", "2", "1", "64" };
    EXPECT_EQ(AMDFieldTexts, l1);

    GetAMDL2CacheInfo();
    std::array<std::string, 17> l2 = l1;
    for (std::size_t field = 5; const char* text : { "4", "512", "4", "512", "256", "4", "2", "32" })
        l2[field++] = text;
    EXPECT_EQ(AMDFieldTexts, l2) << "fields 1-4 and 13-16 keep the L1 values";
}

struct THexCase {
    const char* what;
    const char* text;
    std::int32_t value;
};

class HexTextTest : public ::testing::TestWithParam<THexCase> {
};

TEST_P(HexTextTest, ConvertsHexadecimalDigits) { EXPECT_EQ(HexTextToInt(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Texts, HexTextTest,
    ::testing::Values(THexCase { "two digits", "FF", 255 },
        THexCase { "leading zero", "0100", 256 },
        THexCase { "lower case", "ff", 255 },
        THexCase { "empty", "", 0 },
        THexCase { "not a digit first", "G1", 0 },
        THexCase { "not a digit last", "1G", 0 },
        THexCase { "blank", " 1", 0 },
        THexCase { "eight digits wrap to negative", "FFFFFFFF", -1 },
        THexCase { "more than 32 bits", "100000000", 0 }),
    TCaseNamer());

} // namespace
