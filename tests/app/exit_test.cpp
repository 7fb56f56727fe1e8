// Exit in every state of the window: a child process runs the program's
// window, is driven into the state, chooses Exit, and must be gone at once,
// with exit status 0 and nothing from the sanitizers.
#include "Unit1.h"
#include "dialogs.h"
#include "fakesystem.h"
#include "timee.h"
#include "waitcursor.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const char* const stateSetting = "KILNOVA_EXIT_STATE";

// The child's part: the state named by the setting, then Exit from the menu
// or the close box, and the event loop run to its end as the program does.
TEST(ExitChild, DriveIntoTheStateAndExit)
{
    const char* state = std::getenv(stateSetting);
    if (!state)
        GTEST_SKIP() << "run by ExitInEveryState in a child process";
    TFakeSystemCalls system;
    system.sleepMilliseconds = 0;
    system.processorCount = std::strcmp(state, "two-load-threads") == 0 ? 1 : 2;
    {
        TWaitCursor waitCursor;
        TForm1 form;
        form.show();
        const auto exit = [&] {
            std::printf("exiting\n");
            std::fflush(stdout);
            std::strcmp(state, "closed") == 0 ? (void)form.close() : form.Exit1->trigger();
        };
        if (std::strcmp(state, "error-box") == 0) {
            // The box of a refused affinity is open when Exit comes.
            system.failAffinityAt = 1;
            QTimer::singleShot(0, form.Button4, &QPushButton::click);
            QTimer::singleShot(100, exit);
        } else {
            if (std::strcmp(state, "timed-run-ended") == 0) {
                form.RadioButton8->setChecked(true);
                form.Button4->click();
                while (!form.Button4->isEnabled())
                    QCoreApplication::processEvents();
            } else if (std::strcmp(state, "idle") != 0) {
                form.Button4->click();
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            QTimer::singleShot(0, exit);
        }
        QApplication::exec();
    }
}

TEST(ExitTest, ExitInEveryState)
{
    for (const char* state : { "idle", "two-load-threads", "four-load-threads", "timed-run-ended", "error-box",
                               "closed" }) {
        SCOPED_TRACE(state);
        int output[2];
        int errors[2];
        ASSERT_EQ(pipe(output), 0);
        ASSERT_EQ(pipe(errors), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(output[1], STDOUT_FILENO);
            dup2(errors[1], STDERR_FILENO);
            setenv(stateSetting, state, 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl("/proc/self/exe", "app_tests", "--gtest_filter=ExitChild.*", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(output[1]);
        close(errors[1]);
        std::string printed;
        char buffer[4096];
        while (printed.find("exiting\n") == std::string::npos) {
            const ssize_t length = read(output[0], buffer, sizeof buffer);
            if (length <= 0)
                break;
            printed.append(buffer, size_t(length));
        }
        const auto exitChosen = std::chrono::steady_clock::now();
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const auto gone = std::chrono::steady_clock::now() - exitChosen;
        std::string complaints;
        for (ssize_t length; (length = read(errors[0], buffer, sizeof buffer)) > 0;)
            complaints.append(buffer, size_t(length));
        close(output[0]);
        close(errors[0]);
        EXPECT_NE(printed.find("exiting"), std::string::npos) << printed;
        ASSERT_TRUE(WIFEXITED(status)) << complaints;
        EXPECT_EQ(WEXITSTATUS(status), 0) << printed << complaints;
        EXPECT_LT(gone, std::chrono::seconds(1));
        for (const char* report : { "Sanitizer", "runtime error", "LeakSanitizer" })
            EXPECT_EQ(complaints.find(report), std::string::npos) << complaints;
    }
}

} // namespace
