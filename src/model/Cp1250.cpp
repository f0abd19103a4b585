#include "Cp1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <stdexcept>

namespace {
constexpr const char* codecName = "windows-1250";
}

void requireCp1250()
{
    if (!QStringEncoder(codecName).isValid() || !QStringDecoder(codecName).isValid())
        throw std::runtime_error("The text codec windows-1250 is not available in this Qt build");
}

QString fromCp1250(const QByteArray& bytes)
{
    QStringDecoder decoder(codecName);
    return decoder(bytes);
}

QByteArray toCp1250(const QString& text)
{
    QStringEncoder encoder(codecName);
    return encoder(text);
}

bool fitsCp1250(const QString& text)
{
    QStringEncoder encoder(codecName);
    const QByteArray bytes = encoder(text);
    // ICU substitutes what it cannot map; a round trip tells substitutes from real characters.
    return !encoder.hasError() && fromCp1250(bytes) == text;
}

QValidator::State Cp1250Validator::validate(QString& input, int&) const
{
    if (input.contains(QLatin1Char('\r')) || input.contains(QLatin1Char('\n')))
        return Invalid;
    return fitsCp1250(input) ? Acceptable : Invalid;
}
