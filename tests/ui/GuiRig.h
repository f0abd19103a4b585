#pragma once
// A whole main window against the in-process simulated device, with every dialog and message
// box answered by the test. Timing is shortened so that silence costs milliseconds.

#include "DialogHost.h"
#include "Main.h"
#include "SimDevice.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class TPwdForm;
class TUSBConnectForm;

class ScriptedDialogs : public DialogHost
{
public:
    struct Message {
        QString caption;
        QString text;
    };

    // What the connect dialog does when shown: close at once (work without a device), or stay
    // until the login flow closes it.
    enum class ConnectAnswer { Ok, Stay };
    ConnectAnswer connectAnswer = ConnectAnswer::Ok;

    // Answers each password dialog; the default presses OK with the field as it is.
    std::function<void(TPwdForm&)> answerPassword;

    QString savePath; // answer of the save dialog ("" = cancel)
    QString openPath; // answer of the open dialog ("" = cancel)

    QList<Message> messages;
    QStringList errors;
    int passwordDialogs = 0;
    int connectDialogs = 0;
    int connectDialogsClosed = 0;

    void showMessage(QWidget* owner, const QString& caption, const QString& text) override;
    void showError(QWidget* owner, const QString& text) override;
    QString getSaveFileName(QWidget* owner, const QString& filter) override;
    QString getOpenFileName(QWidget* owner, const QString& filter) override;
    void execDialog(QDialog* dialog) override;
};

// Presses the password dialog's OK button after typing `password` into the login field
// (a null password keeps the pre-filled one).
void answerLogin(TPwdForm& dialog, const QString& password = QString());

class GuiRig
{
public:
    struct Setup {
        bool plugged = true;
        ScriptedDialogs::ConnectAnswer connect = ScriptedDialogs::ConnectAnswer::Ok;
        SimOptions sim = quietSim();
        ExchangeTiming timing = fastTiming();
    };
    static SimOptions quietSim();      // no pacing, no live status ticks
    static ExchangeTiming fastTiming(); // 150 ms replies, 10 ms polls

    GuiRig();
    explicit GuiRig(Setup setup);
    ~GuiRig();

    // Shows the window and waits until its start-up (the connect dialog) is over.
    bool start();
    // Waits until the window has handled the current attachment (or detachment).
    bool waitAttached(bool attached, int timeoutMs = 5000);

    template<typename T = QWidget>
    T* find(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QString text(const char* field) const;                 // GetControlValue, as Unicode
    void click(const char* button) const;

    std::shared_ptr<SimDevice> sim;
    ScriptedDialogs dialogs;
    std::unique_ptr<TFormMain> window;
};
