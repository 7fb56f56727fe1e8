#pragma once
// The CPUID dump files of the test data, in name order.
#include <algorithm>
#include <filesystem>
#include <vector>

inline std::vector<std::filesystem::path> DumpFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(KILNOVA_CPUID_DUMPS))
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}
