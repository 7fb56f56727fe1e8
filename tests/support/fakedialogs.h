#pragma once
// Boxes for tests: the confirmation answers as told, and every box shown is
// recorded instead of waiting for a person.
#include "dialogs.h"

#include <QStringList>

class TFakeDialogs : public TDialogs {
public:
    TFakeDialogs() { SetDialogs(this); }
    ~TFakeDialogs() override { SetDialogs(nullptr); }

    bool ConfirmYes(QWidget*, const QString& text) override
    {
        questions << text;
        return answerYes;
    }
    void ShowError(QWidget*, const QString& caption, const QString& text) override
    {
        errorCaptions << caption;
        errors << text;
    }

    bool answerYes = false;
    QStringList questions;
    QStringList errorCaptions;
    QStringList errors;
};
