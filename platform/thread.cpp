#include "thread.h"

#include "exception.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <map>
#include <mutex>
#include <csignal>
#include <unistd.h>

namespace {

// Linux scheduling of each thread priority the program uses. Idle is the
// idle policy; the others are nice values, time-critical the highest that
// is not a real-time policy.
struct SchedulingRow {
    int priority;
    int policy;
    int nice;
};
//  priority                        policy       nice
constexpr SchedulingRow schedulingRows[] = {
    { THREAD_PRIORITY_IDLE,          SCHED_IDLE,   0 },
    { THREAD_PRIORITY_NORMAL,        SCHED_OTHER,  0 },
    { THREAD_PRIORITY_ABOVE_NORMAL,  SCHED_OTHER, -5 },
    { THREAD_PRIORITY_TIME_CRITICAL, SCHED_OTHER, -20 },
};

void InstallWakeSignal()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        sigaction(WakeSignal(), &action, nullptr);   // no SA_RESTART: the sleep returns
    });
}

// Nice value of the threads without a priority of their own, by class.
int ClassNice(DWORD priorityClass) { return priorityClass == IDLE_PRIORITY_CLASS ? 19 : 0; }

struct ThreadRecord {
    pthread_t thread;
    pid_t tid;
    bool priorityGiven;
};

// Every living thread of the thread class. Its lock is held around every
// call that names a thread, so that a thread that ends meanwhile is never
// acted on.
struct ThreadTable {
    std::mutex lock;
    std::condition_variable threadEnded;
    std::map<THandle, ThreadRecord> living;
    THandle lastHandle = 0;
    DWORD priorityClass = NORMAL_PRIORITY_CLASS;
};

// Never destroyed: threads still running at process exit may end after the
// static objects are gone.
ThreadTable& Threads()
{
    static ThreadTable* table = new ThreadTable;
    return *table;
}

} // namespace

namespace {

// Methods queued for the UI thread. The queue is the program's own, so that
// what a thread hands over is visibly handed over under a lock; the event
// that has the UI thread run one is the framework's.
class TQueuedMethods : public QObject {
    Q_OBJECT
public:
    // First asked for by a thread's creation, on the UI thread, which the
    // queue then belongs to. It outlives every thread.
    static TQueuedMethods& Instance()
    {
        static TQueuedMethods* queue = new TQueuedMethods;
        return *queue;
    }
    void Add(std::function<void()> method)
    {
        {
            std::lock_guard lock(methodsLock);
            methods.push_back(std::move(method));
        }
        QMetaObject::invokeMethod(this, "RunOne", Qt::QueuedConnection);
    }
    Q_INVOKABLE void RunOne()
    {
        std::function<void()> method;
        {
            std::lock_guard lock(methodsLock);
            method = std::move(methods.front());
            methods.pop_front();
        }
        method();
    }

private:
    std::mutex methodsLock;
    std::deque<std::function<void()>> methods;
};

} // namespace

struct TThread::Gate {
    enum State { Waiting, Resumed, Discarded };
    std::mutex lock;
    std::condition_variable changed;
    pid_t tid = 0;
    State state = Waiting;
};

TThread::TThread() : gate(std::make_shared<Gate>())
{
    InstallWakeSignal();
    TQueuedMethods::Instance();
    if (const int error = SystemCalls().CreateThread(&thread, Start, this))
        throw Exception(FormatText("Thread creation error: %s", SystemErrorText(error).c_str()));
    {
        std::unique_lock lock(gate->lock);
        gate->changed.wait(lock, [this] { return gate->tid != 0; });
        tid = gate->tid;
    }
    ThreadTable& table = Threads();
    std::lock_guard lock(table.lock);
    handle = ++table.lastHandle;
    table.living.emplace(handle, ThreadRecord { thread, tid, false });
}

TThread::~TThread()
{
    if (resumed)
        return;
    {
        std::lock_guard lock(gate->lock);
        gate->state = Gate::Discarded;
    }
    gate->changed.notify_all();
    pthread_join(thread, nullptr);
    ThreadTable& table = Threads();
    std::lock_guard lock(table.lock);
    table.living.erase(handle);
    table.threadEnded.notify_all();
}

void TThread::RaiseThreadError(int error) const
{
    throw Exception(FormatText("Thread Error: %s (%d)", SystemErrorText(error).c_str(), error));
}

void TThread::SetPriority(int newPriority)
{
    const auto row = std::find_if(std::begin(schedulingRows), std::end(schedulingRows),
                                  [&](const SchedulingRow& r) { return r.priority == newPriority; });
    if (row == std::end(schedulingRows))
        RaiseThreadError(EINVAL);
    ThreadTable& table = Threads();
    std::lock_guard lock(table.lock);
    if (const int error = SystemCalls().SetScheduling(thread, tid, row->policy, row->nice))
        RaiseThreadError(error);
    priority = newPriority;
    table.living.at(handle).priorityGiven = true;
}

void TThread::Resume()
{
    if (resumed)
        return;
    if (const int error = pthread_detach(thread))
        RaiseThreadError(error);
    resumed = true;
    // From here on the thread may free this object at any moment.
    const std::shared_ptr<Gate> opening = gate;
    {
        std::lock_guard lock(opening->lock);
        opening->state = Gate::Resumed;
    }
    opening->changed.notify_all();
}

void* TThread::Start(void* argument)
{
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
    auto* self = static_cast<TThread*>(argument);
    const std::shared_ptr<Gate> gate = self->gate;
    {
        std::unique_lock lock(gate->lock);
        gate->tid = gettid();
        gate->changed.notify_all();
        gate->changed.wait(lock, [&] { return gate->state != Gate::Waiting; });
        if (gate->state == Gate::Discarded)
            return nullptr;
    }
    const THandle handle = self->handle;
    const auto finish = [self, handle] {
        if (self->FreeOnTerminate)
            delete self;
        ThreadTable& table = Threads();
        std::lock_guard lock(table.lock);
        table.living.erase(handle);
        table.threadEnded.notify_all();
    };
    try {
        self->Execute();
    } catch (...) {
        // Termination unwinds the thread through here.
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
        finish();
        throw;
    }
    finish();
    return nullptr;
}

void TThread::RunTerminable(void (*loop)(void*), void* context)
{
    // Called through a pointer the compiler cannot see through, so that the
    // call is never taken for one that cannot unwind.
    void (*volatile chosen)(void*) = loop;
    void (*const run)(void*) = chosen;
    int previous = 0;
    pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, &previous);
    pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, &previous);
    run(context);
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, &previous);
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &previous);
}

void TThread::Queue(std::function<void()> method)
{
    if (QCoreApplication::instance())
        TQueuedMethods::Instance().Add(std::move(method));
}

bool TerminateThread(THandle thread)
{
    ThreadTable& table = Threads();
    std::lock_guard lock(table.lock);
    const auto found = table.living.find(thread);
    if (found == table.living.end())
        return false;
    pthread_cancel(found->second.thread);
    pthread_kill(found->second.thread, WakeSignal());
    return true;
}

DWORD WaitForSingleObject(THandle thread, DWORD milliseconds)
{
    ThreadTable& table = Threads();
    std::unique_lock lock(table.lock);
    const auto ended = [&] { return !table.living.contains(thread); };
    if (milliseconds == INFINITE) {
        table.threadEnded.wait(lock, ended);
        return WAIT_OBJECT_0;
    }
    return table.threadEnded.wait_for(lock, std::chrono::milliseconds(milliseconds), ended) ? WAIT_OBJECT_0
                                                                                            : WAIT_TIMEOUT;
}

bool SetPriorityClass(THandle, DWORD priorityClass)
{
    if (priorityClass != IDLE_PRIORITY_CLASS && priorityClass != NORMAL_PRIORITY_CLASS) {
        SetLastError(EINVAL);
        return false;
    }
    ThreadTable& table = Threads();
    std::lock_guard lock(table.lock);
    table.priorityClass = priorityClass;
    for (const auto& [handle, record] : table.living)
        if (!record.priorityGiven)
            SystemCalls().SetScheduling(record.thread, record.tid, SCHED_OTHER, ClassNice(priorityClass));
    return true;
}

DWORD GetPriorityClass(THandle)
{
    ThreadTable& table = Threads();
    std::lock_guard lock(table.lock);
    return table.priorityClass;
}

DWORD_PTR SetThreadAffinityMask(THandle thread, DWORD_PTR mask)
{
    ThreadTable& table = Threads();
    std::lock_guard lock(table.lock);
    const auto found = table.living.find(thread);
    if (found == table.living.end()) {
        SetLastError(ESRCH);
        return 0;
    }
    cpu_set_t previous;
    CPU_ZERO(&previous);
    pthread_getaffinity_np(found->second.thread, sizeof previous, &previous);
    cpu_set_t wanted;
    CPU_ZERO(&wanted);
    constexpr int maskBits = sizeof(DWORD_PTR) * 8;
    for (int processor = 0; processor < maskBits; ++processor)
        if (mask >> processor & 1)
            CPU_SET(processor, &wanted);
    if (const int error = SystemCalls().SetAffinity(found->second.thread, wanted)) {
        SetLastError(DWORD(error));
        return 0;
    }
    DWORD_PTR previousMask = 0;
    for (int processor = 0; processor < maskBits; ++processor)
        if (CPU_ISSET(processor, &previous))
            previousMask |= DWORD_PTR(1) << processor;
    return previousMask;
}

#include "thread.moc"
