#pragma once
// The main window and its run controller.
#include "kernel32.h"
#include "trayicon.h"

#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

class QAction;
class TThread;
class TTimee;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
struct TElapsedTexts;

// The number of processors the system reports, asked anew at every call.
std::int32_t GetProcessorCount();

class TForm1 : public QWidget {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    void FormCreate();
    void FormActivate();
    void FormKeyDown(int& key, Qt::KeyboardModifiers shift);
    void Button4Click();
    void Button5Click();
    void Button3click();
    void FormClose();

    // The components, by their names on the window.
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QGroupBox* GroupBox2;
    QRadioButton* RadioButton5;
    QRadioButton* RadioButton8;
    QRadioButton* RadioButton6;
    QRadioButton* RadioButton7;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button3;
    QGroupBox* GroupBox3;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label2;
    QGroupBox* GroupBox4;
    QLabel* Label6;
    QLabel* Label5;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label11;
    QLabel* Label14;
    QGroupBox* GroupBox5;
    QLabel* Label15;
    QRadioButton* RadioButton9;
    QRadioButton* RadioButton10;
    QRadioButton* RadioButton11;
    QLabel* Label1;
    QStatusBar* StatusBar1;
    QMenu* PopupMenu1;
    QAction* Start1;
    QAction* Stop1;
    QAction* Exit1;
    const TImageList ImageList1;
    const TImageList ImageList2;
    TabfTrayIcon* abfTrayIcon1;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TPriority {
        int threadPriority;
        DWORD processClass;
    };

    void createWindow();
    void createPriorityBox();
    void createRunningTimeBox();
    void createButtons();
    void createTimeElapsedBox();
    void createProcessorInfoBox();
    void createDualOptionsBox();
    void createStatusBar();
    void createTrayIcon();
    void setTabOrder();

    // Runs an event handler; an exception that leaves it is shown.
    void Guarded(void (TForm1::*handler)());
    void ShowRunControls(bool running);
    std::int32_t SelectedRunLength() const;
    TPriority SelectedPriority();
    template <class Thread> std::unique_ptr<Thread> CreateThread();
    template <class Thread> void ResumeThread(std::unique_ptr<Thread>& thread);
    std::unique_ptr<TTimee> CreateTimee();
    void StartOneProcessorRun();
    void StartTwoProcessorRun();
    bool ApplyPriority(std::initializer_list<TThread*> loadThreads);
    void EndRunThreads();
    void ShowElapsed(std::uint64_t run, const TElapsedTexts& texts);
    void RunTimeUp(std::uint64_t run);
    bool IsCurrentRun(std::uint64_t run) const { return runActive && run == runSerial; }

    // The running threads of the latest run, which Stop ends.
    std::vector<THandle> runThreads;
    std::uint64_t runSerial = 0;
    bool runActive = false;
};
