#include "process_technology.h"

#include "cpuid_access.h"

namespace {

// What a rule compares with its key text.
enum class TProcessKey {
    FamilyModelStepping, // decimal family, model and stepping, no separators
    FamilyModel, // decimal family and model
    Model, // decimal model alone
    Always, // matches every processor
};

struct TProcessRule {
    const char* vendor;
    TProcessKey key;
    const char* keyText;
    const char* process;
};

using enum TProcessKey;

// For each vendor the first rule that matches decides.
constexpr TProcessRule ProcessRules[] = {
    // vendor, key, key text, process
    { "CentaurHauls", Model, "4", "0.35\xB5" },
    { "CentaurHauls", Model, "8", "0.25\xB5" },
    { "CentaurHauls", Always, "", "??" },
    { "RiseRiseRise", Model, "0", "0.25\xB5" },
    { "RiseRiseRise", Model, "2", "0.18\xB5" },
    { "RiseRiseRise", Model, "8", "0.25\xB5" },
    { "RiseRiseRise", Model, "9", "0.18\xB5" },
    { "RiseRiseRise", Always, "", "??" },
    { "GenuineIntel", FamilyModelStepping, "650", "0.25\xB5" },
    { "GenuineIntel", FamilyModel, "50", "0.80\xB5" },
    { "GenuineIntel", FamilyModel, "51", "0.80\xB5" },
    { "GenuineIntel", FamilyModel, "52", "0.50\xB5" },
    { "GenuineIntel", FamilyModel, "53", "0.35\xB5" },
    { "GenuineIntel", FamilyModel, "54", "0.28\xB5" },
    { "GenuineIntel", FamilyModel, "58", "0.25\xB5" },
    { "GenuineIntel", FamilyModelStepping, "632", "0.28\xB5" },
    { "GenuineIntel", FamilyModelStepping, "633", "0.28\xB5" },
    { "GenuineIntel", FamilyModelStepping, "652", "0.25\xB5" },
    { "GenuineIntel", FamilyModelStepping, "653", "0.25\xB5" },
    { "GenuineIntel", FamilyModelStepping, "634", "0.28\xB5" },
    { "GenuineIntel", FamilyModelStepping, "651", "0.25\xB5" },
    { "GenuineIntel", FamilyModelStepping, "660", "0.25\xB5" },
    { "GenuineIntel", FamilyModelStepping, "665", "0.25\xB5" },
    { "GenuineIntel", FamilyModelStepping, "672", "0.25\xB5" },
    { "GenuineIntel", FamilyModelStepping, "673", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "681", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "683", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "686", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "6810", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "6111", "0.13\xB5" },
    { "GenuineIntel", FamilyModelStepping, "1507", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "15010", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "1512", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "1524", "0.13\xB5" },
    { "GenuineIntel", FamilyModelStepping, "1513", "0.18\xB5" },
    { "GenuineIntel", FamilyModelStepping, "1527", "0.13\xB5" },
    { "GenuineIntel", Model, "2", "0.13\xB5" },
    { "GenuineIntel", Model, "3", "0.09\xB5" },
    { "GenuineIntel", Always, "", "??" },
    { "AuthenticAMD", FamilyModel, "56", "0.30 \xB5m" },
    { "AuthenticAMD", FamilyModel, "57", "0.25 \xB5m" },
    { "AuthenticAMD", FamilyModel, "58", "0.25 \xB5m" },
    { "AuthenticAMD", FamilyModel, "59", "0.25 \xB5m" },
    { "AuthenticAMD", FamilyModel, "513", "0.18 \xB5m" },
    { "AuthenticAMD", FamilyModelStepping, "611", "0.25\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "612", "0.25\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "621", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "622", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "630", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "631", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "642", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "643", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "644", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "660", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "661", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "662", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "670", "0.18\xB5" },
    { "AuthenticAMD", FamilyModelStepping, "671", "0.18\xB5" },
    { "AuthenticAMD", Always, "", "0.13\xB5" },
};

} // namespace

std::string GetProcessTechnology()
{
    const std::string vendor = GetVendorString();
    const std::string modelKey = std::to_string(ProcessorSignature.Model);
    const std::string familyModelKey = std::to_string(ProcessorSignature.Family) + modelKey;
    const std::string familyModelSteppingKey = familyModelKey + std::to_string(ProcessorSignature.Stepping);

    const auto keyOf = [&](TProcessKey key) -> const std::string* {
        switch (key) {
        case FamilyModelStepping:
            return &familyModelSteppingKey;
        case FamilyModel:
            return &familyModelKey;
        case Model:
            return &modelKey;
        case Always:
            break;
        }
        return nullptr;
    };

    for (const TProcessRule& rule : ProcessRules) {
        if (vendor != rule.vendor)
            continue;
        const std::string* key = keyOf(rule.key);
        if (!key || *key == rule.keyText)
            return rule.process;
    }
    return {};
}
