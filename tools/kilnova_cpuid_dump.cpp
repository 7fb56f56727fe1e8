// Prints what the processor information panel shows, in the key = "value"
// lines of a CPUID dump file: for the processor recorded in the given dump
// file, or without an argument for this processor, then with its clock.
#include "cpuid_dump.h"

#include "exception.h"

#include <cstdio>

namespace {

void PrintKeyValues(const TKeyValues& values)
{
    for (const auto& [key, value] : values)
        std::printf("%s = \"%s\"\n", key.c_str(), AnsiToUtf8(value).c_str());
}

int PrintRecordedProcessor(const char* path)
{
    const TCpuidDump dump = ReadCpuidDump(path);
    TSimulatedClock clock;
    TRegisterTableSource source(dump.leaves, &clock);
    SetCpuidSource(&source);
    const TPanelValues panel = ReadPanelValues(clock);
    SetCpuidSource(nullptr);
    PrintKeyValues(DumpKeyValues(panel));
    return 0;
}

int PrintThisProcessor()
{
    TSystemCalls systemTimers;
    const TPanelValues panel = ReadPanelValues(systemTimers);
    PrintKeyValues(DumpKeyValues(panel));
    std::printf("clock = \"%s\"\n", panel.label8.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [cpuid-dump-file]\n", argv[0]);
        return 2;
    }
    try {
        return argc == 2 ? PrintRecordedProcessor(argv[1]) : PrintThisProcessor();
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s: %s.\n", argv[0], error.what());
        return 1;
    }
}
