// Window state, the device commands and the runs over the whole configuration.

#include "Main.h"

#include "ConnHIDCOM.h"
#include "DialogHost.h"
#include "FieldColour.h"
#include "Pwdformc.h"
#include "SettingsFile.h"
#include "Usbconnect.h"
#include "ui_Main.h"

#include <QTimer>

namespace {
const QString kIniFilter = QStringLiteral("ini files (*.ini)");
constexpr int kLoginAttempts = 5;
} // namespace

QStringList TFormMain::invalidGatedFields() const
{
    QStringList invalid;
    const auto collect = [&invalid](std::initializer_list<const QWidget*> fields) {
        for (const QWidget* f : fields)
            if (fieldColour(f) != clWindow())
                invalid.append(f->objectName());
    };
    const Ui::TFormMain& u = *m_ui;
    collect({u.edSIM1AccountID1, u.edSIM1AccountID2, u.edSIM2AccountID1, u.edSIM2AccountID2});
    if (u.cbUseBackupServers->isChecked())
        collect({u.edSIM1AccountID3, u.edSIM1AccountID4, u.edSIM2AccountID3,
                 u.edSIM2AccountID4});
    collect({u.edCIDCode1, u.edCIDCode2, u.edCIDCode3, u.edCIDCode4, u.edCIDCode5,
             u.edCIDCode6});
    return invalid;
}

bool TFormMain::gatedFieldsValid() const { return invalidGatedFields().isEmpty(); }

void TFormMain::UpdateWindowState(const QString& reason)
{
    const int update = ++m_stateUpdates;
    const bool attached = isAttached();
    const bool readable = attached && !m_readWriteBusy;
    m_ui->btnRead->setEnabled(readable);
    m_ui->btnWrite->setEnabled(m_settingsLoaded && readable && gatedFieldsValid());
    if (m_ui->btnWrite->isEnabled() && !m_reportChangesPending)
        m_ui->btnSendReport->setEnabled(true);

    if (attached)
        RequestStatus();
    else
        resetStatusPage();

    m_ui->imgOK->setVisible(attached);
    m_ui->imgError->setVisible(!attached);

    if (!m_loggedIn && attached) {
        RequestStatus();
        m_password = kDefaultPassword;
        bool success = false;
        // A device unplugged during the attempts is not asked again: its next attach
        // starts a login cycle of its own.
        for (int i = 0; i < kLoginAttempts && !success && !closing && isAttached(); ++i)
            success = LoginFlow() == 1;
        if (success) {
            m_ui->btnRead->setEnabled(true);
            m_ui->btnWrite->setEnabled(true);
            if (!m_reportChangesPending)
                m_ui->btnSendReport->setEnabled(true);
            RequestStatus();
        }
        emit loginFinished(success);
        // A detach (or a new attach) handled inside the login's waits has set the flag for
        // the present state; this update's `attached` is stale by now.
        if (update != m_stateUpdates) {
            emit windowStateUpdated(reason);
            return;
        }
    }
    m_loggedIn = attached;
    emit windowStateUpdated(reason);
}

void TFormMain::resetStatusPage()
{
    const Ui::TFormMain& u = *m_ui;
    for (QLabel* value : {u.lbVerTypeValue, u.lbHwVerValue, u.lbFwVerValue, u.lbStDTValue,
                          u.lbStUptimeValue, u.lbGsmSignal1Value, u.lbGsmProvider1Value,
                          u.lbGsmUptime1Value, u.lbGprsIp1Value, u.lbGprsUptime1Value,
                          u.lbGsmSignal2Value, u.lbGsmProvider2Value, u.lbGsmUptime2Value,
                          u.lbGprsIp2Value, u.lbGprsUptime2Value})
        value->setText(QStringLiteral("-"));
    u.memoEventList1->clear();
    u.memoEventList2->clear();
    u.pbGsmSignal1->setValue(0);
    u.pbGsmSignal2->setValue(0);
    for (QLineEdit* in : inputValueFields())
        in->setText(QStringLiteral("u"));
    edIN1Change();
    for (QLineEdit* rs : receiverValueFields())
        rs->setText(QStringLiteral("0"));
    edRS1_1Change();
    u.edTempGsmSignal1->setText(QString());
    u.edTempGsmSignal2->setText(QString());
}

int TFormMain::LoginFlow()
{
    if (USBConnectForm && USBConnectForm->isVisible()) {
        USBConnectForm->hide(); // ends its modal loop
        USBConnectForm->close();
    }
    {
        // One fresh dialog per attempt, so it always starts in login mode with the default
        // password; it is released once it has closed.
        TPwdForm dialog(this);
        m_dialogs->execDialog(&dialog);
    }
    if (closing)
        return 0;
    m_exchange.ClearOkSeen();
    const int result = PasswordCommand(m_password, "0");
    if (result == 1) {
        m_ui->PageControl1->setCurrentWidget(m_ui->tsSettings);
        m_loggedIn = true;
    }
    return result;
}

int TFormMain::PasswordCommand(const QByteArray& first, const QByteArray& second)
{
    return m_exchange.PasswordCommand(first, second);
}

void TFormMain::RequestStatus()
{
    if (statusSlot)
        statusSlot->WriteText("R");
}

void TFormMain::btnSendReportClick() { m_exchange.SetProperty("MSTST:STATE.TS", "0"); }

void TFormMain::showProgress(int value)
{
    m_progress = value;
    if (!m_progressPaint->isActive())
        m_progressPaint->start();
}

// The bar shows the run's own last step when it ends, not a step a paint tick behind.
void TFormMain::showFinalProgress()
{
    m_progressPaint->stop();
    m_ui->ProgressBarRW->setValue(m_progress);
}

void TFormMain::ReadAll()
{
    m_readWriteBusy = true;
    m_progress = 0;
    UpdateWindowState(QStringLiteral("ReadStart"));
    m_ui->ProgressBarRW->setValue(0);

    const ReadResult result = m_run.readAll([this](int v) { showProgress(v); });
    showFinalProgress();
    if (!result.ok() && !closing)
        m_dialogs->showMessage(this, QStringLiteral("Pragant"), QStringLiteral("Read error!"));

    m_readWriteBusy = false;
    m_settingsLoaded = true;
    UpdateWindowState(QStringLiteral("ReadEnd"));
    m_ui->cbUseBackupServers->setChecked(false);
    cbUseBackupServersClick();
    if (m_ui->cbTestReportEnable->isChecked())
        m_ui->btnSendReport->setEnabled(true);
}

void TFormMain::WriteAll()
{
    m_readWriteBusy = true;
    m_progress = 0;
    UpdateWindowState(QStringLiteral("WriteStart"));
    m_ui->ProgressBarRW->setValue(0);

    const WriteResult result = m_run.writeAll([this](int v) { showProgress(v); });
    showFinalProgress();
    if (result.ok()) {
        m_ui->btnSendReport->setEnabled(true);
        m_reportChangesPending = false;
    } else if (!closing) {
        m_dialogs->showMessage(this, QStringLiteral("Pragant"), QStringLiteral("Write error!"));
    }

    m_readWriteBusy = false;
    UpdateWindowState(QStringLiteral("WriteEnd"));
}

void TFormMain::SaveSettingsFile()
{
    const QString chosen = m_dialogs->getSaveFileName(this, kIniFilter);
    if (chosen.isEmpty())
        return;
    QString error;
    if (!saveSettingsFile(withIniSuffix(chosen), m_settingsDescs, &error))
        m_dialogs->showError(this, error);
}

void TFormMain::OpenSettingsFile()
{
    const QString chosen = m_dialogs->getOpenFileName(this, kIniFilter);
    if (chosen.isEmpty())
        return;
    openSettingsFile(chosen, m_settingsDescs);
    m_settingsLoaded = true;
    UpdateWindowState(QStringLiteral("OpenFile"));
    m_ui->cbUseBackupServers->setChecked(false);
    cbUseBackupServersClick();
}
