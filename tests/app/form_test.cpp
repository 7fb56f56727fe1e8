#include "Thread1.h"
#include "Thread10.h"
#include "Thread11.h"
#include "Thread2.h"
#include "Unit1.h"
#include "fakedialogs.h"
#include "qstringprint.h"
#include "fakesystem.h"
#include "timee.h"
#include "waituntil.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <sys/resource.h>
#include <functional>
#include <memory>
#include <thread>

namespace {

int ThreadsOfProcess()
{
    int threads = 0;
    DIR* tasks = opendir("/proc/self/task");
    while (const dirent* entry = readdir(tasks))
        threads += entry->d_name[0] != '.';
    closedir(tasks);
    return threads;
}

std::vector<DWORD_PTR> Masks(TFakeSystemCalls& system)
{
    std::vector<DWORD_PTR> masks;
    for (const TAffinityCall& call : system.AffinityCalls())
        masks.push_back(call.mask);
    return masks;
}

std::vector<std::pair<int, int>> Scheduling(TFakeSystemCalls& system)
{
    std::vector<std::pair<int, int>> scheduling;
    for (const TSchedulingCall& call : system.SchedulingCalls())
        scheduling.emplace_back(call.policy, call.nice);
    return scheduling;
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baselineThreads = ThreadsOfProcess();
        RunFinished = 0;
        for (auto* value : { &Thread1Handle, &Thread2Handle, &Thread10Handle, &Thread11Handle, &TimerHandle })
            *value = 0;
    }
    void TearDown() override
    {
        form.reset();
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
        EXPECT_TRUE(WaitUntil([this] { return ThreadsOfProcess() == baselineThreads; }))
            << "a thread of the run outlived the window";
    }
    TForm1& Form(long processorCount = 2)
    {
        system.processorCount = processorCount;
        form = std::make_unique<TForm1>();
        return *form;
    }
    // The state a run switches the window into, or out of.
    static void ExpectRunControls(TForm1& f, bool running)
    {
        EXPECT_EQ(f.Button4->isEnabled(), !running);
        EXPECT_EQ(f.Button5->isEnabled(), running);
        for (QRadioButton* button : { f.RadioButton1, f.RadioButton2, f.RadioButton3, f.RadioButton4,
                                      f.RadioButton5, f.RadioButton6, f.RadioButton7, f.RadioButton8 })
            EXPECT_EQ(button->isEnabled(), !running) << button->text().toStdString();
        EXPECT_EQ(f.abfTrayIcon1->ImageList(), running ? &f.ImageList2 : &f.ImageList1);
        EXPECT_EQ(f.StatusBar1->currentMessage(), running ? "Running" : "Ready");
    }
    // Ended threads leave the process a moment after they have ended.
    bool AllThreadsEnded()
    {
        return WaitUntil([this] { return ThreadsOfProcess() == baselineThreads; }, 5000);
    }

    TFakeSystemCalls system;
    TFakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    int baselineThreads = 0;
};

TEST_F(FormTest, StartsIdleWithTheDesignTexts)
{
    for (const long count : { 1L, 2L, 4L }) {
        SCOPED_TRACE(count);
        TForm1& f = Form(count);
        EXPECT_TRUE(f.RadioButton1->isChecked());
        EXPECT_TRUE(f.RadioButton5->isChecked());
        EXPECT_TRUE(f.RadioButton11->isChecked());
        EXPECT_TRUE(f.Button4->isEnabled());
        EXPECT_FALSE(f.Button5->isEnabled());
        EXPECT_TRUE(f.Button3->isEnabled());
        for (QRadioButton* button : { f.RadioButton9, f.RadioButton10, f.RadioButton11 })
            EXPECT_EQ(button->isEnabled(), count != 1);
        EXPECT_EQ(f.Label2->text(), "0 Sec");
        EXPECT_EQ(f.Label3->text(), "0 Min");
        EXPECT_EQ(f.Label4->text(), "0 Hour");
        EXPECT_EQ(f.Label5->text(), QString::number(count));
        EXPECT_FALSE(f.Label1->isEnabled());
        EXPECT_FALSE(f.abfTrayIcon1->Visible());
        EXPECT_EQ(f.abfTrayIcon1->ImageList(), &f.ImageList1);
        EXPECT_EQ(f.StatusBar1->currentMessage(), "");
        f.FormActivate();
        EXPECT_EQ(f.StatusBar1->currentMessage(), "Ready");
        EXPECT_EQ(f.size(), QSize(278, 403));
        EXPECT_EQ(f.windowTitle(), "Kilnova");
    }
}

TEST_F(FormTest, StartAndStopByProcessorCountAndDualOption)
{
    struct Case {
        long processorCount;
        QRadioButton* TForm1::*dualOption;
        int threads;
        std::vector<DWORD_PTR> masks;
    };
    const Case cases[] = {
        { 1, &TForm1::RadioButton11, 3, { 1, 1 } },
        { 2, &TForm1::RadioButton9, 5, { 1, 1, 1, 1 } },
        { 2, &TForm1::RadioButton10, 5, { 2, 2, 2, 2 } },
        { 2, &TForm1::RadioButton11, 5, { 1, 1, 2, 2 } },
        { 4, &TForm1::RadioButton10, 5, { 2, 2, 2, 2 } },
        { 4, &TForm1::RadioButton11, 5, { 1, 1, 2, 2 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.processorCount);
        TFakeSystemCalls caseSystem;
        caseSystem.processorCount = c.processorCount;
        TForm1 f;
        (f.*c.dualOption)->setChecked(true);
        f.Button4Click();
        ExpectRunControls(f, true);
        EXPECT_EQ(Masks(caseSystem), c.masks);
        EXPECT_GE(ThreadsOfProcess(), baselineThreads + c.threads);
        EXPECT_TRUE(WaitUntil([&] { return f.Label2->text() == "1 Sec"; })) << "the elapsed time counts";
        EXPECT_EQ(RunLength, 600000000);
        f.Button5Click();
        ExpectRunControls(f, false);
        EXPECT_TRUE(AllThreadsEnded()) << "Stop ends every thread of the run before it returns";
    }
}

TEST_F(FormTest, PriorityChoicesGiveEveryLoadThreadItsSchedulingAndTheProcessItsClass)
{
    using Calls = std::vector<std::pair<int, int>>;
    const std::pair<int, int> idle { SCHED_IDLE, 0 }, normal { SCHED_OTHER, 0 }, high { SCHED_OTHER, -5 },
        critical { SCHED_OTHER, -20 }, idleClass { SCHED_OTHER, 19 };
    struct Case {
        const char* name;
        QRadioButton* TForm1::*priority;
        bool answerYes;
        Calls calls;   // four load threads, then the elapsed-time thread by the class
        DWORD processClass;
    };
    const Case cases[] = {
        { "Idle", &TForm1::RadioButton1, false, { idle, idle, idle, idle, idleClass }, IDLE_PRIORITY_CLASS },
        { "Normal", &TForm1::RadioButton2, false, { normal, normal, normal, normal, normal }, NORMAL_PRIORITY_CLASS },
        { "High", &TForm1::RadioButton3, false, { high, high, high, high, normal }, NORMAL_PRIORITY_CLASS },
        { "Realtime Yes", &TForm1::RadioButton4, true, { critical, critical, critical, critical, normal },
          NORMAL_PRIORITY_CLASS },
        { "Realtime No", &TForm1::RadioButton4, false, { normal, normal, normal, normal, normal },
          NORMAL_PRIORITY_CLASS },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeSystemCalls caseSystem;
        TFakeDialogs caseDialogs;
        caseDialogs.answerYes = c.answerYes;
        TForm1 f;
        (f.*c.priority)->setChecked(true);
        f.Button4Click();
        EXPECT_EQ(Scheduling(caseSystem), c.calls);
        EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), c.processClass);
        EXPECT_EQ(caseDialogs.questions.size(), c.priority == &TForm1::RadioButton4 ? 1 : 0);
        f.Button5Click();
        EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), c.processClass) << "Stop leaves the class alone";
    }
}

TEST_F(FormTest, DeclinedRealtimeAfterAnIdleRunRunsReallyAtNormalPriority)
{
    system.realScheduling = true;
    TForm1& f = Form(2);
    f.Button4Click();
    f.Button5Click();
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), IDLE_PRIORITY_CLASS);
    f.RadioButton4->setChecked(true);
    dialogs.answerYes = false;
    f.Button4Click();
    ASSERT_EQ(dialogs.questions, QStringList { "Do you really want to use Realtime priority??, if you chose no, the "
                                               "priority will be normal." });
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), NORMAL_PRIORITY_CLASS);
    const auto calls = system.SchedulingCalls();
    for (auto call = calls.end() - 5; call != calls.end(); ++call) {
        EXPECT_EQ(sched_getscheduler(call->tid), SCHED_OTHER);
        errno = 0;
        EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(call->tid)), 0);
    }
    f.Button5Click();
}

// Idle and waiting time of all processors together, in clock ticks.
long long MachineIdleTicks()
{
    FILE* stat = std::fopen("/proc/stat", "r");
    long long user, nice, system, idle, iowait;
    const int read = std::fscanf(stat, "cpu %lld %lld %lld %lld %lld", &user, &nice, &system, &idle, &iowait);
    std::fclose(stat);
    return read == 5 ? idle + iowait : -1;
}

TEST_F(FormTest, ARunLeavesNoProcessorIdle)
{
    TForm1& f = Form(2);
    f.RadioButton2->setChecked(true);
    f.Button4Click();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const long long idleBefore = MachineIdleTicks();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const long long idle = MachineIdleTicks() - idleBefore;
    f.Button5Click();
    const long long ticksPerSecond = sysconf(_SC_CLK_TCK);
    EXPECT_LT(idle, ticksPerSecond * 2 / 10) << "idle ticks of both processors in one second of a run";
}

TEST_F(FormTest, ATimedRunEndsByItselfAndANewStartEndsItsLeftoverThreads)
{
    system.sleepMilliseconds = 0;
    TForm1& f = Form(2);
    f.RadioButton8->setChecked(true);
    f.Button4Click();
    EXPECT_EQ(RunLength, 60);
    ASSERT_TRUE(WaitUntil([&] { return f.Button4->isEnabled(); }));
    EXPECT_EQ(f.Label2->text(), "59 Sec");
    EXPECT_EQ(f.Label3->text(), "0 Min");
    EXPECT_EQ(RunFinished, 1);
    ExpectRunControls(f, false);

    const THandle leftover = Thread11Handle;
    ASSERT_NE(leftover, 0u);
    EXPECT_EQ(WaitForSingleObject(leftover, 0), WAIT_TIMEOUT) << "still in its last pass";
    f.RadioButton5->setChecked(true);
    f.Button4Click();
    EXPECT_EQ(WaitForSingleObject(leftover, 0), WAIT_OBJECT_0) << "ended by the new Start";
    EXPECT_EQ(RunFinished, 0);
    EXPECT_TRUE(WaitUntil([&] { return Thread11Handle != leftover; })) << "the new run has its own";
    f.Button5Click();
}

TEST_F(FormTest, StartFromTheTrayMenuDuringARunChangesNothing)
{
    TForm1& f = Form(2);
    f.Button4Click();
    const int threads = ThreadsOfProcess();
    const auto masks = Masks(system);
    f.Start1->trigger();
    EXPECT_EQ(ThreadsOfProcess(), threads);
    EXPECT_EQ(Masks(system), masks);
    ExpectRunControls(f, true);
    f.Stop1->trigger();
    ExpectRunControls(f, false);
    EXPECT_TRUE(AllThreadsEnded());
}

TEST_F(FormTest, StopWhileIdleSetsReadyAndEndsNothing)
{
    TForm1& f = Form(2);
    f.Stop1->trigger();
    ExpectRunControls(f, false);
}

TEST_F(FormTest, ActivationShowsReadyOnlyWhileNoRunIsActive)
{
    TForm1& f = Form(2);
    f.Button4Click();
    f.FormActivate();
    EXPECT_EQ(f.StatusBar1->currentMessage(), "Running");
    f.Button5Click();
    f.FormActivate();
    EXPECT_EQ(f.StatusBar1->currentMessage(), "Ready");
}

TEST_F(FormTest, NoUpdateOfAStoppedRunAppearsNotEvenAQueuedOne)
{
    system.sleepMilliseconds = 0;
    TForm1& f = Form(1);
    f.Button4Click();
    while (TimerHandle == 0)   // no events processed: ticks queue up meanwhile
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    f.Button5Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Label2->text(), "0 Sec");
}

// Each failure of a Start at each position: the error box, no body run, no
// thread left, the window in the run-active state until Stop, and the next
// Start works.
TEST_F(FormTest, EveryFailureOfAStartAtEveryPosition)
{
    struct Case {
        const char* what;
        int TFakeSystemCalls::*failAt;
        int positions;
        const char* message;
    };
    const Case cases[] = {
        { "creation", &TFakeSystemCalls::failCreationAt, 5, "Thread creation error: Resource temporarily unavailable." },
        { "priority", &TFakeSystemCalls::failSchedulingAt, 4, "Thread Error: Permission denied (13)." },
        { "affinity", &TFakeSystemCalls::failAffinityAt, 4, "Error setting thread affinity mask : 22." },
    };
    for (const Case& c : cases) {
        for (int position = 1; position <= c.positions; ++position) {
            SCOPED_TRACE(std::string(c.what) + " at " + std::to_string(position));
            TFakeSystemCalls caseSystem;
            TFakeDialogs caseDialogs;
            caseSystem.failCreationWith = EAGAIN;
            caseSystem.failSchedulingWith = EACCES;
            caseSystem.failAffinityWith = EINVAL;
            caseSystem.*c.failAt = position;
            for (auto* value : { &Thread1Handle, &Thread2Handle, &Thread10Handle, &Thread11Handle, &TimerHandle })
                *value = 0;
            TForm1 f;
            f.RadioButton3->setChecked(true);
            f.Button4->click();
            EXPECT_EQ(caseDialogs.errors, QStringList { c.message });
            EXPECT_EQ(caseDialogs.errorCaptions, QStringList { QCoreApplication::applicationName() });
            EXPECT_EQ(f.StatusBar1->currentMessage(), "Running");
            EXPECT_FALSE(f.Button4->isEnabled());
            EXPECT_TRUE(AllThreadsEnded());
            for (auto* value : { &Thread1Handle, &Thread2Handle, &Thread10Handle, &Thread11Handle, &TimerHandle })
                EXPECT_EQ(*value, 0u) << "a body ran";
            f.Button5Click();
            ExpectRunControls(f, false);
            caseSystem.*c.failAt = 0;
            f.Button4->click();
            EXPECT_EQ(caseDialogs.errors.size(), 1);
            EXPECT_EQ(ThreadsOfProcess(), baselineThreads + 5);
            f.Button5Click();
            EXPECT_TRUE(AllThreadsEnded());
        }
    }
}

TEST_F(FormTest, AltF4IsDiscardedOnlyWithAlt)
{
    TForm1& f = Form(2);
    struct Case {
        int key;
        Qt::KeyboardModifiers shift;
        int after;
    };
    const Case cases[] = {
        { Qt::Key_F4, Qt::AltModifier, 0 },
        { Qt::Key_F4, Qt::NoModifier, Qt::Key_F4 },
        { Qt::Key_F5, Qt::AltModifier, Qt::Key_F5 },
    };
    for (const Case& c : cases) {
        int key = c.key;
        f.FormKeyDown(key, c.shift);
        EXPECT_EQ(key, c.after);
    }
}

} // namespace
