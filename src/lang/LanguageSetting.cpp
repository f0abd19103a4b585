#include "LanguageSetting.h"

#include <QSettings>

namespace {

const auto languageIdName = QLatin1StringView("LanguageId");
const auto organisation = QLatin1StringView("VEKT");
const auto application = QLatin1StringView("Bisora/Pragant");

} // namespace

QString readLanguageId()
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    return store.value(languageIdName).toString();
}

void writeLanguageId(const QString& code)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    store.setValue(languageIdName, code);
    store.sync();
}
