#pragma once
// The notification-area icon of the main window, and the image lists it
// takes its icon from.
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSystemTrayIcon>

class QMenu;
class QWidget;

class TImageList {
public:
    explicit TImageList(QList<QPixmap> images) : images(std::move(images)) {}
    QIcon Icon(int index) const { return QIcon(images.value(index)); }

private:
    QList<QPixmap> images;
};

class TabfTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TabfTrayIcon(QWidget* window);

    // The tooltip; the notification area keeps at most 63 characters.
    void SetHint(const QString& hint);
    void SetShowHint(bool show);
    // The icon shows the image ImageIndex of the current list.
    void SetImageList(const TImageList* list);
    const TImageList* ImageList() const { return imageList; }
    void SetImageIndex(int index);
    void SetVisible(bool visible);
    bool Visible() const { return visible; }
    // Minimizing the window hides it and its taskbar entry and shows the
    // icon, where there is a notification area; elsewhere it only minimizes.
    void SetMinimizeToTray(bool minimize) { minimizeToTray = minimize; }
    // Opened by the right button; by the left button too with PopupByLeft.
    void SetPopupMenu(QMenu* menu);
    void SetPopupByLeft(bool byLeft) { popupByLeft = byLeft; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Activated(QSystemTrayIcon::ActivationReason reason);
    void ShowImage();
    void ShowHint();

    QWidget* window;
    QSystemTrayIcon icon;
    QString hint;
    bool showHint = false;
    const TImageList* imageList = nullptr;
    int imageIndex = 0;
    bool visible = false;
    bool minimizeToTray = false;
    bool popupByLeft = false;
};
