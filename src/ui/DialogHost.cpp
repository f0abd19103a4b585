#include "DialogHost.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

DialogHost::~DialogHost() = default;

void WidgetDialogHost::showMessage(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void WidgetDialogHost::showError(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Pragant"), text, QMessageBox::Ok, owner);
    box.exec();
}

QString WidgetDialogHost::getSaveFileName(QWidget* owner, const QString& filter)
{
    // The file name rule adds ".ini" itself; the dialog asks nothing before replacing.
    return QFileDialog::getSaveFileName(owner, QString(), QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString WidgetDialogHost::getOpenFileName(QWidget* owner, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
}

void WidgetDialogHost::execDialog(QDialog* dialog) { dialog->exec(); }
