#pragma once
// The one place where property text (8-bit code page 1250, as the device and the settings
// file carry it) and field text (Unicode) are converted into each other.

#include <QByteArray>
#include <QString>
#include <QValidator>

// Throws std::runtime_error when this Qt build has no "windows-1250" codec; call once at
// start-up so a broken installation fails loudly instead of corrupting texts.
void requireCp1250();

QString fromCp1250(const QByteArray& bytes);
QByteArray toCp1250(const QString& text);
bool fitsCp1250(const QString& text);

// Refuses input that code page 1250 cannot hold, and line breaks, which neither a property
// line nor a settings file entry can carry; so what is written is always what the field shows.
class Cp1250Validator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
