#include "SpinEdit.h"

#include <QLineEdit>

#include <algorithm>

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    lineEdit()->setText(QString::number(m_minimum));
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::textChanged);
}

void SpinEdit::setMinimum(int minimum)
{
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, m_minimum);
}

void SpinEdit::setMaximum(int maximum)
{
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, m_maximum);
}

void SpinEdit::setRange(int minimum, int maximum)
{
    setMinimum(minimum);
    setMaximum(maximum);
}

int SpinEdit::clamp(int v) const { return std::clamp(v, m_minimum, m_maximum); }

int SpinEdit::value(bool* ok) const
{
    bool isInt = false;
    const int v = text().trimmed().toInt(&isInt);
    if (ok)
        *ok = isInt;
    return isInt ? v : m_minimum;
}

void SpinEdit::setValue(int value) { setText(QString::number(clamp(value))); }

QString SpinEdit::text() const { return lineEdit()->text(); }

void SpinEdit::setText(const QString& text)
{
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void SpinEdit::stepBy(int steps)
{
    // A text that is no integer steps from the lower limit, as a fresh field would.
    const long long next = static_cast<long long>(value()) + static_cast<long long>(steps) * m_singleStep;
    setValue(static_cast<int>(std::clamp<long long>(next, m_minimum, m_maximum)));
    selectAll();
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    bool ok = false;
    const int v = value(&ok);
    if (!ok)
        return StepUpEnabled | StepDownEnabled;
    StepEnabled e = StepNone;
    if (v < m_maximum)
        e |= StepUpEnabled;
    if (v > m_minimum)
        e |= StepDownEnabled;
    return e;
}

QValidator::State SpinEdit::validate(QString&, int&) const { return QValidator::Acceptable; }

void SpinEdit::fixup(QString&) const {}
