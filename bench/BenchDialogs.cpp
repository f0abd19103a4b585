#include "BenchDialogs.h"

#include "Pwdformc.h"
#include "Usbconnect.h"

#include <QPushButton>
#include <QTimer>

void BenchDialogs::showMessage(QWidget*, const QString&, const QString& text)
{
    messages.append(text);
}

void BenchDialogs::showError(QWidget*, const QString& text) { messages.append(text); }

void BenchDialogs::execDialog(QDialog* dialog)
{
    const char* button = nullptr;
    if (qobject_cast<TPwdForm*>(dialog))
        button = "btPasswAction";
    else if (qobject_cast<TUSBConnectForm*>(dialog) && m_closePrompt)
        button = "Button1";
    if (button)
        QTimer::singleShot(0, dialog, [dialog, button] {
            if (auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button)))
                b->click();
        });
    dialog->exec();
}
