#include "loadthread.h"

#include "exception.h"
#include "timee.h"

#include <string>

namespace {

TERMINABLE_LOOP inline void AddTwice(TLoadStorage& storage)
{
    float operand = storage.operand;
    storage.result = operand + operand;
    operand = storage.operand;
    storage.result = operand + operand;
}

TERMINABLE_LOOP inline void Multiply(TLoadStorage& storage)
{
    const float operand = storage.operand;
    storage.result = operand * operand;
}

// The flag is read between passes only, so at least one whole pass runs.
// Ended asynchronously, the loop must hold nothing but plain instructions:
// no sanitizer's bookkeeping either. The counter counts down to zero, so that
// its decrement and comparison take one instruction less per iteration.
template <void (*Iteration)(TLoadStorage&)>
TERMINABLE_LOOP void RunPasses(void* context)
{
    TLoadStorage& storage = *static_cast<TLoadStorage*>(context);
    const std::int32_t passLength = storage.passLength;
    do {
        std::int32_t remaining = passLength;
        do {
            Iteration(storage);
        } while (--remaining != 0);
    } while (RunFinished.load(std::memory_order_acquire) != 1);
}

} // namespace

void RunAdditionPasses(void* storage) { RunPasses<AddTwice>(storage); }

void RunMultiplicationPasses(void* storage) { RunPasses<Multiply>(storage); }

TLoadThread::TLoadThread(std::atomic<THandle>& handleValue, std::int32_t passLength, TLoadPasses passes)
    : handleValue(handleValue), passes(passes)
{
    storage.passLength = passLength;
}

void TLoadThread::Execute()
{
    handleValue = Handle();
    RunTerminable(passes, &storage);
}

void TLoadThread::SetAffinity(DWORD mask)
{
    if (SetThreadAffinityMask(Handle(), mask) == 0)
        throw Exception("Error setting thread affinity mask : " + std::to_string(GetLastError()));
}
