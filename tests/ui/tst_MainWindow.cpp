// The main window as a user meets it: start-up, attach and login, read, write, detach.

#include "FieldCodec.h"
#include "GuiRig.h"
#include "SettingsSchema.h"
#include "ui_Main.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startsWithoutDevice()
    {
        GuiRig rig(GuiRig::Setup{.plugged = false});
        QVERIFY(rig.start());
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Bisora Pragant v1.22"));
        QVERIFY(!rig.find("btnRead")->isEnabled());
        QVERIFY(!rig.find("btnWrite")->isEnabled());
        QVERIFY(rig.find("btnSendReport")->isEnabled());
        QVERIFY(rig.find("imgError")->isVisibleTo(rig.window.get()));
        QVERIFY(!rig.find("imgOK")->isVisibleTo(rig.window.get()));
        QCOMPARE(rig.find<QLineEdit>("edBattlowVisible")->text(), QLocale().toString(11.5));
    }

    void attachLogsInWithDefaultPassword()
    {
        GuiRig rig(GuiRig::Setup{.connect = ScriptedDialogs::ConnectAnswer::Stay});
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        QCOMPARE(rig.dialogs.passwordDialogs, 1);
        QVERIFY(rig.sim->loggedIn());
        QCOMPARE(rig.sim->requestLog(6), std::vector<std::string>{"set REM:UPW P,5827"});
        QTRY_COMPARE(rig.sim->requestLog(4).size(), size_t(3));
        QVERIFY(rig.find("btnRead")->isEnabled());
        QVERIFY(rig.find("btnWrite")->isEnabled());
        QVERIFY(rig.find("imgOK")->isVisibleTo(rig.window.get()));
    }

    void readAllFillsEveryField()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        rig.click("btnRead");
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);
        QVERIFY(rig.window->settingsLoaded());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
