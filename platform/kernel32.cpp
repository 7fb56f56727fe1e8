#include "kernel32.h"

#include <cerrno>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

TSystemCalls realCalls;
TSystemCalls* installedCalls = &realCalls;
thread_local DWORD lastError = 0;

std::int64_t MonotonicNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

long TSystemCalls::OnlineProcessors() { return sysconf(_SC_NPROCESSORS_ONLN); }

void TSystemCalls::SleepMilliseconds(DWORD milliseconds)
{
    timespec remaining { time_t(milliseconds / 1000), long(milliseconds % 1000) * 1'000'000 };
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR)
        EndIfTerminated();
}

DWORD TSystemCalls::TickCount() { return DWORD(MonotonicNanoseconds() / 1'000'000); }

std::int64_t TSystemCalls::PerformanceCounter() { return MonotonicNanoseconds(); }

std::int64_t TSystemCalls::PerformanceFrequency() { return 1'000'000'000; }

int TSystemCalls::CreateThread(pthread_t* thread, void* (*start)(void*), void* argument)
{
    return pthread_create(thread, nullptr, start, argument);
}

int TSystemCalls::SetScheduling(pthread_t thread, pid_t tid, int policy, int nice)
{
    const sched_param parameters {};
    if (const int error = pthread_setschedparam(thread, policy, &parameters))
        return error;
    if (policy != SCHED_IDLE && setpriority(PRIO_PROCESS, id_t(tid), nice) != 0)
        return errno;
    return 0;
}

int TSystemCalls::SetAffinity(pthread_t thread, const cpu_set_t& processors)
{
    return pthread_setaffinity_np(thread, sizeof processors, &processors);
}

void SetSystemCalls(TSystemCalls* calls) { installedCalls = calls ? calls : &realCalls; }

TSystemCalls& SystemCalls() { return *installedCalls; }

void GetSystemInfo(SYSTEM_INFO* info)
{
    const long online = SystemCalls().OnlineProcessors();
    info->dwNumberOfProcessors = online > 0 ? DWORD(online) : 0;
}

THandle GetCurrentProcess() { return THandle(-1); }

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

void EndIfTerminated()
{
    int previous = 0;
    pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, &previous);
    pthread_testcancel();
    pthread_setcancelstate(previous, nullptr);
}

void Sleep(DWORD milliseconds)
{
    SystemCalls().SleepMilliseconds(milliseconds);
    EndIfTerminated();
}

DWORD GetTickCount() { return SystemCalls().TickCount(); }

bool QueryPerformanceCounter(std::int64_t* count)
{
    *count = SystemCalls().PerformanceCounter();
    return true;
}

bool QueryPerformanceFrequency(std::int64_t* frequency)
{
    *frequency = SystemCalls().PerformanceFrequency();
    return true;
}
