#pragma once
// A spin edit whose text is free: a text set by the program (from the device or a file) is
// shown and read back exactly as set, even outside the limits or not a number at all, while
// setValue() and the arrow buttons keep the integer within [minimum, maximum].
// The change notification is textChanged, emitted only when the text really changes.

#include <QAbstractSpinBox>

class SpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int singleStep READ singleStep WRITE setSingleStep)
    Q_PROPERTY(int value READ value WRITE setValue)

public:
    explicit SpinEdit(QWidget* parent = nullptr);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int singleStep() const { return m_singleStep; }
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setRange(int minimum, int maximum);
    void setSingleStep(int step) { m_singleStep = step; }

    // The shown text as an integer; when it is not one, the nearest limit to 0 is not guessed:
    // ok (if given) says whether the text was an integer, and the result is then minimum().
    int value(bool* ok = nullptr) const;
    void setValue(int value);

    QString text() const;
    void setText(const QString& text);

    void stepBy(int steps) override;

signals:
    void textChanged(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    int clamp(int v) const;

    int m_minimum = 0;
    int m_maximum = 99;
    int m_singleStep = 1;
};
