#include "PragantDebug.h"

Q_LOGGING_CATEGORY(lcPragantDebug, "pragant.debug", QtWarningMsg)
