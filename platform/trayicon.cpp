#include "trayicon.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>

TabfTrayIcon::TabfTrayIcon(QWidget* window) : QObject(window), window(window)
{
    window->installEventFilter(this);
    connect(&icon, &QSystemTrayIcon::activated, this, &TabfTrayIcon::Activated);
}

void TabfTrayIcon::SetHint(const QString& newHint)
{
    hint = newHint.left(63);
    ShowHint();
}

void TabfTrayIcon::SetShowHint(bool show)
{
    showHint = show;
    ShowHint();
}

void TabfTrayIcon::ShowHint() { icon.setToolTip(showHint ? hint : QString()); }

void TabfTrayIcon::SetImageList(const TImageList* list)
{
    imageList = list;
    ShowImage();
}

void TabfTrayIcon::SetImageIndex(int index)
{
    imageIndex = index;
    ShowImage();
}

void TabfTrayIcon::ShowImage() { icon.setIcon(imageList ? imageList->Icon(imageIndex) : QIcon()); }

void TabfTrayIcon::SetVisible(bool show)
{
    visible = show;
    icon.setVisible(show && QSystemTrayIcon::isSystemTrayAvailable());
}

void TabfTrayIcon::SetPopupMenu(QMenu* menu) { icon.setContextMenu(menu); }

bool TabfTrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window && event->type() == QEvent::WindowStateChange && minimizeToTray
        && window->isMinimized() && QSystemTrayIcon::isSystemTrayAvailable()) {
        SetVisible(true);
        // Hidden once the state change is done, or the window manager keeps it iconified.
        QTimer::singleShot(0, window, [target = window] { target->hide(); });
    }
    return QObject::eventFilter(watched, event);
}

void TabfTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        if (window->isHidden()) {
            window->showNormal();
            window->activateWindow();
        } else {
            window->hide();
        }
        break;
    case QSystemTrayIcon::Context:
        if (window->isVisible())
            window->activateWindow();
        break;
    case QSystemTrayIcon::Trigger:
        if (popupByLeft && icon.contextMenu())
            icon.contextMenu()->popup(QCursor::pos());
        break;
    default:
        break;
    }
}
