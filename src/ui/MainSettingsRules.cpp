// The settings page's rules: account-ID and Contact-ID validation, the secondary-station
// switch, the receiver-pair mirrors, output modes, battery thresholds in volts, the test
// report's time of day, and the inert dedication group.

#include "Main.h"

#include "FieldColour.h"
#include "Volts.h"
#include "ui_Main.h"

#include <QStringList>

namespace {

// The controls that follow the secondary-station switch, in the order they are set.
const char* const kBackupFollowers[] = {
    "lbSIM2BackupServers",
    "lbSIM1Comment2", "lbSIM1_3", "lbSIM1_4", "lbSIM1IP2", "lbSIM1Port2", "lbSIM1AccountID2",
    "lbSIM1Test2", "edSIM1IP3", "edSIM1Port3", "edSIM1AccountID3", "seSIM1Test3",
    "edSIM1Comment3", "edSIM1IP4", "edSIM1Port4", "edSIM1AccountID4", "seSIM1Test4",
    "edSIM1Comment4",
    "lbSIM2Comment2", "lbSIM2_3", "lbSIM2_4", "lbSIM2IP2", "lbSIM2Port2", "lbSIM2AccountID2",
    "lbSIM2Test2", "edSIM2IP3", "edSIM2Port3", "edSIM2AccountID3", "seSIM2Test3",
    "edSIM2Comment3", "edSIM2IP4", "edSIM2Port4", "edSIM2AccountID4", "seSIM2Test4",
    "edSIM2Comment4",
};

// The twenty secondary entry fields that take their background from the switch, in order.
const char* const kBackupColoured[] = {
    "edSIM1IP3", "edSIM1IP4", "edSIM1Port3", "edSIM1Port4", "edSIM1AccountID3",
    "edSIM1AccountID4", "seSIM1Test3", "seSIM1Test4", "edSIM1Comment3", "edSIM1Comment4",
    "edSIM2IP3", "edSIM2IP4", "edSIM2Port3", "edSIM2Port4", "edSIM2AccountID3",
    "edSIM2AccountID4", "seSIM2Test3", "seSIM2Test4", "edSIM2Comment3", "edSIM2Comment4",
};

// Receiver-pair boxes and their disabled mirrors, in the order the mirror pass copies them.
const char* const kMirrors[][2] = {
    {"cbIN1MS1", "cbIN1MS3"}, {"cbIN2MS1", "cbIN2MS3"}, {"cbIN3MS1", "cbIN3MS3"},
    {"cbIN4MS1", "cbIN4MS3"}, {"cbIN5MS1", "cbIN5MS3"}, {"cbIN6MS1", "cbIN6MS3"},
    {"cbSabotageMS1", "cbSabotageMS3"},
    {"cbIN1MS2", "cbIN1MS4"}, {"cbIN2MS2", "cbIN2MS4"}, {"cbIN3MS2", "cbIN3MS4"},
    {"cbIN4MS2", "cbIN4MS4"}, {"cbIN5MS2", "cbIN5MS4"}, {"cbIN6MS2", "cbIN6MS4"},
    {"cbSabotageMS2", "cbSabotageMS4"},
    {"cbBattMS1", "cbBattMS3"}, {"cbBattMS2", "cbBattMS4"},
    {"cbTestReportMS1", "cbTestReportMS3"}, {"cbTestReportMS2", "cbTestReportMS4"},
};

const char* const kAccountIdFields[] = {
    "edSIM1AccountID1", "edSIM1AccountID2", "edSIM1AccountID3", "edSIM1AccountID4",
    "edSIM2AccountID1", "edSIM2AccountID2", "edSIM2AccountID3", "edSIM2AccountID4",
};

const char* const kContactIdFields[] = {
    "edCIDCode1", "edCIDCode2", "edCIDCode3", "edCIDCode4", "edCIDCode5",
    "edCIDCode6", "edSabotageEvent", "edBatteryEvent", "edTestReportCID",
};

// Empty, or exactly `digits` hexadecimal digits in either case.
bool isHexCode(const QString& text, int digits)
{
    if (text.isEmpty())
        return true;
    if (text.size() != digits)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.toUpper().unicode();
        return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F');
    });
}

// Output n (0-based): its mode combo and the hidden field that holds its mode number.
QComboBox* outputCombo(const Ui::TFormMain& u, int n)
{
    QComboBox* const combos[] = {u.ComboBox1, u.ComboBox2, u.ComboBox3,
                                 u.ComboBox4, u.ComboBox5, u.ComboBox6};
    return combos[n];
}

QLineEdit* outputValue(const Ui::TFormMain& u, int n)
{
    QLineEdit* const values[] = {u.edO1V, u.edO2V, u.edO3V, u.edO4V, u.edO5V, u.edO6V};
    return values[n];
}

// Selects mode v (1-based); any other v leaves no selection. A text that is no number
// changes nothing and gives false.
bool selectMode(QComboBox* combo, const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok)
        return false;
    combo->setCurrentIndex(v >= 1 && v <= combo->count() ? v - 1 : -1);
    return true;
}
} // namespace

template<typename T = QWidget>
static T* control(const QObject* root, const char* name)
{
    T* w = root->findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT_X(w, "settings rules", name);
    return w;
}

void TFormMain::connectSettingsRules()
{
    for (const char* name : kAccountIdFields) {
        auto* field = control<QLineEdit>(this, name);
        connect(field, &QLineEdit::textChanged, this, [this, field] { AccountIDValidation(field); });
    }
    for (const char* name : kContactIdFields) {
        auto* field = control<QLineEdit>(this, name);
        connect(field, &QLineEdit::textChanged, this, [this, field] { edCIDCode1Change(field); });
    }
    connect(m_ui->cbUseBackupServers, &QCheckBox::toggled, this,
            &TFormMain::cbUseBackupServersClick);
    for (const auto& pair : kMirrors) {
        auto* box = control<QCheckBox>(this, pair[0]);
        connect(box, &QCheckBox::toggled, this, [this, box] { cbIN1MS1Click(box); });
    }

    const Ui::TFormMain& u = *m_ui;
    for (int n = 0; n < 6; ++n) {
        // Only a user's pick writes the mode value; selecting from the value writes nothing.
        connect(outputCombo(u, n), &QComboBox::activated, this, [this, n] { ComboBoxChange(n); });
        connect(outputValue(u, n), &QLineEdit::textChanged, this, [this, n] { edOVChange(n); });
    }
    connect(u.edOm1, &QLineEdit::textChanged, this, &TFormMain::edOm1Change);

    connect(u.seBattLow, &SpinEdit::textChanged, this, &TFormMain::seBattLowChange);
    connect(u.seBattHigh, &SpinEdit::textChanged, this, &TFormMain::seBattHighChange);

    connect(u.cbTestReportEnable, &QCheckBox::toggled, this, &TFormMain::cbTestReportEnableClick);
    connect(u.udTestReportFreq, &SpinEdit::textChanged, this, &TFormMain::udTestReportFreqChange);
    connect(u.udTrHour, &SpinEdit::textChanged, this, &TFormMain::udTestReportHourChange);
    connect(u.udTestReportHour, &SpinEdit::textChanged, this, &TFormMain::udTestReportHourChange);
    connect(u.edTestrepminvalue, &QLineEdit::textChanged, this,
            &TFormMain::edTestrepminvalueChange);
    connect(u.btUnlock, &QPushButton::clicked, this, &TFormMain::btUnlockClick);
}

void TFormMain::AccountIDValidation(QLineEdit* field)
{
    setFieldColour(field, isHexCode(field->text(), 4) ? clWindow() : clRed());
    UpdateWindowState(QStringLiteral("AccountIDValidation"));
}

void TFormMain::CIDCodeValidation(QLineEdit* field)
{
    setFieldColour(field, isHexCode(field->text(), 3) ? clWindow() : clRed());
    UpdateWindowState(QStringLiteral("CIDCodeValidation"));
}

void TFormMain::edCIDCode1Change(QLineEdit* field)
{
    CIDCodeValidation(field);
    reportSettingsChanged();
}

// A change that the test report depends on is pending until a complete write-all.
void TFormMain::reportSettingsChanged()
{
    m_ui->btnSendReport->setEnabled(false);
    m_reportChangesPending = true;
}

void TFormMain::cbUseBackupServersClick()
{
    const bool on = m_ui->cbUseBackupServers->isChecked();
    m_ui->lbSIM2BackupServers->setText(
        Lookup(on ? QStringLiteral("txtBackupServerEnabled") : QStringLiteral("txtBackupServerDisabled")));
    for (const char* name : kBackupFollowers)
        control(this, name)->setEnabled(on);
    for (const char* name : kBackupColoured)
        setFieldColour(control(this, name), on ? clWindow() : cl3DLight());
}

void TFormMain::cbIN1MS1Click(QCheckBox* box)
{
    for (const auto& pair : kMirrors)
        control<QCheckBox>(this, pair[1])->setChecked(control<QCheckBox>(this, pair[0])->isChecked());
    if (box == m_ui->cbTestReportMS1 || box == m_ui->cbTestReportMS2)
        reportSettingsChanged();
}


void TFormMain::ComboBoxChange(int output)
{
    outputValue(*m_ui, output)->setText(QString::number(outputCombo(*m_ui, output)->currentIndex() + 1));
}

void TFormMain::edOVChange(int output)
{
    selectMode(outputCombo(*m_ui, output), outputValue(*m_ui, output)->text());
}

void TFormMain::edOm1Change()
{
    QStringList modes = m_ui->edOm1->text().split(QStringLiteral("\r\n"));
    if (!modes.isEmpty() && modes.last().isEmpty())
        modes.removeLast(); // the final line end starts no item
    for (int n = 0; n < 6; ++n) {
        outputCombo(*m_ui, n)->clear();
        outputCombo(*m_ui, n)->addItems(modes);
    }
    // A value that is no number leaves only its own output unselected; the others still
    // show their modes.
    for (int n = 0; n < 6; ++n)
        if (!selectMode(outputCombo(*m_ui, n), outputValue(*m_ui, n)->text()))
            outputCombo(*m_ui, n)->setCurrentIndex(-1);
}

void TFormMain::seBattLowChange()
{
    bool ok = false;
    const int mv = m_ui->seBattLow->value(&ok);
    if (ok)
        m_ui->edBattlowVisible->setText(voltsText(mv));
}

void TFormMain::seBattHighChange()
{
    bool ok = false;
    const int mv = m_ui->seBattHigh->value(&ok);
    if (ok)
        m_ui->edBattHighVisible->setText(voltsText(mv));
}

void TFormMain::cbTestReportEnableClick()
{
    const bool on = m_ui->cbTestReportEnable->isChecked();
    const Ui::TFormMain& u = *m_ui;
    for (QWidget* w : std::initializer_list<QWidget*>{
             u.edTestReportCID, u.cbTestReportMS1, u.cbTestReportMS2, u.cbTestReportMS3,
             u.cbTestReportMS4, u.udTestReportFreq, u.udTestReportHour})
        w->setEnabled(on);
    reportSettingsChanged();
}

void TFormMain::udTestReportFreqChange() { reportSettingsChanged(); }

void TFormMain::udTestReportHourChange()
{
    reportSettingsChanged();
    const int hour = m_ui->udTrHour->value();
    const int minute = m_ui->udTestReportHour->value();
    m_ui->edTestReportHour->setText(QStringLiteral("%1:%2")
                                        .arg(hour, 2, 10, QLatin1Char('0'))
                                        .arg(minute, 2, 10, QLatin1Char('0')));
    m_ui->edTestrepminvalue->setText(QString::number(hour * 60 + minute));
}

void TFormMain::edTestrepminvalueChange()
{
    bool ok = false;
    const int minutes = m_ui->edTestrepminvalue->text().toInt(&ok);
    if (!ok)
        return;
    // Each spin change rewrites the display and the minutes; clamping settles the value.
    m_ui->udTrHour->setValue(minutes / 60);
    m_ui->udTestReportHour->setValue(minutes % 60);
}

void TFormMain::btUnlockClick() { m_ui->edGID->setText(QStringLiteral("0")); }
