// pragant-cli: the Pragant window's logic for scripts, without showing the window.

#include "CliOptions.h"
#include "CliSession.h"
#include "Cp1250.h"
#include "DeviceChoice.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <exception>

namespace {

void onStopSignal(int) { CliSession::interrupt(); }

// Only our own diagnostics: the offscreen platform's remarks about windows that are never
// shown are no business of a script.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool ours = context.category && qstrncmp(context.category, "pragant", 7) == 0;
    if (ours || type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    // The window is never shown; a caller's own choice of platform is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("pragant-cli"));
    app.setApplicationVersion(QStringLiteral("1.22"));

    const ParseResult parsed = parseCommandLine(app.arguments().mid(1));
    if (!parsed.options) {
        std::fputs((parsed.message + QLatin1Char('\n')).toLocal8Bit().constData(),
                   parsed.exitCode == ExitDone ? stdout : stderr);
        return parsed.exitCode;
    }

    QString error;
    auto device = chooseDevice(parsed.options->device, &error);
    if (!device)
        return failure(ExitUsage, error);

    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    try {
        requireCp1250();
        CliSession session(*parsed.options, std::move(*device));
        return session.run();
    } catch (const std::exception& e) {
        return failure(ExitDeviceError, QString::fromLocal8Bit(e.what()));
    }
}
