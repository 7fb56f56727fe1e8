#include "Unit1.h"

#include "Thread1.h"
#include "Thread10.h"
#include "Thread11.h"
#include "Thread2.h"
#include "chipicons.h"
#include "dialogs.h"
#include "exception.h"
#include "processorpanel.h"
#include "timee.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>

namespace {

const QString realtimeQuestion
    = QStringLiteral("Do you really want to use Realtime priority??, if you chose no, the priority will be normal.");

QRadioButton* CreateRadioButton(QWidget* parent, const char* caption, int left, int top, int width)
{
    auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
    button->setGeometry(left, top, width, 17);
    return button;
}

QPushButton* CreateButton(QWidget* parent, const char* caption, int top)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setGeometry(16, top, 75, 25);
    return button;
}

QGroupBox* CreateGroupBox(QWidget* parent, const char* caption, const QRect& geometry)
{
    auto* box = new QGroupBox(QString::fromLatin1(caption), parent);
    box->setGeometry(geometry);
    return box;
}

void SetLabelText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
    // A screen reader reads a label named for what it shows by that name, and its text as the description.
    if (!label->accessibleName().isEmpty())
        label->setAccessibleDescription(text);
}

// A label sized to its text; accessibleName says what a label that shows a value shows.
QLabel* CreateLabel(QWidget* parent, const char* caption, int left, int top, const char* accessibleName = "")
{
    auto* label = new QLabel(parent);
    label->setAccessibleName(QString::fromLatin1(accessibleName));
    label->move(left, top);
    SetLabelText(label, QString::fromLatin1(caption));
    return label;
}

} // namespace

std::int32_t GetProcessorCount()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::int32_t(info.dwNumberOfProcessors);
}

TForm1::TForm1()
    : ImageList1({ IdleChip(16) }), ImageList2({ RunningChip(16) })
{
    createWindow();
    createPriorityBox();
    createRunningTimeBox();
    createButtons();
    createTimeElapsedBox();
    createProcessorInfoBox();
    createDualOptionsBox();
    Label1 = CreateLabel(this, "Build 13", 232, 368);
    Label1->setEnabled(false);
    createStatusBar();
    createTrayIcon();
    setTabOrder();
    Guarded(&TForm1::FormCreate);
}

TForm1::~TForm1() { EndRunThreads(); }

void TForm1::createWindow()
{
    setWindowTitle(QStringLiteral("Kilnova"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(278, 403);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               { QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans") });
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::createPriorityBox()
{
    GroupBox1 = CreateGroupBox(this, "Priority", { 0, 0, 105, 121 });
    RadioButton1 = CreateRadioButton(GroupBox1, "Idle", 8, 24, 57);
    RadioButton2 = CreateRadioButton(GroupBox1, "Normal", 8, 48, 65);
    RadioButton3 = CreateRadioButton(GroupBox1, "High", 8, 72, 57);
    RadioButton4 = CreateRadioButton(GroupBox1, "Realtime", 8, 96, 65);
    RadioButton1->setChecked(true);
}

void TForm1::createRunningTimeBox()
{
    GroupBox2 = CreateGroupBox(this, "Running-time", { 120, 0, 153, 121 });
    RadioButton5 = CreateRadioButton(GroupBox2, "Infinite", 8, 24, 89);
    RadioButton8 = CreateRadioButton(GroupBox2, "1 min", 8, 48, 57);
    RadioButton6 = CreateRadioButton(GroupBox2, "10 min", 8, 72, 89);
    RadioButton7 = CreateRadioButton(GroupBox2, "60 min", 8, 96, 89);
    RadioButton5->setChecked(true);
}

void TForm1::createButtons()
{
    Button4 = CreateButton(this, "Start", 128);
    Button5 = CreateButton(this, "Stop", 160);
    Button3 = CreateButton(this, "Exit", 192);
    connect(Button4, &QPushButton::clicked, this, [this] { Guarded(&TForm1::Button4Click); });
    connect(Button5, &QPushButton::clicked, this, [this] { Guarded(&TForm1::Button5Click); });
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded(&TForm1::Button3click); });
}

void TForm1::createTimeElapsedBox()
{
    GroupBox3 = CreateGroupBox(this, "Time elapsed", { 120, 128, 153, 81 });
    Label4 = CreateLabel(GroupBox3, "0 Hour", 48, 24, "Hours elapsed");
    Label3 = CreateLabel(GroupBox3, "0 Min", 48, 40, "Minutes elapsed");
    Label2 = CreateLabel(GroupBox3, "0 Sec", 48, 56, "Seconds elapsed");
}

void TForm1::createProcessorInfoBox()
{
    GroupBox4 = CreateGroupBox(this, "Processor info", { 0, 240, 161, 137 });
    Label6 = CreateLabel(GroupBox4, "count:", 8, 16);
    Label5 = CreateLabel(GroupBox4, "Label5", 40, 16, "Processor count");
    Label7 = CreateLabel(GroupBox4, "Label7", 8, 40, "Processor name");
    Label8 = CreateLabel(GroupBox4, "label8", 8, 56, "Clock speed");
    Label9 = CreateLabel(GroupBox4, "Label9", 8, 72, "L1 cache");
    Label10 = CreateLabel(GroupBox4, "Label10", 8, 88, "L2 cache");
    Label12 = CreateLabel(GroupBox4, "cpuid", 8, 104);
    Label13 = CreateLabel(GroupBox4, "ext cpuid", 64, 104);
    Label11 = CreateLabel(GroupBox4, "Label11", 8, 120, "Processor signature");
    Label14 = CreateLabel(GroupBox4, "Label14", 64, 120, "Extended signature");
}

void TForm1::createDualOptionsBox()
{
    GroupBox5 = CreateGroupBox(this, "Dual options", { 168, 240, 105, 121 });
    Label15 = CreateLabel(GroupBox5, "Run threads on :", 8, 24);
    RadioButton9 = CreateRadioButton(GroupBox5, "Cpu 1", 8, 40, 57);
    RadioButton10 = CreateRadioButton(GroupBox5, "Cpu 2", 8, 64, 57);
    RadioButton11 = CreateRadioButton(GroupBox5, "Cpu 1+2", 8, 88, 81);
}

void TForm1::createStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setGeometry(0, 384, 278, 19);
    StatusBar1->setSizeGripEnabled(false);
    // The status bar paints its message itself: a screen reader gets it as the description.
    StatusBar1->setAccessibleName(QStringLiteral("Status"));
    connect(StatusBar1, &QStatusBar::messageChanged, StatusBar1,
            [statusBar = StatusBar1](const QString& message) { statusBar->setAccessibleDescription(message); });
}

void TForm1::createTrayIcon()
{
    PopupMenu1 = new QMenu(this);
    Start1 = PopupMenu1->addAction(QStringLiteral("Start"));
    Stop1 = PopupMenu1->addAction(QStringLiteral("Stop"));
    Exit1 = PopupMenu1->addAction(QStringLiteral("Exit"));
    connect(Start1, &QAction::triggered, this, [this] { Guarded(&TForm1::Button4Click); });
    connect(Stop1, &QAction::triggered, this, [this] { Guarded(&TForm1::Button5Click); });
    connect(Exit1, &QAction::triggered, this, [this] { Guarded(&TForm1::Button3click); });

    abfTrayIcon1 = new TabfTrayIcon(this);
    abfTrayIcon1->SetHint(QStringLiteral("Kilnova"));
    abfTrayIcon1->SetShowHint(true);
    abfTrayIcon1->SetImageList(&ImageList1);
    abfTrayIcon1->SetImageIndex(0);
    abfTrayIcon1->SetVisible(false);
    abfTrayIcon1->SetMinimizeToTray(true);
    abfTrayIcon1->SetPopupMenu(PopupMenu1);
    abfTrayIcon1->SetPopupByLeft(false);
}

void TForm1::setTabOrder()
{
    const auto chain = [](std::initializer_list<QWidget*> widgets) {
        for (auto widget = widgets.begin(); widget + 1 != widgets.end(); ++widget)
            QWidget::setTabOrder(*widget, *(widget + 1));
    };
    chain({ GroupBox1, Button3, GroupBox2, GroupBox3, GroupBox4, Button4, Button5, GroupBox5 });
    chain({ RadioButton3, RadioButton2, RadioButton1, RadioButton4 });
    chain({ RadioButton5, RadioButton6, RadioButton7, RadioButton8 });
    chain({ RadioButton9, RadioButton10, RadioButton11 });
}

void TForm1::Guarded(void (TForm1::*handler)())
{
    try {
        (this->*handler)();
    } catch (const Exception& exception) {
        ShowException(this, exception);
    }
}

void TForm1::FormCreate()
{
    Button5->setEnabled(false);
    RadioButton11->setChecked(true);
    const std::int32_t processorCount = GetProcessorCount();
    if (processorCount == 1)
        for (QRadioButton* button : { RadioButton9, RadioButton10, RadioButton11 })
            button->setEnabled(false);
    SetLabelText(Label5, QString::number(processorCount));
    const std::pair<TPanelLabel, QLabel*> panelLabels[] = {
        { TPanelLabel::Label7, Label7 },   { TPanelLabel::Label8, Label8 },   { TPanelLabel::Label9, Label9 },
        { TPanelLabel::Label10, Label10 }, { TPanelLabel::Label11, Label11 }, { TPanelLabel::Label14, Label14 },
    };
    FillProcessorPanel([&](TPanelLabel shown, const std::string& text) {
        for (const auto& [label, widget] : panelLabels)
            if (label == shown)
                SetLabelText(widget, AnsiToQString(text));
    });
}

void TForm1::FormActivate()
{
    // During a run the status text goes on saying so.
    if (!runActive)
        StatusBar1->showMessage(QStringLiteral("Ready"));
}

void TForm1::FormKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_F4 && shift.testFlag(Qt::AltModifier))
        key = 0;
}

void TForm1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QWidget::changeEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // Only while the window itself, and no control on it, has the focus.
    int key = event->key();
    if (focusWidget() == nullptr || focusWidget() == this)
        FormKeyDown(key, event->modifiers());
    if (key == 0)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}

void TForm1::ShowRunControls(bool running)
{
    Button4->setEnabled(!running);
    Button5->setEnabled(running);
    for (QRadioButton* button : { RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5, RadioButton6,
                                  RadioButton7, RadioButton8 })
        button->setEnabled(!running);
}

std::int32_t TForm1::SelectedRunLength() const
{
    //  button        tick count at which the run ends
    const std::pair<const QRadioButton*, std::int32_t> runLengths[] = {
        { RadioButton5, 600000000 },
        { RadioButton8, 60 },
        { RadioButton6, 600 },
        { RadioButton7, 3600 },
    };
    std::int32_t runLength = 0;
    for (const auto& [button, length] : runLengths)
        if (button->isChecked())
            runLength = length;
    return runLength;
}

TForm1::TPriority TForm1::SelectedPriority()
{
    constexpr TPriority idle { THREAD_PRIORITY_IDLE, IDLE_PRIORITY_CLASS };
    constexpr TPriority normal { THREAD_PRIORITY_NORMAL, NORMAL_PRIORITY_CLASS };
    constexpr TPriority high { THREAD_PRIORITY_ABOVE_NORMAL, NORMAL_PRIORITY_CLASS };
    constexpr TPriority realtime { THREAD_PRIORITY_TIME_CRITICAL, NORMAL_PRIORITY_CLASS };
    if (RadioButton1->isChecked())
        return idle;
    if (RadioButton3->isChecked())
        return high;
    if (RadioButton4->isChecked())
        return Dialogs().ConfirmYes(this, realtimeQuestion) ? realtime : normal;
    return normal;
}

template <class Thread> std::unique_ptr<Thread> TForm1::CreateThread() { return std::make_unique<Thread>(); }

std::unique_ptr<TTimee> TForm1::CreateTimee()
{
    // The updates run later, on the UI thread, and only while the window exists.
    const std::uint64_t run = runSerial;
    const QPointer<TForm1> window(this);
    return std::make_unique<TTimee>(
        [window, run](const TElapsedTexts& texts) {
            if (window)
                window->ShowElapsed(run, texts);
        },
        [window, run] {
            if (window)
                window->RunTimeUp(run);
        });
}

// Until it is resumed, a thread belongs to Start, and a Start that fails
// discards it unrun; once resumed it frees itself and Stop can end it.
template <class Thread> void TForm1::ResumeThread(std::unique_ptr<Thread>& thread)
{
    const THandle handle = thread->Handle();
    thread->Resume();
    thread.release();
    runThreads.push_back(handle);
}

void TForm1::Button4Click()
{
    // Also reached from the tray menu while a run is active: a second set of
    // threads would be beyond Stop's reach.
    if (runActive)
        return;
    // Load threads of an ended timed run may still be in their last pass.
    EndRunThreads();
    RunFinished = 0;
    abfTrayIcon1->SetImageList(&ImageList2);
    StatusBar1->showMessage(QStringLiteral("Running"));
    RunLength = SelectedRunLength();
    ShowRunControls(true);
    runActive = true;
    ++runSerial;
    const std::int32_t processorCount = GetProcessorCount();
    if (processorCount == 1)
        StartOneProcessorRun();
    else if (processorCount >= 2)
        StartTwoProcessorRun();
}

bool TForm1::ApplyPriority(std::initializer_list<TThread*> loadThreads)
{
    const std::uint64_t run = runSerial;
    const TPriority priority = SelectedPriority();
    // The confirmation box lets Stop or Exit in before the run has started.
    if (!IsCurrentRun(run))
        return false;
    for (TThread* thread : loadThreads)
        thread->SetPriority(priority.threadPriority);
    SetPriorityClass(GetCurrentProcess(), priority.processClass);
    return true;
}

void TForm1::StartOneProcessorRun()
{
    auto timee = CreateTimee();
    auto thread1 = CreateThread<TThread1>();
    auto thread2 = CreateThread<TThread2>();
    if (!ApplyPriority({ thread1.get(), thread2.get() }))
        return;
    timee->FreeOnTerminate = true;
    thread1->FreeOnTerminate = true;
    thread1->SetAffinity(1);
    thread2->FreeOnTerminate = true;
    thread2->SetAffinity(1);
    ResumeThread(thread1);
    ResumeThread(thread2);
    ResumeThread(timee);
}

void TForm1::StartTwoProcessorRun()
{
    auto thread1 = CreateThread<TThread1>();
    auto thread2 = CreateThread<TThread2>();
    auto thread10 = CreateThread<TThread10>();
    auto thread11 = CreateThread<TThread11>();
    auto timee = CreateTimee();
    if (!ApplyPriority({ thread1.get(), thread2.get(), thread10.get(), thread11.get() }))
        return;

    struct TMasks {
        const QRadioButton* button;
        DWORD thread1, thread2, thread10, thread11;
    };
    //  button          TThread1 TThread2 TThread10 TThread11
    const TMasks dualOptions[] = {
        { RadioButton9,  1, 1, 1, 1 },
        { RadioButton10, 2, 2, 2, 2 },
        { RadioButton11, 1, 1, 2, 2 },
    };
    for (const TMasks& masks : dualOptions) {
        if (masks.button->isChecked()) {
            thread1->SetAffinity(masks.thread1);
            thread2->SetAffinity(masks.thread2);
            thread10->SetAffinity(masks.thread10);
            thread11->SetAffinity(masks.thread11);
        }
    }
    for (TThread* thread : std::initializer_list<TThread*> { thread1.get(), thread2.get(), thread10.get(),
                                                              thread11.get(), timee.get() })
        thread->FreeOnTerminate = true;
    ResumeThread(thread1);
    ResumeThread(thread2);
    ResumeThread(thread10);
    ResumeThread(thread11);
    ResumeThread(timee);
}

void TForm1::Button5Click()
{
    abfTrayIcon1->SetImageList(&ImageList1);
    StatusBar1->showMessage(QStringLiteral("Ready"));
    EndRunThreads();
    runActive = false;
    ShowRunControls(false);
}

void TForm1::EndRunThreads()
{
    for (const THandle thread : runThreads)
        TerminateThread(thread);
    for (const THandle thread : runThreads)
        WaitForSingleObject(thread, INFINITE);
    runThreads.clear();
}

void TForm1::ShowElapsed(std::uint64_t run, const TElapsedTexts& texts)
{
    if (!IsCurrentRun(run))
        return;
    SetLabelText(Label2, QString::fromStdString(texts.seconds));
    SetLabelText(Label3, QString::fromStdString(texts.minutes));
    SetLabelText(Label4, QString::fromStdString(texts.hours));
}

void TForm1::RunTimeUp(std::uint64_t run)
{
    if (!IsCurrentRun(run))
        return;
    runActive = false;
    ShowRunControls(false);
    StatusBar1->showMessage(QStringLiteral("Ready"));
    abfTrayIcon1->SetImageList(&ImageList1);
}

void TForm1::Button3click() { FormClose(); }

// Leaves every event loop, a modal box's too: the program ends in any state.
void TForm1::FormClose() { QCoreApplication::exit(0); }
