#pragma once
#include "loadthread.h"

extern std::atomic<THandle> Thread1Handle;

// Passes of 1'000'000 iterations, each two additions.
class TThread1 : public TLoadThread {
public:
    TThread1() : TLoadThread(Thread1Handle, 1'000'000, RunAdditionPasses) {}
};
