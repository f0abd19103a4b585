// Pragant: configure and watch a Bisora communicator.

#include "DeviceChoice.h"
#include "Cp1250.h"
#include "Main.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QMessageBox>
#include <QStandardPaths>

#include <cstdio>
#include <exception>

namespace {

// An error that escapes a handler is shown, and the program goes on.
class PragantApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            showError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            showError(QString());
        }
        return false;
    }

private:
    static void showError(const QString& message)
    {
        QMessageBox::critical(nullptr, QStringLiteral("Pragant"), message);
    }
};

} // namespace

int main(int argc, char* argv[])
{
    PragantApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Pragant"));
    app.setApplicationVersion(QStringLiteral("1.22"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icon.svg")));
    app.setDesktopFileName(QStringLiteral("com.vekt.Pragant")); // matches the installed entry

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configure and watch a Bisora dual-SIM GPRS alarm communicator."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption deviceOption(
        QStringLiteral("device"), QString::fromLatin1(kDeviceOptionHelp), QStringLiteral("device"),
        QStringLiteral("usb"));
    parser.addOption(deviceOption);
    parser.process(app);

    QString error;
    const auto device = chooseDevice(parser.value(deviceOption), &error);
    if (!device) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }

    try {
        requireCp1250();
        TFormMain window({device->platform, nullptr, {}});
        window.move(0, 0); // the design places the window at the top left of the desktop
        window.show();
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Pragant"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Pragant"), QString());
    }
    return 0;
}
