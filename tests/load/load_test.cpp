#include "Thread1.h"
#include "Thread10.h"
#include "Thread11.h"
#include "Thread2.h"
#include "exception.h"
#include "fakesystem.h"
#include "timee.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <memory>
#include <thread>

namespace {

TEST(ElapsedTextsTest, SecondsMinutesAndHoursOfATickCount)
{
    struct Case {
        std::int32_t tickCount;
        const char* seconds;
        const char* minutes;
        const char* hours;
    };
    const Case cases[] = {
        { 1, "1 Sec", "0 Min", "0 Hour" },       { 59, "59 Sec", "0 Min", "0 Hour" },
        { 60, "0 Sec", "1 Min", "0 Hour" },      { 3599, "59 Sec", "59 Min", "0 Hour" },
        { 3600, "0 Sec", "60 Min", "1 Hour" },   { 3700, "40 Sec", "61 Min", "1 Hour" },
        { 599999999, "59 Sec", "9999999 Min", "166666 Hour" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tickCount);
        const TElapsedTexts texts = ElapsedTexts(c.tickCount);
        EXPECT_EQ(texts.seconds, c.seconds);
        EXPECT_EQ(texts.minutes, c.minutes);
        EXPECT_EQ(texts.hours, c.hours);
    }
}

class LoadThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto* value : { &Thread1Handle, &Thread2Handle, &Thread10Handle, &Thread11Handle })
            *value = 0;
        RunFinished = 0;
    }
    void TearDown() override { RunFinished = 0; }
};

TEST_F(LoadThreadTest, AFlagAlreadySetStillLetsOneWholePassRun)
{
    RunFinished = 1;
    TThread1 thread;
    thread.Resume();
    ASSERT_EQ(WaitForSingleObject(thread.Handle(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(Thread1Handle, thread.Handle());
    EXPECT_EQ(thread.Result(), 200.0f);
    EXPECT_EQ(thread.Operand(), 100.0f);
}

// Each class writes its own handle value and keeps working until ended.
template <class Thread> void CheckRunsUntilTerminated(std::atomic<THandle>& handleValue, float expectedResult)
{
    Thread thread;
    EXPECT_EQ(thread.Result(), 100.0f);
    thread.Resume();
    EXPECT_EQ(WaitForSingleObject(thread.Handle(), 100), WAIT_TIMEOUT);
    EXPECT_EQ(handleValue, thread.Handle());
    ASSERT_TRUE(TerminateThread(thread.Handle()));
    ASSERT_EQ(WaitForSingleObject(thread.Handle(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(thread.Result(), expectedResult);
    EXPECT_EQ(thread.Operand(), 100.0f);
}

TEST_F(LoadThreadTest, EveryClassRunsItsWorkUntilTerminated)
{
    CheckRunsUntilTerminated<TThread1>(Thread1Handle, 200.0f);
    CheckRunsUntilTerminated<TThread2>(Thread2Handle, 10000.0f);
    CheckRunsUntilTerminated<TThread10>(Thread10Handle, 200.0f);
    CheckRunsUntilTerminated<TThread11>(Thread11Handle, 10000.0f);
}

TEST_F(LoadThreadTest, AThreadDiscardedUnrunNeverWritesItsHandle)
{
    {
        TThread2 thread;
        thread.SetAffinity(1);
    }
    EXPECT_EQ(Thread2Handle, 0u);
}

TEST_F(LoadThreadTest, RefusedMaskRaisesTheSystemsCode)
{
    TThread1 thread;
    try {
        thread.SetAffinity(0x80);
        FAIL() << "no exception";
    } catch (const Exception& exception) {
        EXPECT_EQ(exception.Message(), "Error setting thread affinity mask : 22");
    }
}

TEST(TimeeTest, TicksUpToRunLengthThenEndsTheRun)
{
    int argc = 0;
    QCoreApplication application(argc, nullptr);
    TFakeSystemCalls system;
    system.sleepMilliseconds = 0;
    RunFinished = 0;
    RunLength = 60;
    std::vector<std::string> seconds;
    bool ended = false;
    bool flagSetBeforeEnd = false;
    auto* timee = new TTimee([&](const TElapsedTexts& texts) { seconds.push_back(texts.seconds); },
                             [&] {
                                 ended = true;
                                 flagSetBeforeEnd = RunFinished == 1;
                             });
    timee->FreeOnTerminate = true;
    const THandle handle = timee->Handle();
    timee->Resume();
    ASSERT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(TimerHandle, handle);
    EXPECT_TRUE(seconds.empty()) << "texts are set on the UI thread only";
    QCoreApplication::processEvents();
    ASSERT_EQ(seconds.size(), 59u);
    EXPECT_EQ(seconds.front(), "1 Sec");
    EXPECT_EQ(seconds.back(), "59 Sec");
    EXPECT_TRUE(ended);
    EXPECT_TRUE(flagSetBeforeEnd);
    RunFinished = 0;
}

} // namespace
