#pragma once
// System calls for tests: real underneath, with the processor count, the
// sleep and chosen failures under the test's control.
#include "kernel32.h"

#include <atomic>
#include <mutex>
#include <vector>

struct TSchedulingCall {
    pid_t tid;
    int policy;
    int nice;
};

struct TAffinityCall {
    pthread_t thread;
    DWORD_PTR mask;
};

class TFakeSystemCalls : public TSystemCalls {
public:
    TFakeSystemCalls() { SetSystemCalls(this); }
    ~TFakeSystemCalls() override { SetSystemCalls(nullptr); }

    long OnlineProcessors() override { return processorCount; }
    void SleepMilliseconds(DWORD milliseconds) override
    {
        while (timeFrozen) {
            TSystemCalls::SleepMilliseconds(1);
            EndIfTerminated();
        }
        TSystemCalls::SleepMilliseconds(sleepMilliseconds < 0 ? milliseconds : DWORD(sleepMilliseconds));
    }
    int CreateThread(pthread_t* thread, void* (*start)(void*), void* argument) override
    {
        if (++creations == failCreationAt)
            return failCreationWith;
        return TSystemCalls::CreateThread(thread, start, argument);
    }
    int SetScheduling(pthread_t thread, pid_t tid, int policy, int nice) override
    {
        std::lock_guard lock(callsLock);
        scheduling.push_back({ tid, policy, nice });
        if (int(scheduling.size()) == failSchedulingAt)
            return failSchedulingWith;
        return realScheduling ? TSystemCalls::SetScheduling(thread, tid, policy, nice) : 0;
    }
    int SetAffinity(pthread_t thread, const cpu_set_t& processors) override
    {
        DWORD_PTR mask = 0;
        for (int processor = 0; processor < int(sizeof(DWORD_PTR) * 8); ++processor)
            if (CPU_ISSET(processor, &processors))
                mask |= DWORD_PTR(1) << processor;
        std::lock_guard lock(callsLock);
        affinity.push_back({ thread, mask });
        if (int(affinity.size()) == failAffinityAt)
            return failAffinityWith;
        // Masks naming processors this machine lacks are recorded, not applied.
        return 0;
    }

    std::vector<TSchedulingCall> SchedulingCalls()
    {
        std::lock_guard lock(callsLock);
        return scheduling;
    }
    std::vector<TAffinityCall> AffinityCalls()
    {
        std::lock_guard lock(callsLock);
        return affinity;
    }

    std::atomic<long> processorCount { 2 };
    // While frozen, every sleep lasts until time goes on again.
    std::atomic<bool> timeFrozen { false };
    std::atomic<int> sleepMilliseconds { -1 };   // -1: as asked
    bool realScheduling = false;  // false: recorded only
    int failCreationAt = 0;       // 1-based; 0: never
    int failCreationWith = 11;
    int failSchedulingAt = 0;
    int failSchedulingWith = 13;
    int failAffinityAt = 0;
    int failAffinityWith = 22;

private:
    std::atomic<int> creations { 0 };
    std::mutex callsLock;
    std::vector<TSchedulingCall> scheduling;
    std::vector<TAffinityCall> affinity;
};
