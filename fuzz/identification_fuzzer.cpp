// Answers every CPUID leaf with the fuzzer's bytes and runs the panel's
// whole identification; any broken invariant is a crash.
#include "arbitrary_processor.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::set<std::string> names = TableNames();
    const std::string violation = IdentifyArbitraryProcessor(data, size, names);
    if (!violation.empty()) {
        std::fprintf(stderr, "%s\n", violation.c_str());
        std::abort();
    }
    return 0;
}
