#pragma once
#include "loadthread.h"

extern std::atomic<THandle> Thread2Handle;

// Passes of 1'000'000'000 iterations, each one multiplication.
class TThread2 : public TLoadThread {
public:
    TThread2() : TLoadThread(Thread2Handle, 1'000'000'000, RunMultiplicationPasses) {}
};
