// Long random sequences of what a person can do with the window, played on
// the real window with real threads and checked after every step against a
// model of the run states. The seed is printed with any failure;
// KILNOVA_MODEL_SEED replays it, KILNOVA_MODEL_STEPS sets the length.
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
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <array>
#include <cstdlib>
#include <span>
#include <random>
#include <thread>
#include <vector>

namespace {

using Buttons = QRadioButton* TForm1::*;
const Buttons priorityButtons[] = { &TForm1::RadioButton1, &TForm1::RadioButton2, &TForm1::RadioButton3,
                                    &TForm1::RadioButton4 };
const Buttons runningTimeButtons[] = { &TForm1::RadioButton5, &TForm1::RadioButton8, &TForm1::RadioButton6,
                                       &TForm1::RadioButton7 };
const Buttons dualButtons[] = { &TForm1::RadioButton9, &TForm1::RadioButton10, &TForm1::RadioButton11 };

// What the run's load threads are given, by priority choice: Idle, Normal,
// High, Realtime (confirmed; declined is Normal).
const std::pair<int, int> loadScheduling[] = { { SCHED_IDLE, 0 }, { SCHED_OTHER, 0 }, { SCHED_OTHER, -5 },
                                               { SCHED_OTHER, -20 } };
// The last texts of a timed run that ended by itself, by running-time choice.
const char* const lastTexts[][3] = { {}, { "59 Sec", "0 Min", "0 Hour" }, { "59 Sec", "9 Min", "0 Hour" },
                                     { "59 Sec", "59 Min", "0 Hour" } };
const std::vector<DWORD_PTR> dualMasks[] = { { 1, 1, 1, 1 }, { 2, 2, 2, 2 }, { 1, 1, 2, 2 } };

std::atomic<THandle>* const handleValues[] = { &Thread1Handle, &Thread2Handle, &Thread10Handle, &Thread11Handle,
                                               &TimerHandle };

struct TModel {
    bool runActive = false;
    int priority = 0;
    int runningTime = 0;
    int dual = 2;
    bool dualEnabled = true;
    QString status;
    bool runningIcons = false;
    long processorCount = 2;
    bool answerYes = false;
    int questions = 0;
    std::vector<THandle> runThreads;   // of the latest run
    std::vector<THandle> earlierThreads;
    QString seconds = "0 Sec", minutes = "0 Min", hours = "0 Hour";
    bool labelsSettled = true;   // false while a run's ticks may change them
};

class RunModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        system.sleepMilliseconds = 0;
        for (auto* value : handleValues)
            *value = 0;
        RunFinished = 0;
    }
    void TearDown() override
    {
        form.reset();
        system.timeFrozen = false;
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
        for (const THandle thread : model.earlierThreads)
            EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    }

    void Start(bool fromMenu);
    void Stop(bool fromMenu);
    void LetTimePass();
    void Check();

    TFakeSystemCalls system;
    TFakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    TModel model;
};

void RunModelTest::Start(bool fromMenu)
{
    TForm1& f = *form;
    const size_t schedulingBefore = system.SchedulingCalls().size();
    const size_t affinityBefore = system.AffinityCalls().size();
    std::vector<THandle> before;
    for (auto* value : handleValues)
        before.push_back(*value);
    dialogs.answerYes = model.answerYes;
    fromMenu ? f.Start1->trigger() : f.Button4->click();
    if (model.runActive && !fromMenu)
        return;   // the disabled button does nothing
    if (model.runActive) {
        EXPECT_EQ(system.SchedulingCalls().size(), schedulingBefore) << "no second set of threads";
        return;
    }
    model.runActive = true;
    model.status = "Running";
    model.runningIcons = true;
    model.labelsSettled = false;
    const bool realtime = model.priority == 3;
    model.questions += realtime;
    model.earlierThreads.insert(model.earlierThreads.end(), model.runThreads.begin(), model.runThreads.end());
    model.runThreads.clear();

    // The threads of the new run write their handles as their bodies start.
    const bool twoProcessors = model.processorCount >= 2;
    std::vector<size_t> classes = { 0, 1, 4 };
    if (twoProcessors)
        classes = { 0, 1, 2, 3, 4 };
    for (const size_t index : classes) {
        std::atomic<THandle>& value = *handleValues[index];
        ASSERT_TRUE(WaitUntil([&] { return value != before[index]; })) << "thread " << index << " never ran";
        model.runThreads.push_back(value);
    }
    const size_t loadThreads = twoProcessors ? 4 : 2;
    const auto scheduling = system.SchedulingCalls();
    ASSERT_EQ(scheduling.size(), schedulingBefore + loadThreads + 1);
    const auto expected = realtime && !model.answerYes ? loadScheduling[1] : loadScheduling[model.priority];
    for (size_t call = schedulingBefore; call < schedulingBefore + loadThreads; ++call) {
        EXPECT_EQ(scheduling[call].policy, expected.first);
        EXPECT_EQ(scheduling[call].nice, expected.second);
    }
    EXPECT_EQ(scheduling.back().nice, model.priority == 0 ? 19 : 0) << "the elapsed-time thread by the class";
    std::vector<DWORD_PTR> masks;
    const auto affinity = system.AffinityCalls();
    for (size_t call = affinityBefore; call < affinity.size(); ++call)
        masks.push_back(affinity[call].mask);
    const std::vector<DWORD_PTR> oneProcessor { 1, 1 };
    EXPECT_EQ(masks, twoProcessors ? dualMasks[model.dual] : oneProcessor);
}

void RunModelTest::Stop(bool fromMenu)
{
    fromMenu ? form->Stop1->trigger() : form->Button5->click();
    if (!model.runActive && !fromMenu)
        return;
    model.runActive = false;
    model.status = "Ready";
    model.runningIcons = false;
    for (const THandle thread : model.runThreads)
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "Stop returned before its threads ended";
    QCoreApplication::processEvents();
    model.seconds = form->Label2->text();
    model.minutes = form->Label3->text();
    model.hours = form->Label4->text();
    model.labelsSettled = true;
}

void RunModelTest::LetTimePass()
{
    if (!model.runActive || model.runningTime == 0)
        return;
    system.timeFrozen = false;
    ASSERT_TRUE(WaitUntil([&] { return form->Button4->isEnabled(); })) << "the timed run never ended";
    system.timeFrozen = true;
    EXPECT_EQ(WaitForSingleObject(model.runThreads.back(), 5000), WAIT_OBJECT_0) << "the elapsed-time thread ends";
    model.runActive = false;
    model.status = "Ready";
    model.runningIcons = false;
    model.seconds = lastTexts[model.runningTime][0];
    model.minutes = lastTexts[model.runningTime][1];
    model.hours = lastTexts[model.runningTime][2];
    model.labelsSettled = true;
}

void RunModelTest::Check()
{
    QCoreApplication::processEvents();
    TForm1& f = *form;
    EXPECT_EQ(f.Button4->isEnabled(), !model.runActive);
    EXPECT_EQ(f.Button5->isEnabled(), model.runActive);
    for (const auto group : { std::span(priorityButtons), std::span(runningTimeButtons) })
        for (const Buttons button : group)
            EXPECT_EQ((f.*button)->isEnabled(), !model.runActive);
    for (const Buttons button : dualButtons)
        EXPECT_EQ((f.*button)->isEnabled(), model.dualEnabled);
    EXPECT_TRUE((f.*priorityButtons[model.priority])->isChecked());
    EXPECT_TRUE((f.*runningTimeButtons[model.runningTime])->isChecked());
    EXPECT_TRUE((f.*dualButtons[model.dual])->isChecked());
    EXPECT_EQ(f.StatusBar1->currentMessage(), model.status);
    EXPECT_EQ(f.abfTrayIcon1->ImageList(), model.runningIcons ? &f.ImageList2 : &f.ImageList1);
    EXPECT_EQ(dialogs.questions.size(), model.questions);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    if (model.labelsSettled) {
        EXPECT_EQ(f.Label2->text(), model.seconds);
        EXPECT_EQ(f.Label3->text(), model.minutes);
        EXPECT_EQ(f.Label4->text(), model.hours);
    }
    if (model.runActive) {
        for (const THandle thread : model.runThreads)
            EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT) << "a thread of the active run ended";
    }
    for (const THandle thread : model.earlierThreads)
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "a thread of an earlier run lives on";
}

std::uint64_t SettingOr(const char* name, std::uint64_t fallback)
{
    const char* value = std::getenv(name);
    return value ? std::strtoull(value, nullptr, 10) : fallback;
}

TEST_F(RunModelTest, RandomSequencesOfCommands)
{
    const std::uint64_t seed = SettingOr("KILNOVA_MODEL_SEED", std::random_device {}());
    const std::uint64_t steps = SettingOr("KILNOVA_MODEL_STEPS", KILNOVA_MODEL_STEPS);
    SCOPED_TRACE("KILNOVA_MODEL_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);
    const auto pick = [&](int count) { return int(random() % std::uint64_t(count)); };

    model.processorCount = std::array { 1, 2, 4 }[pick(3)];
    system.processorCount = model.processorCount;
    model.dualEnabled = model.processorCount != 1;
    form = std::make_unique<TForm1>();
    system.timeFrozen = true;   // from now on a run's time passes only when the sequence says so
    Check();
    std::uint64_t step = 0;
    for (; step < steps && !HasFailure(); ++step) {
        switch (pick(11)) {
        case 0: Start(false); break;
        case 1: Start(true); break;
        case 2: Stop(false); break;
        case 3: Stop(true); break;
        case 4: {
            const int choice = pick(4);
            (form.get()->*priorityButtons[choice])->click();
            if (!model.runActive)
                model.priority = choice;
            break;
        }
        case 5: {
            const int choice = pick(4);
            (form.get()->*runningTimeButtons[choice])->click();
            if (!model.runActive)
                model.runningTime = choice;
            break;
        }
        case 6: {
            const int choice = pick(3);
            (form.get()->*dualButtons[choice])->click();
            if (model.dualEnabled)
                model.dual = choice;
            break;
        }
        case 7: model.answerYes = !model.answerYes; break;
        case 8:
            form->FormActivate();
            if (!model.runActive)
                model.status = "Ready";
            break;
        case 9: LetTimePass(); break;
        case 10:
            model.processorCount = std::array { 1, 2, 4 }[pick(3)];
            system.processorCount = model.processorCount;
            break;
        }
        Check();
    }
    std::printf("%llu steps of seed %llu\n", static_cast<unsigned long long>(step),
                static_cast<unsigned long long>(seed));
}

} // namespace
