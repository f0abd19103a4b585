#pragma once
// The program's trace lines ("pragant.debug"), off unless QT_LOGGING_RULES enables them.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPragantDebug)
