// The status page: hidden value fields drawn into panels, labels and bars.

#include "Main.h"

#include "FieldColour.h"
#include "Volts.h"
#include "ui_Main.h"

#include <algorithm>

namespace {

struct StateLook {
    const char* raw;
    const char* textKey; // nullptr: "-", not translated
    QColor (*panel)();
    QColor (*font)();
};

const StateLook kInputLooks[] = {
    {"0", "txtInputAlarm", clRed, clWhite},
    {"1", "txtInputIdle", clGreen, clWhite},
    {"2", "txtInputTamperShort", clYellow, clBlack},
    {"3", "txtInputTamperShort", clYellow, clBlack},
};
const StateLook kUnknownInputLook = {"", nullptr, clBtnFace, clWindowText};

const StateLook kReceiverLooks[] = {
    {"0", "txtReceiverStatusNotConfigured", clBtnShadow, clWindowText},
    {"1", "txtReceiverStatusOnline", clGreen, clWhite},
    {"2", "txtReceiverStatusOnlineAckError", clYellow, clWindowText},
    {"3", "txtReceiverStatusOffline", clRed, clWhite},
    {"4", "txtReceiverStatusOfflineNoResponse", clRed, clWhite},
};

const StateLook* findLook(const QString& raw, const StateLook* begin, const StateLook* end)
{
    const auto it = std::find_if(begin, end, [&](const StateLook& l) { return raw == l.raw; });
    return it == end ? nullptr : it;
}

} // namespace

QList<QLineEdit*> TFormMain::inputValueFields() const
{
    const Ui::TFormMain& u = *m_ui;
    return {u.edIN1, u.edIN2, u.edIN3, u.edIN4, u.edIN5, u.edIN6};
}

QList<QLineEdit*> TFormMain::receiverValueFields() const
{
    const Ui::TFormMain& u = *m_ui;
    return {u.edRS1_1, u.edRS1_2, u.edRS1_3, u.edRS1_4,
            u.edRS2_1, u.edRS2_2, u.edRS2_3, u.edRS2_4};
}

void TFormMain::edIN1Change()
{
    const Ui::TFormMain& u = *m_ui;
    const struct {
        QLineEdit* value;
        QFrame* panel;
        QLabel* label;
    } inputs[] = {
        {u.edIN1, u.panelIN1, u.lbIN1Status}, {u.edIN2, u.panelIN2, u.lbIN2Status},
        {u.edIN3, u.panelIN3, u.lbIN3Status}, {u.edIN4, u.panelIN4, u.lbIN4Status},
        {u.edIN5, u.panelIN5, u.lbIN5Status}, {u.edIN6, u.panelIN6, u.lbIN6Status},
    };
    for (const auto& in : inputs) {
        const QString raw = in.value->text();
        if (raw.isEmpty())
            continue;
        const StateLook* look = findLook(raw, std::begin(kInputLooks), std::end(kInputLooks));
        if (!look)
            look = &kUnknownInputLook;
        in.label->setText(look->textKey ? Lookup(QString::fromLatin1(look->textKey))
                                        : QStringLiteral("-"));
        setPanelColours(in.panel, look->panel(), look->font());
    }
}

void TFormMain::edRS1_1Change()
{
    const Ui::TFormMain& u = *m_ui;
    const struct {
        QLineEdit* value;
        QFrame* panel;
        QLabel* label;
    } receivers[] = {
        {u.edRS1_1, u.panelRS1_1, u.lbRS1_1}, {u.edRS1_2, u.panelRS1_2, u.lbRS1_2},
        {u.edRS1_3, u.panelRS1_3, u.lbRS1_3}, {u.edRS1_4, u.panelRS1_4, u.lbRS1_4},
        {u.edRS2_1, u.panelRS2_1, u.lbRS2_1}, {u.edRS2_2, u.panelRS2_2, u.lbRS2_2},
        {u.edRS2_3, u.panelRS2_3, u.lbRS2_3}, {u.edRS2_4, u.panelRS2_4, u.lbRS2_4},
    };
    for (const auto& rs : receivers) {
        const StateLook* look =
            findLook(rs.value->text(), std::begin(kReceiverLooks), std::end(kReceiverLooks));
        if (!look)
            continue; // empty or unknown: left as it is
        rs.label->setText(Lookup(QString::fromLatin1(look->textKey)));
        setPanelColours(rs.panel, look->panel(), look->font());
    }
}

namespace {
void showSignal(const QLineEdit* value, QLabel* label, QProgressBar* bar)
{
    const QString text = value->text();
    if (text.isEmpty())
        return;
    label->setText(text);
    bool ok = false;
    const int level = text.toInt(&ok);
    if (ok) // the bar is full from 31 on
        bar->setValue(std::clamp(level, bar->minimum(), bar->maximum()));
}
} // namespace

void TFormMain::edTempGsmSignal1Change()
{
    showSignal(m_ui->edTempGsmSignal1, m_ui->lbGsmSignal1Value, m_ui->pbGsmSignal1);
}

void TFormMain::edTempGsmSignal2Change()
{
    showSignal(m_ui->edTempGsmSignal2, m_ui->lbGsmSignal2Value, m_ui->pbGsmSignal2);
}

void TFormMain::edPowerValueChange()
{
    bool ok = false;
    const double millivolts = m_ui->edPowerValue->text().toDouble(&ok);
    if (!ok)
        return; // "abc" or " " keeps the last voltage
    m_ui->lbPowerValue->setText(voltsText(millivolts));
}

// Relay states are stored and not shown.
void TFormMain::edOUT1Change() {}
