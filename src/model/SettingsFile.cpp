#include "SettingsFile.h"

#include "ControlDesc.h"
#include "FieldCodec.h"
#include "ProfileFile.h"

#include <QWidget>

namespace {
const QByteArray settingsSection = QByteArrayLiteral("Settings");
}

QString withIniSuffix(QString path)
{
    if (path.size() < 4 || path.right(4).toLower() != QLatin1String(".ini"))
        path += QLatin1String(".ini");
    return path;
}

bool saveSettingsFile(const QString& path, const ControlDescList& descs, QString* error)
{
    ProfileFile file;
    bool ok = file.load(path);
    for (int i = 0; ok && i < descs.count(); ++i) {
        const QWidget* field = descs.at(i).control;
        if (field)
            ok = file.writeString(settingsSection, field->objectName().toLatin1(), GetControlValue(field));
    }
    ok = ok && file.save(path);
    if (!ok && error)
        *error = QStringLiteral("Unable to write to %1").arg(path);
    return ok;
}

void openSettingsFile(const QString& path, const ControlDescList& descs)
{
    ProfileFile file;
    if (!file.load(path))
        file = ProfileFile(); // an unreadable file opens as an empty one
    for (int i = 0; i < descs.count(); ++i) {
        QWidget* field = descs.at(i).control;
        if (field)
            SetControlValue(field, file.readString(settingsSection, field->objectName().toLatin1()));
    }
}
