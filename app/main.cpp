#include "Unit1.h"
#include "chipicons.h"
#include "waitcursor.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    TWaitCursor waitCursor;
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kilnova.Kilnova"));
    QApplication::setStyle(QStringLiteral("Windows"));
    // The window hides in the notification area; only Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(IdleChip(32));
    TForm1 Form1;
    Form1.show();
    return QApplication::exec();
}
