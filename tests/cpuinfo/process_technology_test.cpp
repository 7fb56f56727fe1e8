#include "identification_fixture.h"
#include "process_technology.h"

namespace {

using namespace std::string_view_literals;

struct TProcessCase {
    const char* what;
    std::string_view vendor;
    std::int32_t family;
    std::int32_t model;
    std::int32_t stepping;
    std::string_view process;
};

class ProcessTechnologyTest : public TIdentificationCaseTest<TProcessCase> {
};

// The lookup reads the signature that was decoded last; leaf 1 answers zeros.
TEST_P(ProcessTechnologyTest, LooksUpTheDecodedSignature)
{
    const TProcessCase& c = GetParam();
    AnswerCpuid({ { 0, VendorLeaf(c.vendor) } });
    ProcessorSignature = { 0, c.family, c.model, c.stepping, 0 };

    EXPECT_EQ(GetProcessTechnology(), c.process);
}

INSTANTIATE_TEST_SUITE_P(Lists, ProcessTechnologyTest,
    ::testing::Values(
        TProcessCase { "Intel 6810", "GenuineIntel", 6, 8, 10, "0.18\xB5" },
        TProcessCase { "Intel 1524", "GenuineIntel", 15, 2, 4, "0.13\xB5" },
        TProcessCase { "Intel 6 1 11 key 6111", "GenuineIntel", 6, 1, 11, "0.13\xB5" },
        TProcessCase { "Intel 6 11 1 shares key 6111", "GenuineIntel", 6, 11, 1, "0.13\xB5" },
        TProcessCase { "Intel 1507", "GenuineIntel", 15, 0, 7, "0.18\xB5" },
        TProcessCase { "Intel 15010", "GenuineIntel", 15, 0, 10, "0.18\xB5" },
        TProcessCase { "Intel 650 before the family 5 rows", "GenuineIntel", 6, 5, 0, "0.25\xB5" },
        TProcessCase { "Intel model 3 alone", "GenuineIntel", 6, 3, 5, "0.09\xB5" },
        TProcessCase { "Intel model 2 alone", "GenuineIntel", 15, 2, 9, "0.13\xB5" },
        TProcessCase { "Intel 670 unknown", "GenuineIntel", 6, 7, 0, "??" },
        TProcessCase { "Intel 5 2 stepping 0", "GenuineIntel", 5, 2, 0, "0.50\xB5" },
        TProcessCase { "Intel 5 2 stepping 15", "GenuineIntel", 5, 2, 15, "0.50\xB5" },
        TProcessCase { "Intel 5 8", "GenuineIntel", 5, 8, 1, "0.25\xB5" },
        TProcessCase { "AMD 5 6", "AuthenticAMD", 5, 6, 2, "0.30 \xB5m" },
        TProcessCase { "AMD 5 8", "AuthenticAMD", 5, 8, 0, "0.25 \xB5m" },
        TProcessCase { "AMD 5 13", "AuthenticAMD", 5, 13, 0, "0.18 \xB5m" },
        TProcessCase { "AMD 5 1 any other key", "AuthenticAMD", 5, 1, 0, "0.13\xB5" },
        TProcessCase { "AMD 611", "AuthenticAMD", 6, 1, 1, "0.25\xB5" },
        TProcessCase { "AMD 644", "AuthenticAMD", 6, 4, 4, "0.18\xB5" },
        TProcessCase { "AMD 6 8", "AuthenticAMD", 6, 8, 0, "0.13\xB5" },
        TProcessCase { "AMD family 15", "AuthenticAMD", 15, 6, 2, "0.13\xB5" },
        TProcessCase { "Centaur model 4", "CentaurHauls", 6, 4, 0, "0.35\xB5" },
        TProcessCase { "Centaur model 7", "CentaurHauls", 6, 7, 3, "??" },
        TProcessCase { "Rise model 9", "RiseRiseRise", 5, 9, 0, "0.18\xB5" },
        TProcessCase { "Rise model 1", "RiseRiseRise", 5, 1, 0, "??" },
        TProcessCase { "Cyrix not listed", "CyrixInstead", 6, 8, 0, "" },
        TProcessCase { "UMC not listed", "UMC UMC UMC\0"sv, 4, 1, 0, "" }),
    TCaseNamer());

} // namespace
