#pragma once
// The user's language choice, kept between runs as the value "LanguageId" in the user's
// native settings store (organisation VEKT, application Bisora/Pragant).

#include <QString>

// The stored code exactly as it was written; empty when there is none. Never writes.
QString readLanguageId();

// Stores the code as passed: no lower-casing, no defaulting.
void writeLanguageId(const QString& code);
