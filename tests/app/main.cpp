// The tests of the window run with one application object, off screen
// unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

#include <thread>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // A sanitizer's runtime starts its own thread with the first thread
    // created: before any test counts the process's threads.
    std::thread([] {}).join();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
