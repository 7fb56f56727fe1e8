#pragma once
// What the four load-thread classes share: passes of single-precision work
// until a pass finds the run's time up, and the processor affinity.
#include "thread.h"

#include <atomic>
#include <cstdint>

// A load thread's operand and result, on a cache line of its own so that
// threads on different processors never share one.
struct alignas(64) TLoadStorage {
    // Volatile: every operation really loads and stores memory.
    volatile float operand = 100.0f;
    volatile float result = 100.0f;
    std::int32_t passLength = 0;
};

// The work of one iteration, and the passes built from it.
using TLoadPasses = void (*)(void* storage);
void RunAdditionPasses(void* storage);
void RunMultiplicationPasses(void* storage);

class TLoadThread : public TThread {
public:
    // Raises "Error setting thread affinity mask : <code>" when the system
    // refuses the mask.
    void SetAffinity(DWORD mask);

    // To be read once the thread has ended or before it runs.
    float Operand() const { return storage.operand; }
    float Result() const { return storage.result; }

protected:
    TLoadThread(std::atomic<THandle>& handleValue, std::int32_t passLength, TLoadPasses passes);
    void Execute() override;

private:
    std::atomic<THandle>& handleValue;
    TLoadPasses passes;
    TLoadStorage storage;
};
