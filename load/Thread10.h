#pragma once
#include "loadthread.h"

extern std::atomic<THandle> Thread10Handle;

// Passes of 1'000'000'000 iterations, each two additions.
class TThread10 : public TLoadThread {
public:
    TThread10() : TLoadThread(Thread10Handle, 1'000'000'000, RunAdditionPasses) {}
};
