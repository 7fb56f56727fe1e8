#pragma once
#include "loadthread.h"

extern std::atomic<THandle> Thread11Handle;

// Passes of 1'000'000'000 iterations, each one multiplication.
class TThread11 : public TLoadThread {
public:
    TThread11() : TLoadThread(Thread11Handle, 1'000'000'000, RunMultiplicationPasses) {}
};
