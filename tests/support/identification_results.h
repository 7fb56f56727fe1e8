#pragma once
// The identification's process-wide results as a fresh process has them:
// the program never clears them, so tests and fuzzing start from here.
#include "cache_info.h"
#include "cpuid_access.h"

inline void ResetIdentificationResults()
{
    CPUIDLeaf = 0;
    ProcessorSignature = {};
    ExtendedSignature = {};
    DescriptorSlots = {};
    L1CodeSizeText.clear();
    L1DataSizeText.clear();
    L2SizeText.clear();
    AMDFieldTexts = {};
}
