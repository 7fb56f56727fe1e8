#include "processorpanel.h"

#include "cache_info.h"
#include "clock_speed.h"
#include "cpuid_access.h"
#include "process_technology.h"
#include "processor_name.h"

#include <cstdio>

namespace {

std::string Digits(std::int32_t family, std::int32_t model, std::int32_t stepping)
{
    return std::to_string(family) + std::to_string(model) + std::to_string(stepping);
}

} // namespace

std::string ClockText(double megahertz)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f MHz", megahertz);
    return text;
}

void FillProcessorPanel(const TShowPanelText& show)
{
    // The name first: it decodes the signature that the process and the clock read.
    const std::string name = GetProcessorName();
    show(TPanelLabel::Label7, name + " " + GetProcessTechnology());
    show(TPanelLabel::Label8, ClockText(GetClockSpeed()));
    if (GetVendorString() == "GenuineIntel") {
        GetIntelCacheInfo();
        show(TPanelLabel::Label9, L1CodeSizeText + "Kb+" + L1DataSizeText + "Kb L1 cache");
        show(TPanelLabel::Label10, L2SizeText + "Kb L2 cache");
    }
    if (GetVendorString() == "AuthenticAMD") {
        GetAMDL1CacheInfo();
        show(TPanelLabel::Label9, AMDFieldTexts[9] + "Kb+" + AMDFieldTexts[13] + "Kb L1 cache");
        GetAMDL2CacheInfo();
        show(TPanelLabel::Label10, AMDFieldTexts[9] + "Kb L2 cache");
    }
    DecodeSignature();
    ReadExtendedSignature();
    show(TPanelLabel::Label11,
         Digits(ProcessorSignature.Family, ProcessorSignature.Model, ProcessorSignature.Stepping));
    show(TPanelLabel::Label14, Digits(ExtendedSignature.Family, ExtendedSignature.Model, ExtendedSignature.Stepping));
}
