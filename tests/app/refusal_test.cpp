// What the user sees when Linux itself refuses a run's priority or affinity.
// Each case needs a setting this test cannot make for itself: ctest runs it
// as an ordinary user, or inside a cpuset limited to the first processor.
#include "Thread1.h"
#include "Unit1.h"
#include "exception.h"
#include "fakedialogs.h"
#include "qstringprint.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <cstdlib>
#include <unistd.h>

namespace {

void ExpectRefusedStartAndRecovery(TForm1& form, TFakeDialogs& dialogs, const QString& error)
{
    form.Button4->click();
    EXPECT_EQ(dialogs.errors, QStringList { error });
    EXPECT_EQ(Thread1Handle, 0u) << "no load ran";
    EXPECT_FALSE(form.Button4->isEnabled());
    form.Button5->click();
    EXPECT_TRUE(form.Button4->isEnabled());
    EXPECT_EQ(form.StatusBar1->currentMessage(), "Ready");
}

TEST(RefusedBySystem, HighPriorityForAnOrdinaryUser)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may raise priorities";
    TFakeDialogs dialogs;
    Thread1Handle = 0;
    TForm1 form;
    form.RadioButton3->setChecked(true);
    ExpectRefusedStartAndRecovery(form, dialogs, "Thread Error: Permission denied (13).");
    form.RadioButton2->setChecked(true);
    form.Button4->click();
    EXPECT_EQ(dialogs.errors.size(), 1) << "Normal needs no privilege";
    form.Button5->click();
}

TEST(RefusedBySystem, SecondProcessorOutsideTheCpuset)
{
    if (!std::getenv("KILNOVA_IN_CPUSET"))
        GTEST_SKIP() << "needs a cpuset limited to the first processor";
    TFakeDialogs dialogs;
    Thread1Handle = 0;
    {
        TThread1 thread;
        try {
            thread.SetAffinity(2);
            FAIL() << "no exception";
        } catch (const Exception& exception) {
            EXPECT_EQ(exception.Message(), "Error setting thread affinity mask : 22");
        }
    }
    TForm1 form;
    form.RadioButton10->setChecked(true);
    ExpectRefusedStartAndRecovery(form, dialogs, "Error setting thread affinity mask : 22.");
    form.RadioButton9->setChecked(true);
    form.Button4->click();
    EXPECT_EQ(dialogs.errors.size(), 1) << "the first processor is allowed";
    form.Button5->click();
}

} // namespace
