#pragma once
// The framework's modal boxes and its default exception handler. A test can
// replace the boxes through SetDialogs.
#include <QString>

class Exception;
class QWidget;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A "Confirm" box with a question icon and Yes and No: true for Yes only.
    virtual bool ConfirmYes(QWidget* parent, const QString& text);
    // An error box with an error icon and OK.
    virtual void ShowError(QWidget* parent, const QString& caption, const QString& text);
};

void SetDialogs(TDialogs* dialogs);
TDialogs& Dialogs();

// The default handler for an exception that leaves an event handler: an
// error box captioned with the executable's base name, showing the message
// with a full stop appended.
void ShowException(QWidget* parent, const Exception& exception);

// The program's 8-bit texts are in the Windows ANSI code page (1252).
QString AnsiToQString(const std::string& text);
