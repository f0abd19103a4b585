// Pictures of the real main window on the simulated device, for review (not a test):
//   QT_QPA_PLATFORM=offscreen app_screenshot OUT-DIR
// For English, Hungarian and Romanian it starts the window with that language stored, shows
// the connect dialog, plugs the device in, logs in through the password dialog, reads the
// settings, lets status records and events arrive, and writes connect_LANG.png,
// password_LANG.png, settings_LANG.png (the viewport), settings_full_LANG.png (the whole
// page), status_LANG.png and reading_LANG.png (a read-all under way at the device's pace).

#include "GuiRig.h"
#include "LanguageSetting.h"
#include "Pwdformc.h"
#include "Usbconnect.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

bool savePicture(QWidget* widget, const QString& path)
{
    const bool ok = widget->grab().save(path);
    qInfo("%s %s", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// A device with something to show: inputs and receivers in every state, signal, supply, events.
void liven(SimDevice& sim)
{
    const int inputs[] = {0, 1, 2, 3, 1, 0};
    for (int n = 1; n <= 6; ++n)
        sim.setInput(n, inputs[n - 1]);
    const int receivers[] = {1, 2, 3, 4, 1, 0, 4, 3};
    for (int r = 0; r < 8; ++r)
        sim.setReceiver(r < 4 ? 'A' : 'B', r % 4 + 1, receivers[r]);
    sim.setSignal('A', 23);
    sim.setSignal('B', 9);
    sim.setSupply(12150);
    sim.sendEvent("SIM_A", "Zone 1 alarm");
    sim.sendEvent("SIM_B", "Test report sent");
    sim.sendStatus();
}

bool shootLanguage(const QString& code, const QString& dir)
{
    writeLanguageId(code);
    GuiRig rig(GuiRig::Setup{.plugged = false, .connect = ScriptedDialogs::ConnectAnswer::Stay});
    bool ok = true;

    // The connect dialog: pictured inside its own modal loop, then the cable goes in.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TUSBConnectForm* form = rig.window->connectForm();
        if (!form || !form->isVisible())
            return;
        poll.stop();
        ok &= savePicture(form, dir + "/connect_" + code + ".png");
        rig.sim->plug();
    });
    poll.start();
    rig.dialogs.answerPassword = [&](TPwdForm& dialog) {
        ok &= savePicture(&dialog, dir + "/password_" + code + ".png");
        answerLogin(dialog);
    };

    rig.window->resize(864, 752);
    if (!rig.start() || !rig.waitAttached(true)) {
        qWarning("%s: the window did not attach", qPrintable(code));
        return false;
    }
    rig.click("btnRead");
    liven(*rig.sim);
    const bool arrived = QTest::qWaitFor([&] {
        return rig.find<QLabel>("lbPowerValue")->text() != QLatin1String("-")
               && rig.find<QLineEdit>("edRS2_4")->text() == QLatin1String("3")
               && rig.find<QLineEdit>("edTempGsmSignal2")->text() == QLatin1String("9");
    }, 5000);
    if (!arrived)
        qWarning("%s: status did not arrive", qPrintable(code));
    QTest::qWait(50);

    auto* pages = rig.find<QTabWidget>("PageControl1");
    pages->setCurrentWidget(rig.find("tsSettings"));
    QApplication::processEvents();
    ok &= savePicture(rig.window.get(), dir + "/settings_" + code + ".png");
    ok &= savePicture(rig.find("sbSettingsContents"), dir + "/settings_full_" + code + ".png");
    pages->setCurrentWidget(rig.find("tsStatus"));
    QApplication::processEvents();
    ok &= savePicture(rig.window.get(), dir + "/status_" + code + ".png");

    // A read under way, at the device's own pace: the bar half full, Read and Write disabled.
    pages->setCurrentWidget(rig.find("tsSettings"));
    rig.sim->setTiming({std::chrono::microseconds(1000), std::chrono::microseconds(1000)});
    QTimer::singleShot(1000, rig.window.get(), [&] {
        ok &= savePicture(rig.window.get(), dir + "/reading_" + code + ".png");
    });
    rig.click("btnRead");
    return ok && arrived;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config; // the language choice of these runs never reaches the user's store
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    const QString dir = app.arguments().value(1, QStringLiteral("/tmp/pragant-shots"));
    if (!QDir().mkpath(dir)) {
        qWarning("cannot create %s", qPrintable(dir));
        return 2;
    }
    bool ok = true;
    for (const char* code : {"en", "hu", "ro"})
        ok &= shootLanguage(QString::fromLatin1(code), dir);
    return ok ? 0 : 1;
}
