#pragma once
// Answers the window's dialogs as a user in a hurry would: the connect prompt closed at once
// (or left until the login closes it), the password dialog accepted as pre-filled; message
// boxes are counted, so that a failed run is not reported as a timing.

#include "DialogHost.h"

#include <QStringList>

class BenchDialogs : public DialogHost
{
public:
    explicit BenchDialogs(bool closePromptAtOnce) : m_closePrompt(closePromptAtOnce) {}

    QStringList messages;

    void showMessage(QWidget* owner, const QString& caption, const QString& text) override;
    void showError(QWidget* owner, const QString& text) override;
    QString getSaveFileName(QWidget*, const QString&) override { return {}; }
    QString getOpenFileName(QWidget*, const QString&) override { return {}; }
    void execDialog(QDialog* dialog) override;

private:
    bool m_closePrompt;
};
