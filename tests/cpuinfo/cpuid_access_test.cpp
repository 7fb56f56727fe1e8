#include "identification_fixture.h"

#include <string>

namespace {

constexpr std::uint32_t ExtendedLeaf = 0x80000001;

struct TSignatureCase {
    const char* what;
    std::uint32_t eax;
    std::uint32_t ebx;
    TProcessorSignature expected;
};

class SignatureTest : public TIdentificationCaseTest<TSignatureCase> {
};

TEST_P(SignatureTest, DecodesFourBitsOfEachField)
{
    const TSignatureCase& c = GetParam();
    AnswerCpuid({ { 1, { c.eax, c.ebx, 0xFFFFFFFF, 0xFFFFFFFF } } });
    ProcessorSignature = { 99, 99, 99, 99, 99 };

    DecodeSignature();

    EXPECT_EQ(CPUIDLeaf, 1);
    EXPECT_EQ(ProcessorSignature.Type, c.expected.Type);
    EXPECT_EQ(ProcessorSignature.Family, c.expected.Family);
    EXPECT_EQ(ProcessorSignature.Model, c.expected.Model);
    EXPECT_EQ(ProcessorSignature.Stepping, c.expected.Stepping);
    EXPECT_EQ(ProcessorSignature.BrandIndex, c.expected.BrandIndex);
}

INSTANTIATE_TEST_SUITE_P(Leaf1, SignatureTest,
    ::testing::Values(
        TSignatureCase { "extended family and model ignored", 0x0FFF0F29, 0, { 0, 15, 2, 9, 0 } },
        TSignatureCase { "type keeps the two bits above it", 0x0000F68A, 0, { 15, 6, 8, 10, 0 } },
        TSignatureCase { "brand byte 0x12 is index 2", 0x0000068A, 0x00000012, { 0, 6, 8, 10, 2 } },
        TSignatureCase { "brand index from EBX bits 0-3 only", 0, 0xFFFFFF0B, { 0, 0, 0, 0, 11 } },
        TSignatureCase { "zeros overwrite every field", 0, 0, { 0, 0, 0, 0, 0 } }),
    TCaseNamer());

TEST_F(TIdentificationTest, QueryExecutesTheLeafInCPUIDLeaf)
{
    AnswerCpuid({ { ExtendedLeaf, { 1, 2, 3, 4 } }, { 1, { 5, 6, 7, 8 } } });
    CPUIDLeaf = static_cast<std::int32_t>(ExtendedLeaf);

    const CPUIDRegisters answer = QueryCPUID();

    EXPECT_EQ(answer.EAX, 1u);
    EXPECT_EQ(answer.EBX, 2u);
    EXPECT_EQ(answer.ECX, 3u);
    EXPECT_EQ(answer.EDX, 4u);
}

struct TVendorCase {
    std::string_view registers; // the 12 bytes of EBX, EDX, ECX
    std::string_view vendorString;
    std::string_view vendor; // of TCPUID
};

using namespace std::string_view_literals;

class VendorTest : public TIdentificationCaseTest<TVendorCase> {
};

TEST_P(VendorTest, VendorStringKeepsZeroBytesWhereTCPUIDStops)
{
    const TVendorCase& c = GetParam();
    AnswerCpuid({ { 0, VendorLeaf(c.registers) } });

    EXPECT_EQ(GetVendorString(), c.vendorString);
    EXPECT_EQ(GetVendorString().size(), 12u);
    const TCPUID cpuid;
    EXPECT_EQ(cpuid.Vendor, c.vendor);
    EXPECT_EQ(std::string_view(cpuid.VendorChars.data(), 12), c.registers);
}

INSTANTIATE_TEST_SUITE_P(Leaf0, VendorTest,
    ::testing::Values(TVendorCase { "GenuineIntel"sv, "GenuineIntel"sv, "GenuineIntel"sv },
        TVendorCase { "AuthenticAMD"sv, "AuthenticAMD"sv, "AuthenticAMD"sv },
        TVendorCase { "UMC UMC UMC\0"sv, "UMC UMC UMC\0"sv, "UMC UMC UMC"sv },
        TVendorCase { "Genu\0\0\0\0ntel"sv, "Genu\0\0\0\0ntel"sv, "Genu"sv },
        TVendorCase { "\0\0\0\0\0\0\0\0\0\0\0\0"sv, "\0\0\0\0\0\0\0\0\0\0\0\0"sv, ""sv }));

TEST_F(TIdentificationTest, TCPUIDDecodesLeaf80000001WithoutCheckingTheHighestLeaf)
{
    AnswerCpuid({ { 0, VendorLeaf("AuthenticAMD") },
        { 0x80000000, { 0x80000000, 0, 0, 0 } },
        { ExtendedLeaf, { 0x0FFFF762, 0x11, 0x22, 0x80000003 } } });

    const TCPUID cpuid;

    EXPECT_EQ(cpuid.Available, 1);
    EXPECT_EQ(cpuid.Registers.EAX, 0x0FFFF762u);
    EXPECT_EQ(cpuid.Registers.EBX, 0x11u);
    EXPECT_EQ(cpuid.Registers.ECX, 0x22u);
    EXPECT_EQ(cpuid.Registers.EDX, 0x80000003u);
    EXPECT_EQ(cpuid.Type, 3) << "two bits where the leaf-1 Type keeps four";
    EXPECT_EQ(cpuid.Family, 7);
    EXPECT_EQ(cpuid.Model, 6);
    EXPECT_EQ(cpuid.Stepping, 2);
    std::array<std::uint32_t, 32> features {};
    features[0] = 1; // bit 31
    features[30] = 1; // bit 1
    features[31] = 1; // bit 0
    EXPECT_EQ(cpuid.Features, features);

    ReadExtendedSignature();
    EXPECT_EQ(ExtendedSignature.Family, 7);
    EXPECT_EQ(ExtendedSignature.Model, 6);
    EXPECT_EQ(ExtendedSignature.Stepping, 2);
}

TEST_F(TIdentificationTest, WithoutCPUIDTCPUIDStaysUnknownAndTheExtendedSignatureZero)
{
    AnswerCpuid({ { 0, VendorLeaf("GenuineIntel") }, { ExtendedLeaf, { 0x762, 0, 0, 0xFFFFFFFF } } },
        /*supported=*/false);
    ExtendedSignature = { 9, 9, 9 };

    EXPECT_FALSE(CPUIDSupported());
    const TCPUID cpuid;
    EXPECT_EQ(cpuid.Available, 0);
    EXPECT_EQ(cpuid.Vendor, "unknown");
    EXPECT_EQ(cpuid.Registers.EDX, 0u);
    EXPECT_EQ(cpuid.Family + cpuid.Model + cpuid.Stepping + cpuid.Type, 0);
    EXPECT_EQ(cpuid.Features, (std::array<std::uint32_t, 32> {}));

    ReadExtendedSignature();
    EXPECT_EQ(ExtendedSignature.Family, 0);
    EXPECT_EQ(ExtendedSignature.Model, 0);
    EXPECT_EQ(ExtendedSignature.Stepping, 0);
}

} // namespace
