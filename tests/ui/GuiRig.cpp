#include "GuiRig.h"

#include "Cp1250.h"
#include "FieldCodec.h"
#include "Pwdformc.h"
#include "SimHidPlatform.h"
#include "Usbconnect.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

void ScriptedDialogs::showMessage(QWidget*, const QString& caption, const QString& text)
{
    messages.append({caption, text});
}

void ScriptedDialogs::showError(QWidget*, const QString& text) { errors.append(text); }

QString ScriptedDialogs::getSaveFileName(QWidget*, const QString&) { return savePath; }
QString ScriptedDialogs::getOpenFileName(QWidget*, const QString&) { return openPath; }

void ScriptedDialogs::execDialog(QDialog* dialog)
{
    // The answer is given from inside the dialog's own modal loop, as a user would.
    if (auto* pwd = qobject_cast<TPwdForm*>(dialog)) {
        ++passwordDialogs;
        QTimer::singleShot(0, pwd, [this, pwd] {
            if (answerPassword)
                answerPassword(*pwd);
            else
                answerLogin(*pwd);
        });
    } else if (qobject_cast<TUSBConnectForm*>(dialog)) {
        ++connectDialogs;
        if (connectAnswer == ConnectAnswer::Ok)
            QTimer::singleShot(0, dialog, [dialog] {
                dialog->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            });
    }
    dialog->exec();
    if (qobject_cast<TUSBConnectForm*>(dialog))
        ++connectDialogsClosed;
}

void answerLogin(TPwdForm& dialog, const QString& password)
{
    if (!password.isNull())
        dialog.findChild<QLineEdit*>(QStringLiteral("ppassword"))->setText(password);
    dialog.findChild<QPushButton*>(QStringLiteral("btPasswAction"))->click();
}

SimOptions GuiRig::quietSim()
{
    SimOptions o;
    o.liveStatus = false;
    o.timing.reportInterval = std::chrono::microseconds(0);
    o.timing.thinkTime = std::chrono::microseconds(0);
    return o;
}

ExchangeTiming GuiRig::fastTiming()
{
    ExchangeTiming t;
    t.replyTimeout = 150;
    t.pollInterval = 10;
    return t;
}

GuiRig::GuiRig() : GuiRig(Setup{}) {}

GuiRig::GuiRig(Setup setup) : sim(std::make_shared<SimDevice>(setup.sim))
{
    if (!setup.plugged)
        sim->unplug();
    dialogs.connectAnswer = setup.connect;
    window = std::make_unique<TFormMain>(
        TFormMain::Options{makeSimPlatform(sim), &dialogs, setup.timing});
}

GuiRig::~GuiRig()
{
    if (window)
        window->close();
    window.reset();
}

bool GuiRig::start()
{
    window->show();
    return QTest::qWaitFor([this] { return dialogs.connectDialogsClosed > 0; }, 5000);
}

bool GuiRig::waitAttached(bool attached, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] { return window->isAttached() == attached && window->loggedIn() == attached; },
        timeoutMs);
}

QString GuiRig::text(const char* field) const { return fromCp1250(GetControlValue(find(field))); }

void GuiRig::click(const char* button) const { find<QAbstractButton>(button)->click(); }
