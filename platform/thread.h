#pragma once
// The thread class of the program's threads. A thread is created suspended:
// its body never runs before Resume, and a thread that is destroyed without
// having been resumed ends without running it. Once resumed, a thread with
// FreeOnTerminate set owns itself and is freed when its body ends.
#include "kernel32.h"

#include <functional>
#include <memory>

// A function that a terminable loop runs in. It may be cut off at any
// instruction, so it holds nothing but its own instructions: no sanitizer's
// bookkeeping either.
#define TERMINABLE_LOOP __attribute__((no_sanitize("address,thread,undefined"), flatten))

class TThread {
public:
    // Raises "Thread creation error: %s" when the system refuses the thread.
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Raises "Thread Error: %s (%d)" when the system refuses the call.
    void SetPriority(int priority);
    int Priority() const { return priority; }
    void Resume();

    THandle Handle() const { return handle; }
    bool FreeOnTerminate = false;

    // Runs `method` on the UI thread, later: for the bodies of threads
    // created on the UI thread.
    static void Queue(std::function<void()> method);

protected:
    virtual void Execute() = 0;

    // Runs loop(context) so that TerminateThread can end the thread at any
    // instruction inside it. The loop must make no calls, take no locks and
    // allocate nothing, and be declared TERMINABLE_LOOP.
    TERMINABLE_LOOP static void RunTerminable(void (*loop)(void*), void* context);

private:
    struct Gate;
    static void* Start(void* self);
    void RaiseThreadError(int error) const;

    std::shared_ptr<Gate> gate;
    pthread_t thread {};
    pid_t tid = 0;
    THandle handle = 0;
    int priority = THREAD_PRIORITY_NORMAL;
    bool resumed = false;
};

// Ends a thread of the thread class at its next termination point: any
// instruction of a terminable loop, or a Sleep. The thread's object is freed
// as if its body had ended. Returns false when the handle names no thread
// that is still alive.
bool TerminateThread(THandle thread);

// Waits until the thread has ended: WAIT_OBJECT_0, or WAIT_TIMEOUT.
DWORD WaitForSingleObject(THandle thread, DWORD milliseconds);
