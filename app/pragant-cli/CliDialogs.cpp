#include "CliDialogs.h"

#include "Cp1250.h"
#include "Pwdformc.h"
#include "Usbconnect.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void CliDialogs::showMessage(QWidget*, const QString&, const QString& text) { messages.append(text); }

void CliDialogs::showError(QWidget*, const QString& text) { errors.append(text); }

QString CliDialogs::getSaveFileName(QWidget*, const QString&) { return filePath; }

QString CliDialogs::getOpenFileName(QWidget*, const QString&) { return filePath; }

void CliDialogs::execDialog(QDialog* dialog)
{
    // Answered from inside the dialog's own modal loop, as a user at the window would.
    const auto press = [dialog](const char* button) {
        if (auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button)))
            b->click();
        else
            dialog->reject();
    };
    if (qobject_cast<TPwdForm*>(dialog)) {
        ++passwordDialogs;
        QTimer::singleShot(0, dialog, [this, dialog, press] {
            if (auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("ppassword")))
                field->setText(fromCp1250(password));
            press("btPasswAction");
        });
    } else if (qobject_cast<TUSBConnectForm*>(dialog)) {
        // "OK": go on; the login flow follows when the device attaches.
        QTimer::singleShot(0, dialog, [press] { press("Button1"); });
    } else {
        QTimer::singleShot(0, dialog, &QDialog::reject);
    }
    dialog->exec();
}
