#include "exception.h"
#include "fakesystem.h"
#include "thread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <memory>
#include <sys/resource.h>
#include <thread>

namespace {

std::atomic<int> bodiesRun { 0 };
std::atomic<int> objectsAlive { 0 };

// A thread whose body counts itself, then runs the given loop terminably or
// sleeps, as the test needs.
class TProbeThread : public TThread {
public:
    enum Body { Return, SpinForever, SleepForever };
    explicit TProbeThread(Body body) : body(body) { ++objectsAlive; }
    ~TProbeThread() override { --objectsAlive; }
    std::atomic<bool> started { false };

protected:
    void Execute() override
    {
        ++bodiesRun;
        started = true;
        if (body == SpinForever)
            RunTerminable(&Spin, &spins);
        if (body == SleepForever)
            for (;;)
                Sleep(1000);
    }

private:
    TERMINABLE_LOOP static void Spin(void* counter)
    {
        auto* spins = static_cast<std::uint64_t*>(counter);
        for (;;)
            *static_cast<volatile std::uint64_t*>(spins) = *spins + 1;
    }
    Body body;
    std::uint64_t spins = 0;
};

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bodiesRun = 0;
        objectsAlive = 0;
    }
    // Resumes a self-freeing thread and returns its handle.
    static THandle Launch(TProbeThread::Body body)
    {
        auto* thread = new TProbeThread(body);
        thread->FreeOnTerminate = true;
        const THandle handle = thread->Handle();
        thread->Resume();
        return handle;
    }
};

TEST_F(ThreadTest, BodyNeverRunsBeforeResumeNorAfterDiscarding)
{
    {
        TProbeThread thread(TProbeThread::Return);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(bodiesRun, 0);
        EXPECT_NE(thread.Handle(), 0u);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(bodiesRun, 0);
    EXPECT_EQ(objectsAlive, 0);
}

TEST_F(ThreadTest, ResumedSelfFreeingThreadRunsItsBodyOnceAndIsFreed)
{
    const THandle handle = Launch(TProbeThread::Return);
    EXPECT_EQ(WaitForSingleObject(handle, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(bodiesRun, 1);
    EXPECT_EQ(objectsAlive, 0);
    EXPECT_FALSE(TerminateThread(handle)) << "an ended thread is never acted on";
}

TEST_F(ThreadTest, HandlesAreNeverReused)
{
    TProbeThread first(TProbeThread::Return);
    TProbeThread second(TProbeThread::Return);
    EXPECT_NE(first.Handle(), second.Handle());
}

TEST_F(ThreadTest, TerminateEndsATerminableLoopAtOnceAndFreesTheObject)
{
    for (const auto body : { TProbeThread::SpinForever, TProbeThread::SleepForever }) {
        SCOPED_TRACE(body);
        const THandle handle = Launch(body);
        EXPECT_EQ(WaitForSingleObject(handle, 50), WAIT_TIMEOUT) << "the body runs until it is ended";
        const auto stop = std::chrono::steady_clock::now();
        EXPECT_TRUE(TerminateThread(handle));
        EXPECT_EQ(WaitForSingleObject(handle, 5000), WAIT_OBJECT_0);
        EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::seconds(2));
        EXPECT_EQ(objectsAlive, 0);
    }
}

TEST_F(ThreadTest, WaitingForNoThreadReturnsAtOnce)
{
    EXPECT_EQ(WaitForSingleObject(0, INFINITE), WAIT_OBJECT_0);
    EXPECT_FALSE(TerminateThread(0));
}

TEST_F(ThreadTest, CreationFailureRaisesTheSystemsMessage)
{
    TFakeSystemCalls system;
    system.failCreationAt = 1;
    system.failCreationWith = EAGAIN;
    try {
        TProbeThread thread(TProbeThread::Return);
        FAIL() << "no exception";
    } catch (const Exception& exception) {
        EXPECT_EQ(exception.Message(), "Thread creation error: Resource temporarily unavailable");
    }
    EXPECT_EQ(objectsAlive, 0);
}

TEST_F(ThreadTest, PrioritiesMapToLinuxScheduling)
{
    struct Case {
        int priority;
        int policy;
        int nice;
    };
    const Case cases[] = {
        { THREAD_PRIORITY_IDLE, SCHED_IDLE, 0 },
        { THREAD_PRIORITY_NORMAL, SCHED_OTHER, 0 },
        { THREAD_PRIORITY_ABOVE_NORMAL, SCHED_OTHER, -5 },
        { THREAD_PRIORITY_TIME_CRITICAL, SCHED_OTHER, -20 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.priority);
        TFakeSystemCalls system;
        TProbeThread thread(TProbeThread::Return);
        thread.SetPriority(c.priority);
        const auto calls = system.SchedulingCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].policy, c.policy);
        EXPECT_EQ(calls[0].nice, c.nice);
        EXPECT_EQ(thread.Priority(), c.priority);
    }
}

TEST_F(ThreadTest, RefusedPrioritiesRaiseTheThreadError)
{
    struct Case {
        int priority;
        int failure;
        const char* message;
    };
    const Case cases[] = {
        { THREAD_PRIORITY_ABOVE_NORMAL, EACCES, "Thread Error: Permission denied (13)" },
        { THREAD_PRIORITY_TIME_CRITICAL, EPERM, "Thread Error: Operation not permitted (1)" },
        { 7, 0, "Thread Error: Invalid argument (22)" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TFakeSystemCalls system;
        system.failSchedulingAt = 1;
        system.failSchedulingWith = c.failure;
        TProbeThread thread(TProbeThread::Return);
        try {
            thread.SetPriority(c.priority);
            FAIL() << "no exception";
        } catch (const Exception& exception) {
            EXPECT_EQ(exception.Message(), c.message);
        }
        EXPECT_EQ(thread.Priority(), THREAD_PRIORITY_NORMAL);
    }
}

int NiceOf(pid_t tid)
{
    errno = 0;
    return getpriority(PRIO_PROCESS, id_t(tid));
}

// The tid the thread's scheduling calls name.
pid_t TidOf(TThread& thread, TFakeSystemCalls& system)
{
    thread.SetPriority(THREAD_PRIORITY_NORMAL);
    return system.SchedulingCalls().back().tid;
}

TEST_F(ThreadTest, RealSchedulingOfIdleAndClassAppliesToThreadsWithoutPriorityOnly)
{
    TFakeSystemCalls system;
    system.realScheduling = true;
    TProbeThread idle(TProbeThread::Return);
    idle.SetPriority(THREAD_PRIORITY_IDLE);
    const pid_t idleTid = system.SchedulingCalls().back().tid;
    EXPECT_EQ(sched_getscheduler(idleTid), SCHED_IDLE);

    auto plain = std::make_unique<TProbeThread>(TProbeThread::Return);
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS));
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), IDLE_PRIORITY_CLASS);
    const pid_t plainTid = system.SchedulingCalls().back().tid;
    EXPECT_EQ(NiceOf(plainTid), 19);
    EXPECT_EQ(sched_getscheduler(idleTid), SCHED_IDLE);
    EXPECT_EQ(NiceOf(gettid()), 0) << "the calling thread is left alone";
    plain.reset();

    // Back to normal: new threads run at normal priority, with or without privilege.
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));
    TProbeThread fresh(TProbeThread::Return);
    EXPECT_EQ(NiceOf(TidOf(fresh, system)), 0);
    EXPECT_EQ(sched_getscheduler(system.SchedulingCalls().back().tid), SCHED_OTHER);
    EXPECT_FALSE(SetPriorityClass(GetCurrentProcess(), 0x80));
    EXPECT_EQ(GetLastError(), DWORD(EINVAL));
}

TEST_F(ThreadTest, AffinityMasksAreAppliedOrRefusedWithTheSystemsCode)
{
    TProbeThread thread(TProbeThread::Return);
    EXPECT_NE(SetThreadAffinityMask(thread.Handle(), 1), 0u);
    EXPECT_EQ(SetThreadAffinityMask(thread.Handle(), 2), 1u) << "the previous mask";
    EXPECT_EQ(SetThreadAffinityMask(thread.Handle(), 0x80), 0u) << "no eighth processor here";
    EXPECT_EQ(GetLastError(), DWORD(EINVAL));
    EXPECT_EQ(SetThreadAffinityMask(0, 1), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ESRCH));
}

// Queues its steps for the UI thread.
class TQueueingThread : public TThread {
public:
    explicit TQueueingThread(std::function<void(int)> step) : step(std::move(step)) {}

protected:
    void Execute() override
    {
        for (int number = 0; number < 3; ++number)
            Queue([this, number] { step(number); });
    }

private:
    std::function<void(int)> step;
};

TEST_F(ThreadTest, QueuedMethodsRunOnTheUiThreadInOrder)
{
    int argc = 0;
    QCoreApplication application(argc, nullptr);
    const std::thread::id uiThread = std::this_thread::get_id();
    std::vector<int> order;
    bool onUiThread = true;
    TQueueingThread thread([&](int number) {
        order.push_back(number);
        onUiThread = onUiThread && std::this_thread::get_id() == uiThread;
    });
    thread.Resume();
    ASSERT_EQ(WaitForSingleObject(thread.Handle(), 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(order.empty()) << "nothing runs before the event loop does";
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int> { 0, 1, 2 }));
    EXPECT_TRUE(onUiThread);
}

TEST(TimersTest, TickCountAndPerformanceCounterFollowTheMonotonicClock)
{
    std::int64_t frequency = 0;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency, 1'000'000'000);
    std::int64_t before = 0;
    std::int64_t after = 0;
    const DWORD tickBefore = GetTickCount();
    QueryPerformanceCounter(&before);
    Sleep(20);
    QueryPerformanceCounter(&after);
    const DWORD ticks = GetTickCount() - tickBefore;
    EXPECT_GE(after - before, 20'000'000);
    EXPECT_GE(ticks, 19u);
    EXPECT_LT(ticks, 2000u);
}

TEST(ProcessorCountTest, ReportsTheOnlineProcessors)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(long(info.dwNumberOfProcessors), sysconf(_SC_NPROCESSORS_ONLN));
    TFakeSystemCalls system;
    system.processorCount = 4;
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwNumberOfProcessors, 4u);
}

} // namespace
