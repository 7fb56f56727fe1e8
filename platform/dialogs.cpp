#include "dialogs.h"

#include "exception.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

TDialogs realDialogs;
TDialogs* installedDialogs = &realDialogs;

// Code page 1252 at 0x80-0x9F; every other byte is the Latin-1 character of
// the same number. 0xFFFD marks the five unassigned bytes.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

} // namespace

bool TDialogs::ConfirmYes(QWidget* parent, const QString& text)
{
    return QMessageBox::question(parent, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void TDialogs::ShowError(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
}

void SetDialogs(TDialogs* dialogs) { installedDialogs = dialogs ? dialogs : &realDialogs; }

TDialogs& Dialogs() { return *installedDialogs; }

void ShowException(QWidget* parent, const Exception& exception)
{
    Dialogs().ShowError(parent, QCoreApplication::applicationName(), AnsiToQString(exception.Message() + "."));
}

QString AnsiToQString(const std::string& text)
{
    QString converted;
    converted.reserve(qsizetype(text.size()));
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        converted.append(byte >= 0x80 && byte < 0xA0 ? QChar(cp1252High[byte - 0x80]) : QChar(byte));
    }
    return converted;
}
