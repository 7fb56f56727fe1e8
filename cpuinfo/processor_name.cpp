#include "processor_name.h"

#include "cpuid_access.h"

namespace {

// Model or brand-index values of a rule that are not one number.
constexpr int Any = -1; // every value
constexpr int Other = -2; // every value without a row of its own

struct TNameRule {
    const char* vendor;
    int family;
    int model;
    int brandIndex;
    const char* name;
};

constexpr TNameRule NameRules[] = {
    // vendor, family, model, brand index, name
    { "GenuineIntel", 4, 0, Any, "80486DX-25/33" },
    { "GenuineIntel", 4, 1, Any, "80486DX-50" },
    { "GenuineIntel", 4, 2, Any, "80486SX" },
    { "GenuineIntel", 4, 3, Any, "80486DX2" },
    { "GenuineIntel", 4, 4, Any, "80486SL" },
    { "GenuineIntel", 4, 5, Any, "i80486SX2" },
    { "GenuineIntel", 4, 7, Any, "80486DX2WB" },
    { "GenuineIntel", 4, 8, Any, "80486DX4" },
    { "GenuineIntel", 4, 9, Any, "80486DX4WB" },
    { "GenuineIntel", 4, Other, Any, "486 class" },
    { "GenuineIntel", 5, 0, Any, "P5 A-step" },
    { "GenuineIntel", 5, 1, Any, "P5" },
    { "GenuineIntel", 5, 2, Any, "P54C" },
    { "GenuineIntel", 5, 3, Any, "P24T Overdrive" },
    { "GenuineIntel", 5, 4, Any, "P55C" },
    { "GenuineIntel", 5, 7, Any, "P54C" },
    { "GenuineIntel", 5, 8, Any, "P55C (0.25\xB5m)" },
    { "GenuineIntel", 5, Other, Any, "Pentium class" },
    { "GenuineIntel", 6, 0, Any, "P6 A" },
    { "GenuineIntel", 6, 1, Any, "P6" },
    { "GenuineIntel", 6, 3, Any, "P2" },
    { "GenuineIntel", 6, 5, 1, "Celeron (Model 5)" },
    { "GenuineIntel", 6, 5, Other, "P2 (Model 5)" },
    { "GenuineIntel", 6, 6, Any, "Celeron" },
    { "GenuineIntel", 6, 7, Any, "P III" },
    { "GenuineIntel", 6, 8, 1, "Celeron" },
    { "GenuineIntel", 6, 8, 2, "Pentium III" },
    { "GenuineIntel", 6, 8, 3, "Pentium III Xeon" },
    { "GenuineIntel", 6, 8, Other, "Pentium III class" },
    { "GenuineIntel", 6, 10, Any, "Pentium III Xeon" },
    { "GenuineIntel", 6, 11, 4, "P3" },
    { "GenuineIntel", 6, 11, 6, "P3 mobile" },
    { "GenuineIntel", 6, 11, Other, "Pentium III class" },
    { "GenuineIntel", 6, Other, Any, "Pentium II/III class" },
    { "GenuineIntel", 7, Any, Any, "Itanium1" },
    { "GenuineIntel", 15, 1, 8, "Pentium 4" },
    { "GenuineIntel", 15, 1, 10, "Celeron 4" },
    { "GenuineIntel", 15, 1, 11, "Pentium 4 Xeon MP" },
    { "GenuineIntel", 15, 1, 14, "Pentium 4 Xeon" },
    { "GenuineIntel", 15, 2, 8, "Celeron 4 mobile" },
    { "GenuineIntel", 15, 2, 9, "Pentium 4a" },
    { "GenuineIntel", 15, 2, 10, "Celeron 4" },
    { "GenuineIntel", 15, 2, 11, "Pentium 4 Xeon " },
    { "GenuineIntel", 15, 2, 12, "Pentium 4 Xeon MP " },
    { "GenuineIntel", 15, 2, 14, "Pentium 4 mobile (production)" },
    { "GenuineIntel", 15, 2, 15, "Pentium 4 mobile (samples)" },
    { "GenuineIntel", 15, 3, Any, "Pentium 4b" },
    { "GenuineIntel", 15, Other, Any, "Pentium 4 class" },
    { "RiseRiseRise", 5, 0, Any, "mP6" },
    { "RiseRiseRise", 5, 2, Any, "mP6" },
    { "RiseRiseRise", 5, Other, Any, "Pentium class" },
    { "CentaurHauls", 5, 4, Any, "C6" },
    { "CentaurHauls", 5, 8, Any, "C2" },
    { "CentaurHauls", 5, 9, Any, "C3" },
    { "CentaurHauls", 5, Other, Any, "Pentium class" },
    { "CentaurHauls", 6, 7, Any, "VIA C3 Samuel 2" },
    { "CentaurHauls", 6, Other, Any, "Pentium class" },
    { "UMC UMC UMC", 4, 1, Any, "U5D" },
    { "UMC UMC UMC", 4, 2, Any, "U5S" },
    { "UMC UMC UMC", 4, Other, Any, "Pentium class" },
    { "NexGenDriven", 5, 0, Any, "Nx586" },
    { "NexGenDriven", 5, Other, Any, "Pentium class" },
    { "CyrixInstead", 4, 4, Any, "Media GX" },
    { "CyrixInstead", 4, 9, Any, "Cx5x86" },
    { "CyrixInstead", 4, Other, Any, "486 class" },
    { "CyrixInstead", 5, 2, Any, "6x86" },
    { "CyrixInstead", 5, 4, Any, "GXm" },
    { "CyrixInstead", 5, Other, Any, "Pentium class" },
    { "CyrixInstead", 6, 0, Any, "6x86MX" },
    { "CyrixInstead", 6, 5, Any, "Cyrix M2 core" },
    { "CyrixInstead", 6, 6, Any, "WinChip C5A core" },
    { "CyrixInstead", 6, 7, Any, "WinChip C5" },
    { "CyrixInstead", 6, 8, Any, "WinChip C5C " },
    { "CyrixInstead", 6, Other, Any, "Pentium II class" },
    { "AuthenticAMD", 4, 3, Any, "Am486" },
    { "AuthenticAMD", 4, 7, Any, "Am486" },
    { "AuthenticAMD", 4, 8, Any, "Am486" },
    { "AuthenticAMD", 4, 9, Any, "Am486" },
    { "AuthenticAMD", 4, 14, Any, "Am5x86" },
    { "AuthenticAMD", 4, 15, Any, "Am5x86" },
    { "AuthenticAMD", 4, Other, Any, "486 class" },
    { "AuthenticAMD", 5, 0, Any, "K5 (Model 0)" },
    { "AuthenticAMD", 5, 1, Any, "K5 (Model 1)" },
    { "AuthenticAMD", 5, 2, Any, "K5 (Model 2)" },
    { "AuthenticAMD", 5, 3, Any, "K5 (Model 3)" },
    { "AuthenticAMD", 5, 6, Any, "K6 (Model 6)" },
    { "AuthenticAMD", 5, 7, Any, "K6 (Model 7)" },
    { "AuthenticAMD", 5, 8, Any, "K6-2" },
    { "AuthenticAMD", 5, 9, Any, "K6-III" },
    { "AuthenticAMD", 5, 13, Any, "K6-2+/K6-III+" },
    { "AuthenticAMD", 5, Other, Any, "Pentium class" },
    { "AuthenticAMD", 6, 1, Any, "Athlon" },
    { "AuthenticAMD", 6, 2, Any, "Athlon" },
    { "AuthenticAMD", 6, 3, Any, "Duron (SF core)" },
    { "AuthenticAMD", 6, 4, Any, "Athlon (TB core)" },
    { "AuthenticAMD", 6, 6, Any, "Athlon XP/MP (PM core)" },
    { "AuthenticAMD", 6, 7, Any, "Duron (MG core)" },
    { "AuthenticAMD", 6, 8, Any, "Athlon XP (TH core)" },
    { "AuthenticAMD", 6, 10, Any, "Athlon XP (BT core)" },
    { "AuthenticAMD", 6, Other, Any, "Athlon class" },
    { "AuthenticAMD", 7, 0, Any, "Athlon" },
    { "AuthenticAMD", 7, 1, Any, "Athlon" },
    { "AuthenticAMD", 7, Other, Any, "??" },
    { "AuthenticAMD", 15, 0, Any, "Athlon ST" },
    { "AuthenticAMD", 15, 1, Any, "Athlon ST" },
    { "AuthenticAMD", 15, 5, Any, "Opteron(tm) DP" },
    { "AuthenticAMD", 15, Other, Any, "??" },
};

// The vendor string has 12 characters; the 11-character UMC text is matched
// against its first 11, every other vendor text exactly.
bool VendorMatches(const std::string& vendor, const std::string& vendorText)
{
    return vendor.substr(0, vendorText.size()) == vendorText;
}

// Whether a rule's model or brand index covers the value: equal to it, "any",
// or "other" when the value has no row of its own.
template <typename Field>
bool CoveredBy(const TNameRule& rule, Field field, int value, bool valueHasOwnRow)
{
    const int ruleValue = rule.*field;
    if (ruleValue == Any)
        return true;
    if (ruleValue == Other)
        return !valueHasOwnRow;
    return ruleValue == value;
}

template <typename Predicate>
bool AnyRule(Predicate predicate)
{
    for (const TNameRule& rule : NameRules)
        if (predicate(rule))
            return true;
    return false;
}

} // namespace

std::string GetProcessorName()
{
    DecodeSignature();
    const std::string vendor = GetVendorString();
    const TProcessorSignature& signature = ProcessorSignature;

    const auto inFamily = [&](const TNameRule& rule) {
        return VendorMatches(vendor, rule.vendor) && rule.family == signature.Family;
    };
    const bool modelHasOwnRow
        = AnyRule([&](const TNameRule& rule) { return inFamily(rule) && rule.model == signature.Model; });
    const auto inModel = [&](const TNameRule& rule) {
        return inFamily(rule) && CoveredBy(rule, &TNameRule::model, signature.Model, modelHasOwnRow);
    };
    const bool brandHasOwnRow
        = AnyRule([&](const TNameRule& rule) { return inModel(rule) && rule.brandIndex == signature.BrandIndex; });

    for (const TNameRule& rule : NameRules)
        if (inModel(rule) && CoveredBy(rule, &TNameRule::brandIndex, signature.BrandIndex, brandHasOwnRow))
            return rule.name;
    return {};
}
