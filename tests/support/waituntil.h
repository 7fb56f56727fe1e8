#pragma once
// Lets the UI thread's events run until a condition holds.
#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

// False when the condition still does not hold after the time given.
inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    return true;
}
