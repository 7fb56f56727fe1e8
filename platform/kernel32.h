#pragma once
// The operating-system calls the program makes, with the meaning the program
// relies on, carried out on Linux. A test can replace the system calls
// beneath them through SetSystemCalls.
#include <cstdint>
#include <pthread.h>
#include <sched.h>
#include <sys/types.h>

using DWORD = std::uint32_t;
using DWORD_PTR = std::uintptr_t;
// A thread handle. Handles are never reused within a process; 0 names no thread.
using THandle = std::uint64_t;

struct SYSTEM_INFO {
    DWORD dwNumberOfProcessors;
};
void GetSystemInfo(SYSTEM_INFO* info);

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;

// The pseudo handle of the calling process.
THandle GetCurrentProcess();
// The class applies to the living threads of the thread class whose priority
// was never set: the idle class runs them at the highest nice value. Threads
// with a priority of their own keep it, as on the system this mirrors, and
// the calling thread is left alone, so that an ordinary user can always go
// back to the normal class.
bool SetPriorityClass(THandle process, DWORD priorityClass);
DWORD GetPriorityClass(THandle process);

// Bit 0 is the first processor. Returns the previous mask, or 0 on failure
// with the system's error number left for GetLastError.
DWORD_PTR SetThreadAffinityMask(THandle thread, DWORD_PTR mask);
DWORD GetLastError();

// A thread of the thread class that is being terminated ends here: the
// termination interrupts the sleep.
void Sleep(DWORD milliseconds);
// Ends the calling thread here if it is being terminated. Termination only
// ever starts in the program's own code, never inside a system call.
void EndIfTerminated();
// Sent to a thread with its termination, to end its sleep.
int WakeSignal();
// Milliseconds since an arbitrary start, wrapping every 2^32 ms.
DWORD GetTickCount();
bool QueryPerformanceCounter(std::int64_t* count);
bool QueryPerformanceFrequency(std::int64_t* frequency);

// The system calls beneath the functions above. Error results are error
// numbers (0 for success).
class TSystemCalls {
public:
    virtual ~TSystemCalls() = default;
    virtual long OnlineProcessors();
    // Ends early, at EndIfTerminated, when the wake signal comes.
    virtual void SleepMilliseconds(DWORD milliseconds);
    virtual DWORD TickCount();
    virtual std::int64_t PerformanceCounter();
    virtual std::int64_t PerformanceFrequency();
    virtual int CreateThread(pthread_t* thread, void* (*start)(void*), void* argument);
    virtual int SetScheduling(pthread_t thread, pid_t tid, int policy, int nice);
    virtual int SetAffinity(pthread_t thread, const cpu_set_t& processors);
};

// Installs replacement calls (nullptr: the real ones again).
void SetSystemCalls(TSystemCalls* calls);
TSystemCalls& SystemCalls();

// Sets the error number that GetLastError reports on the calling thread.
void SetLastError(DWORD error);
