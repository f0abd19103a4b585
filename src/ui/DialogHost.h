#pragma once
// Every modal thing the main window opens goes through here, so that tests can answer
// message boxes, file dialogs and the window's own dialogs without a human.

#include <QString>

class QDialog;
class QWidget;

class DialogHost
{
public:
    virtual ~DialogHost();

    // A message box with one OK button ("Read error!" with the caption "Pragant").
    virtual void showMessage(QWidget* owner, const QString& caption, const QString& text) = 0;
    // An error box for failures the user must see (a settings file that cannot be written).
    virtual void showError(QWidget* owner, const QString& text) = 0;
    // The chosen path, or empty when the user cancelled.
    virtual QString getSaveFileName(QWidget* owner, const QString& filter) = 0;
    virtual QString getOpenFileName(QWidget* owner, const QString& filter) = 0;
    // Shows the dialog modally and returns when it has closed.
    virtual void execDialog(QDialog* dialog) = 0;
};

// The real thing: QMessageBox, QFileDialog and QDialog::exec().
class WidgetDialogHost : public DialogHost
{
public:
    void showMessage(QWidget* owner, const QString& caption, const QString& text) override;
    void showError(QWidget* owner, const QString& text) override;
    QString getSaveFileName(QWidget* owner, const QString& filter) override;
    QString getOpenFileName(QWidget* owner, const QString& filter) override;
    void execDialog(QDialog* dialog) override;
};
