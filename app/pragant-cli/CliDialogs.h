#pragma once
// The window's dialogs answered without a human: the connect prompt closes at once, each
// password dialog is given the password, file dialogs choose the command's file, and message
// boxes are noted for the command to report.

#include "DialogHost.h"

#include <QByteArray>
#include <QStringList>

class CliDialogs : public DialogHost
{
public:
    QByteArray password;   // typed into every password dialog (code page 1250)
    QString filePath;      // the answer of both file dialogs
    QStringList messages;  // texts of the message boxes, in order
    QStringList errors;    // texts of the error boxes, in order
    int passwordDialogs = 0;

    void showMessage(QWidget* owner, const QString& caption, const QString& text) override;
    void showError(QWidget* owner, const QString& text) override;
    QString getSaveFileName(QWidget* owner, const QString& filter) override;
    QString getOpenFileName(QWidget* owner, const QString& filter) override;
    void execDialog(QDialog* dialog) override;
};
