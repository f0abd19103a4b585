#include "FieldCodec.h"

#include "Cp1250.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace {

template <class Kind>
Kind* exactly(QWidget* field)
{
    return field->metaObject() == &Kind::staticMetaObject ? static_cast<Kind*>(field) : nullptr;
}

template <class Kind>
const Kind* exactly(const QWidget* field)
{
    return field->metaObject() == &Kind::staticMetaObject ? static_cast<const Kind*>(field) : nullptr;
}

QByteArray checkedText(bool checked) { return checked ? QByteArrayLiteral("1") : QByteArrayLiteral("0"); }

void setRadio(QRadioButton* radio, bool checked)
{
    // An exclusive radio button refuses to be unchecked by the program; the device may
    // still say "0", so exclusivity is lifted for the one set.
    const bool exclusive = radio->autoExclusive();
    if (!checked && exclusive)
        radio->setAutoExclusive(false);
    radio->setChecked(checked);
    radio->setAutoExclusive(exclusive);
}

void setValue(QWidget* field, const QByteArray& text)
{
    if (auto* label = exactly<QLabel>(field)) {
        const QString shown = fromCp1250(text);
        if (label->text() != shown)
            label->setText(shown);
    } else if (auto* edit = exactly<QLineEdit>(field)) {
        edit->setText(fromCp1250(text));
    } else if (auto* spin = exactly<SpinEdit>(field)) {
        spin->setText(fromCp1250(text));
    } else if (auto* check = exactly<QCheckBox>(field)) {
        check->setChecked(text != "0");
    } else if (auto* combo = exactly<QComboBox>(field)) {
        // MatchFixedString without MatchCaseSensitive: whole string, any letter case.
        const int index = combo->findText(fromCp1250(text), Qt::MatchFixedString);
        if (index >= 0)
            combo->setCurrentIndex(index);
    } else if (auto* slider = exactly<QSlider>(field)) {
        if (text.isEmpty()) {
            slider->setValue(0);
        } else {
            bool ok = false;
            const int position = text.toInt(&ok);
            if (ok)
                slider->setValue(position);
        }
    } else if (auto* radio = exactly<QRadioButton>(field)) {
        setRadio(radio, text != "0");
    }
}

} // namespace

void SetControlValue(QWidget* field, const QByteArray& text)
{
    if (!field)
        return;
    try {
        setValue(field, text);
    } catch (...) {
        // A value the field cannot take leaves it as it was; nothing is reported.
    }
}

QByteArray GetControlValue(const QWidget* field)
{
    if (!field)
        return {};
    if (auto* label = exactly<QLabel>(field))
        return toCp1250(label->text());
    if (auto* edit = exactly<QLineEdit>(field))
        return toCp1250(edit->text());
    if (auto* spin = exactly<SpinEdit>(field))
        return toCp1250(spin->text());
    if (auto* check = exactly<QCheckBox>(field))
        return checkedText(check->isChecked());
    if (auto* combo = exactly<QComboBox>(field))
        return combo->currentIndex() < 0 ? QByteArray() : toCp1250(combo->currentText());
    if (auto* slider = exactly<QSlider>(field))
        return QByteArray::number(slider->value());
    if (auto* radio = exactly<QRadioButton>(field))
        return checkedText(radio->isChecked());
    return {};
}
