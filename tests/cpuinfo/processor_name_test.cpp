#include "identification_fixture.h"
#include "processor_name.h"

namespace {

using namespace std::string_view_literals;

struct TNameCase {
    const char* what;
    std::string_view vendor;
    std::uint32_t family;
    std::uint32_t model;
    std::uint32_t brandByte;
    std::string_view name;
};

class ProcessorNameTest : public TIdentificationCaseTest<TNameCase> {
};

TEST_P(ProcessorNameTest, NamesFromTheTable)
{
    const TNameCase& c = GetParam();
    AnswerCpuid({ { 0, VendorLeaf(c.vendor) }, { 1, { SignatureEax(c.family, c.model, 3), c.brandByte, 0, 0 } } });

    EXPECT_EQ(GetProcessorName(), c.name);
}

INSTANTIATE_TEST_SUITE_P(Rules, ProcessorNameTest,
    ::testing::Values(
        TNameCase { "Intel 6 8 brand 2", "GenuineIntel", 6, 8, 2, "Pentium III" },
        TNameCase { "Intel 6 8 brand 0 takes the other row", "GenuineIntel", 6, 8, 0, "Pentium III class" },
        TNameCase { "Intel 6 8 brand byte 0x12", "GenuineIntel", 6, 8, 0x12, "Pentium III" },
        TNameCase { "Intel 6 8 brand 1", "GenuineIntel", 6, 8, 1, "Celeron" },
        TNameCase { "Intel 6 5 brand 1", "GenuineIntel", 6, 5, 1, "Celeron (Model 5)" },
        TNameCase { "Intel 6 5 brand 7", "GenuineIntel", 6, 5, 7, "P2 (Model 5)" },
        TNameCase { "Intel 6 9 other model", "GenuineIntel", 6, 9, 0, "Pentium II/III class" },
        TNameCase { "Intel 4 6 other model", "GenuineIntel", 4, 6, 0, "486 class" },
        TNameCase { "Intel 5 8 micro sign", "GenuineIntel", 5, 8, 0, "P55C (0.25\xB5m)" },
        TNameCase { "Intel 7 any model", "GenuineIntel", 7, 9, 5, "Itanium1" },
        TNameCase { "Intel 15 1 brand 8", "GenuineIntel", 15, 1, 8, "Pentium 4" },
        TNameCase { "Intel 15 1 brand 9 has no row", "GenuineIntel", 15, 1, 9, "" },
        TNameCase { "Intel 15 2 brand 13 has no row", "GenuineIntel", 15, 2, 13, "" },
        TNameCase { "Intel 15 2 brand 11 ends in a blank", "GenuineIntel", 15, 2, 11, "Pentium 4 Xeon " },
        TNameCase { "Intel 15 2 brand 12 ends in a blank", "GenuineIntel", 15, 2, 12, "Pentium 4 Xeon MP " },
        TNameCase { "Intel 15 3 any brand", "GenuineIntel", 15, 3, 13, "Pentium 4b" },
        TNameCase { "Intel 15 4 other model", "GenuineIntel", 15, 4, 8, "Pentium 4 class" },
        TNameCase { "Intel family 3 has no rows", "GenuineIntel", 3, 0, 0, "" },
        TNameCase { "Intel family 8 has no rows", "GenuineIntel", 8, 0, 0, "" },
        TNameCase { "vendor in other letter case", "genuineintel", 6, 8, 2, "" },
        TNameCase { "unknown vendor", "GenuineIntex", 6, 8, 2, "" },
        TNameCase { "Centaur 6 7", "CentaurHauls", 6, 7, 0, "VIA C3 Samuel 2" },
        TNameCase { "Centaur 5 4", "CentaurHauls", 5, 4, 0, "C6" },
        TNameCase { "AMD 15 2 other model", "AuthenticAMD", 15, 2, 0, "??" },
        TNameCase { "AMD 7 1", "AuthenticAMD", 7, 1, 0, "Athlon" },
        TNameCase { "AMD 4 14", "AuthenticAMD", 4, 14, 0, "Am5x86" },
        TNameCase { "AMD 6 6", "AuthenticAMD", 6, 6, 0, "Athlon XP/MP (PM core)" },
        TNameCase { "Cyrix 6 8 ends in a blank", "CyrixInstead", 6, 8, 0, "WinChip C5C " },
        TNameCase { "Rise 5 2", "RiseRiseRise", 5, 2, 0, "mP6" },
        TNameCase { "NexGen 5 0", "NexGenDriven", 5, 0, 0, "Nx586" },
        TNameCase { "UMC by its first 11 characters", "UMC UMC UMC\0"sv, 4, 1, 0, "U5D" },
        TNameCase { "UMC whatever the twelfth character", "UMC UMC UMC "sv, 4, 9, 0, "Pentium class" },
        TNameCase { "UMC text not at the start", " UMC UMC UMC"sv, 4, 1, 0, "" }),
    TCaseNamer());

TEST_F(TIdentificationTest, MicroSignIsOneCharacter)
{
    AnswerCpuid({ { 0, VendorLeaf("GenuineIntel") }, { 1, { SignatureEax(5, 8, 1), 0, 0, 0 } } });

    const std::string name = GetProcessorName();

    EXPECT_EQ(name.size(), 13u);
    EXPECT_EQ(name[10], '\xB5');
}

TEST_F(TIdentificationTest, NamingDecodesTheSignature)
{
    AnswerCpuid({ { 0, VendorLeaf("CyrixInstead") }, { 1, { SignatureEax(6, 5, 4), 0x07, 0, 0 } } });

    EXPECT_EQ(GetProcessorName(), "Cyrix M2 core");

    EXPECT_EQ(CPUIDLeaf, 1);
    EXPECT_EQ(ProcessorSignature.Family, 6);
    EXPECT_EQ(ProcessorSignature.Model, 5);
    EXPECT_EQ(ProcessorSignature.Stepping, 4);
    EXPECT_EQ(ProcessorSignature.BrandIndex, 7);
}

} // namespace
