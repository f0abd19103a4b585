#pragma once
// The main window: owns the device connection with its three channels, the binding lists,
// the language manager, the reply state of the command channel and the status and event
// streams. Its members are defined by concern in Main*.cpp.

#include "ControlDesc.h"
#include "EventStream.h"
#include "PropertyExchange.h"
#include "ReadWriteRun.h"
#include "StatusStream.h"
#include "TextLink.h"
#include "Usbconnect.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

class ChangeStateEvent;
class ConnHIDCOM;
class DialogHost;
class HidPlatform;
class LangMan;
class QCheckBox;
class QLineEdit;
class QTimer;
class ResponseConnection;
class Slot;
namespace Ui {
class TFormMain;
}

class TFormMain : public QMainWindow, private TextLink
{
    Q_OBJECT

public:
    struct Options {
        std::shared_ptr<HidPlatform> platform;
        DialogHost* dialogs = nullptr; // not owned; null means real dialogs
        ExchangeTiming timing;
    };

    explicit TFormMain(Options options, QWidget* parent = nullptr);
    ~TFormMain() override;

    static constexpr char kDefaultPassword[] = "5827";
    static constexpr char kTitle[] = "Bisora Pragant v1.22";

    // The one recomputation of Read, Write, "Send report now", the attach images, the
    // detach reset and the first login of an attachment.
    void UpdateWindowState(const QString& reason);
    int LoginFlow();
    void RequestStatus();
    int PasswordCommand(const QByteArray& first, const QByteArray& second);
    void SetLanguage(const QString& code, bool store);

    void ReadAll();
    void WriteAll();
    void SaveSettingsFile();
    void OpenSettingsFile();

    // The start-up that showing the window runs (the connect dialog, then the first login),
    // for a caller that drives the window without ever showing it.
    void startWithoutWindow();
    // The fields that keep Write disabled now, by component name, in the order tested.
    QStringList invalidGatedFields() const;

    const LangMan& langMan() const { return *m_langMan; }
    QString Lookup(const QString& key) const; // empty when the key has no text
    DialogHost& dialogs() const { return *m_dialogs; }

    const QByteArray& password() const { return m_password; }
    void setPassword(const QByteArray& password) { m_password = password; }
    bool loggedIn() const { return m_loggedIn; }
    void setLoggedIn(bool on) { m_loggedIn = on; }
    bool readWriteBusy() const { return m_readWriteBusy; }
    bool settingsLoaded() const { return m_settingsLoaded; }
    bool reportChangesPending() const { return m_reportChangesPending; }
    bool isAttached() const;

    const ControlDescList& settingsDescs() const { return m_settingsDescs; }
    const ControlDescList& statusDescs() const { return m_statusDescs; }
    const PropertyExchange& exchange() const { return m_exchange; }
    PropertyExchange& exchange() { return m_exchange; }
    TUSBConnectForm* connectForm() const { return USBConnectForm; }

signals:
    // The login attempts of a new attachment are over; accepted when one was answered.
    void loginFinished(bool accepted);
    // Emitted at the end of every UpdateWindowState.
    void windowStateUpdated(const QString& reason);
    // A status record has been given to the fields (the key may be one the table lacks).
    void statusRecordApplied(const QByteArray& key);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class ConnHIDComChangeStateEvent;
    using TextHandler = void (TFormMain::*)(const QByteArray&);

    // Main.cpp: start-up and lifecycle
    void FormShow();
    void FormClose();
    void FormResize();
    void connectHandlers();
    void shutDownConnection();

    // MainBridge.cpp: the device link and the hand-over to the UI thread
    void createLink(std::shared_ptr<HidPlatform> platform);
    static void commandHandOver(void* form, const std::uint8_t* bytes, int count);
    static void statusHandOver(void* form, const std::uint8_t* bytes, int count);
    static void eventHandOver(void* form, const std::uint8_t* bytes, int count);
    int RunOnMainThread(TextHandler handler, QByteArray argument);
    void deliver(std::function<void()> call);
    void releaseHandOvers();
    void sendCommandText(const QByteArray& text) override;
    void CommandTextReceived(const QByteArray& text);
    void StatusTextReceived(const QByteArray& text);
    void EventTextReceived(const QByteArray& text);
    void stateChanged(const QByteArray& state);

    // MainState.cpp: window state and device commands
    bool gatedFieldsValid() const;
    void resetStatusPage();
    void btnSendReportClick();
    void showProgress(int value);
    void showFinalProgress();

    // MainStatusView.cpp
    QList<QLineEdit*> inputValueFields() const;    // edIN1..edIN6
    QList<QLineEdit*> receiverValueFields() const; // edRS1_1..edRS1_4, edRS2_1..edRS2_4
    void edIN1Change();
    void edRS1_1Change();
    void edTempGsmSignal1Change();
    void edTempGsmSignal2Change();
    void edPowerValueChange();
    void edOUT1Change();

    // MainSettingsRules.cpp: validation, stations, outputs, battery, test report
    void AccountIDValidation(QLineEdit* field);
    void CIDCodeValidation(QLineEdit* field);
    void edCIDCode1Change(QLineEdit* field);
    void cbUseBackupServersClick();
    void cbIN1MS1Click(QCheckBox* box);
    void ComboBoxChange(int output);
    void edOVChange(int output);
    void edOm1Change();
    void seBattLowChange();
    void seBattHighChange();
    void cbTestReportEnableClick();
    void udTestReportFreqChange();
    void udTestReportHourChange();
    void edTestrepminvalueChange();
    void btUnlockClick();
    void reportSettingsChanged();
    void connectSettingsRules();

    std::unique_ptr<Ui::TFormMain> m_ui;
    DialogHost* m_dialogs;
    std::unique_ptr<DialogHost> m_ownDialogs;

    // Declared before the link: the reader thread must have ended before these go.
    PropertyExchange m_exchange;
    ControlDescList m_settingsDescs;
    ControlDescList m_statusDescs;
    ReadWriteRun m_run;
    StatusStream m_statusStream;
    EventStream m_eventStream;

    std::unique_ptr<ConnHIDCOM> connection;
    std::unique_ptr<ChangeStateEvent> m_stateListener;
    std::unique_ptr<Slot> commandSlot;
    std::unique_ptr<Slot> statusSlot;
    std::unique_ptr<Slot> eventSlot;
    std::unique_ptr<ResponseConnection> m_commandReceiver;
    std::unique_ptr<ResponseConnection> m_statusReceiver;
    std::unique_ptr<ResponseConnection> m_eventReceiver;

    std::unique_ptr<LangMan> m_langMan;
    QPointer<TUSBConnectForm> USBConnectForm;

    QByteArray m_password;
    std::atomic<bool> closing{false};
    bool m_loggedIn = false;
    int m_stateUpdates = 0; // tells an update whether others ran inside its waits
    bool m_readWriteBusy = false;
    bool m_settingsLoaded = false;
    bool m_reportChangesPending = false;
    bool m_shown = false;
    int m_progress = 0; // the run's last step; the bar catches up on the next paint tick
    QTimer* m_progressPaint = nullptr;

    // Hand-overs run in arrival order; until the window has been shown they are held, so
    // that the first attach is handled inside the connect dialog, after its start-up.
    std::deque<std::function<void()>> m_handOvers;
    bool m_handOversHeld = true;
};
