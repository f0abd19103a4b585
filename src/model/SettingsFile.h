#pragma once
// The settings page in a profile file: one section "Settings", one entry per bound field,
// named after the field, holding its property text.

#include <QString>

class ControlDescList;

// The path as given when it ends in ".ini" in any letter case, else with ".ini" appended.
QString withIniSuffix(QString path);

// Writes every bound field into `path` (used as given), keeping the file's other lines. On
// failure *error is "Unable to write to <path>" and the old file is left as it was.
bool saveSettingsFile(const QString& path, const ControlDescList& descs, QString* error = nullptr);

// Sets every bound field from its entry, or from "" when the file or the entry is missing.
void openSettingsFile(const QString& path, const ControlDescList& descs);
