#include "kernel32.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <poll.h>
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
    // The wake signal stays blocked but while waiting, so that one sent
    // between the check and the wait still ends the wait at once.
    sigset_t wake;
    sigemptyset(&wake);
    sigaddset(&wake, WakeSignal());
    sigset_t waiting;
    pthread_sigmask(SIG_BLOCK, &wake, &waiting);
    sigdelset(&waiting, WakeSignal());
    const std::int64_t deadline = MonotonicNanoseconds() + std::int64_t(milliseconds) * 1'000'000;
    for (std::int64_t left = deadline - MonotonicNanoseconds(); left > 0; left = deadline - MonotonicNanoseconds()) {
        EndIfTerminated();
        const timespec timeout { time_t(left / 1'000'000'000), long(left % 1'000'000'000) };
        ppoll(nullptr, 0, &timeout, &waiting);
    }
    pthread_sigmask(SIG_SETMASK, &waiting, nullptr);
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

int WakeSignal() { return SIGRTMIN + 1; }

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
