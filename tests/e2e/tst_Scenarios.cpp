// Whole-program scenarios after the first start: settings carried by a file to a second
// device, a password change and the next login, and a device pulled out in the middle of a
// read-all and of a write-all.

#include "Cp1250.h"
#include "FieldColour.h"
#include "GuiRig.h"
#include "Pwdformc.h"
#include "SettingsSchema.h"
#include "UserActions.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct FieldValue {
    std::string field;
    QString text;
};

std::string flipped(const std::string& field)
{
    return designValue(field) == "1" ? "0" : "1";
}

// Configurations that differ from the design values and from each other in every entry.
std::vector<FieldValue> firstDevice()
{
    return {{"cbUseBackupServers", "1"},     {"edSIM1Port2", "9000"},
            {"edApn1Name", "apn.first"},     {"edSIM1AccountID1", "1A2B"},
            {"edCIDCode3", "E30"},           {"cbInOut4Type", "NC"},
            {"seSensitivity2", "500"},       {"edSuperusernr", "+36301234567"},
            {"edInName2", "Garázs"},         {"cbEOL1", QString::fromStdString(flipped("cbEOL1"))},
            {"edSIM2IP1", "192.168.10.20"}};
}

std::vector<FieldValue> secondDevice()
{
    return {{"cbUseBackupServers", "1"},     {"edSIM1Port2", "7001"},
            {"edApn1Name", "apn.second"},    {"edSIM1AccountID1", "BEEF"},
            {"edCIDCode3", "131"},           {"cbInOut4Type", "NO"},
            {"seSensitivity2", "1200"},      {"edSuperusernr", "+40721000000"},
            {"edInName2", "Uşă"},            {"cbEOL1", QString::fromStdString(designValue("cbEOL1"))},
            {"edSIM2IP1", "10.0.0.7"},       {"edApn2Name", "apn.b"}};
}

void configure(SimDevice& device, const std::vector<FieldValue>& values)
{
    for (const auto& v : values)
        setDeviceField(device, v.field, toCp1250(v.text).toStdString());
}

bool showsStatus(const GuiRig& rig)
{
    return rig.find<QLabel>("lbVerTypeValue")->text() != QStringLiteral("-");
}

// What a detach leaves on the status page, as the user sees it.
void checkStatusPageReset(const GuiRig& rig)
{
    for (const char* label : {"lbVerTypeValue", "lbHwVerValue", "lbFwVerValue", "lbStDTValue",
                              "lbGsmSignal1Value", "lbGprsIp1Value", "lbGsmSignal2Value"})
        QCOMPARE(rig.find<QLabel>(label)->text(), QStringLiteral("-"));
    QVERIFY(rig.find<QPlainTextEdit>("memoEventList1")->toPlainText().isEmpty());
    QVERIFY(rig.find<QPlainTextEdit>("memoEventList2")->toPlainText().isEmpty());
    QCOMPARE(rig.find<QProgressBar>("pbGsmSignal1")->value(), 0);
    QVERIFY(rig.find("imgError")->isVisibleTo(rig.window.get()));
    QVERIFY(!rig.find("imgOK")->isVisibleTo(rig.window.get()));
    QVERIFY(!rig.find("btnRead")->isEnabled());
    QVERIFY(!rig.find("btnWrite")->isEnabled());
}

std::uint64_t reportsSoFar(const SimDevice& device)
{
    const auto c = device.counters();
    return c.reportsIn + c.reportsOut;
}

} // namespace

class TestScenarios : public QObject
{
    Q_OBJECT

private slots:
    void settingsFileToSecondDevice()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Store first;
        {
            GuiRig rig;
            configure(*rig.sim, firstDevice());
            QVERIFY(rig.start());
            QVERIFY(rig.waitAttached(true));
            clickOn(rig.find<QPushButton>("btnRead"));
            QCOMPARE(rig.dialogs.messages.size(), 0);
            QCOMPARE(rig.text("edSIM1Port2"), QStringLiteral("9000"));

            rig.dialogs.savePath = dir.filePath(QStringLiteral("site")); // saved as site.ini
            clickOn(rig.find<QPushButton>("btnSave"));
            QVERIFY(rig.dialogs.errors.isEmpty());
            first = storeOf(*rig.sim);
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("site.ini"))));

        GuiRig rig;
        configure(*rig.sim, secondDevice());
        const Store secondBefore = storeOf(*rig.sim);
        for (const auto& v : firstDevice())
            for (const auto& b : settingsSchema())
                if (b.field == v.field && v.field != "cbUseBackupServers") // on in both
                    QVERIFY2(secondBefore.at(b.key) != first.at(b.key), b.key.c_str());

        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        clickOn(rig.find<QPushButton>("btnRead"));
        QCOMPARE(rig.text("edSIM1Port2"), QStringLiteral("7001"));

        rig.dialogs.openPath = dir.filePath(QStringLiteral("site.ini"));
        clickOn(rig.find<QPushButton>("btnOpen"));
        for (const auto& v : firstDevice())
            if (v.field != "cbUseBackupServers")
                QCOMPARE(rig.text(v.field.c_str()), v.text);
        QCOMPARE(rig.text("cbUseBackupServers"), QStringLiteral("0"));

        auto* write = rig.find<QPushButton>("btnWrite");
        QVERIFY(write->isEnabled());
        clickOn(write);
        QCOMPARE(rig.dialogs.messages.size(), 0);
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);

        Store second = storeOf(*rig.sim);
        QCOMPARE(first.at("CALL:BACKUP.EN"), std::string("1"));
        QCOMPARE(second.at("CALL:BACKUP.EN"), std::string("0"));
        first.erase("CALL:BACKUP.EN");
        second.erase("CALL:BACKUP.EN");
        QVERIFY2(first == second, qPrintable(differences(first, second)));
    }

    void passwordChangeThenNextLogin()
    {
        SimOptions sim = GuiRig::quietSim();
        sim.requireLogin = true; // a device that shows its settings only after a login
        GuiRig rig(GuiRig::Setup{.connect = ScriptedDialogs::ConnectAnswer::Stay, .sim = sim});

        bool okWhileIncomplete = true;
        int answered = 0;
        rig.dialogs.answerPassword = [&](TPwdForm& dialog) {
            const auto field = [&dialog](const char* name) {
                return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
            };
            auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("btPasswAction"));
            switch (++answered) {
            case 1: // change the password, then log in with the new one
                pressSpace(dialog.findChild<QRadioButton*>(QStringLiteral("rbcpw")));
                typeInto(field("cpasswordo"), QStringLiteral("5827"));
                typeInto(field("cpasswordn"), QStringLiteral("4321"));
                typeInto(field("cpasswordnp"), QStringLiteral("432"));
                okWhileIncomplete = ok->isEnabled();
                typeInto(field("cpasswordnp"), QStringLiteral("4321"));
                break;
            case 2: // after the replug: the pre-filled old password no longer works
                break;
            default:
                typeInto(field("ppassword"), QStringLiteral("4321"));
                break;
            }
            clickOn(ok);
        };

        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        QVERIFY(!okWhileIncomplete);
        QCOMPARE(rig.dialogs.passwordDialogs, 1);
        QCOMPARE(rig.sim->password(), std::string("4321"));
        QVERIFY(rig.sim->loggedIn());
        QCOMPARE(rig.sim->requestLog(6),
                 (std::vector<std::string>{"set REM:UPW C,5827,4321", "set REM:UPW P,4321"}));

        rig.sim->unplug();
        QVERIFY(rig.waitAttached(false));
        rig.sim->setProperty("CALL:ROUTE3.PORT", "7000");
        rig.sim->plug();
        QVERIFY(rig.waitAttached(true, 10000));
        QCOMPARE(rig.dialogs.passwordDialogs, 3);
        QVERIFY(rig.sim->loggedIn());
        const auto log = rig.sim->requestLog(6);
        const std::vector<std::string> relogin(log.end() - 5, log.end());
        QCOMPARE(relogin, (std::vector<std::string>{"set REM:UPW P,5827", "set REM:UPW P,5827",
                                                    "set REM:UPW P,5827", "set REM:UPW P,5827",
                                                    "set REM:UPW P,4321"}));

        // Logged in for real: the device hands out its settings.
        clickOn(rig.find<QPushButton>("btnRead"));
        QCOMPARE(rig.dialogs.messages.size(), 0);
        QCOMPARE(rig.text("edSIM1Port2"), QStringLiteral("7000"));
    }

    void unplugDuringReadAndWrite()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        auto* read = rig.find<QPushButton>("btnRead");
        auto* write = rig.find<QPushButton>("btnWrite");
        auto* progress = rig.find<QProgressBar>("ProgressBarRW");

        const auto readReports = reportsSoFar(*rig.sim);
        clickOn(read);
        QCOMPARE(rig.dialogs.messages.size(), 0);
        const auto perRun = reportsSoFar(*rig.sim) - readReports;

        // The device now holds something else; a failed read must not bring any of it in.
        configure(*rig.sim, secondDevice());
        const auto shown = fieldTexts(*rig.window);
        QCOMPARE(shown.size(), settingsFields().size());
        QVERIFY(shown.at("edSIM1Port2") != QStringLiteral("7001")); // the device's differs
        QTRY_VERIFY(showsStatus(rig));
        rig.sim->sendEvent("SIM_A", "Zone 1 alarm");
        QTRY_VERIFY(!rig.find<QPlainTextEdit>("memoEventList1")->toPlainText().isEmpty());

        rig.sim->detachAfterReports(int(perRun / 2));
        clickOn(read);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(rig.dialogs.messages[0].caption, QStringLiteral("Pragant"));
        QCOMPARE(rig.dialogs.messages[0].text, QStringLiteral("Read error!"));
        QVERIFY(progress->value() > 0 && progress->value() < 252);
        QVERIFY(fieldTexts(*rig.window) == shown);
        checkStatusPageReset(rig);

        rig.sim->plug();
        QVERIFY(rig.waitAttached(true));
        clickOn(read);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(progress->value(), 252);
        QCOMPARE(rig.text("edSIM1Port2"), QStringLiteral("7001"));

        typeInto(rig.find("edApn1Name"), QStringLiteral("after.unplug"));
        QTRY_VERIFY(showsStatus(rig));
        QVERIFY(write->isEnabled());
        rig.sim->detachAfterReports(int(perRun / 2));
        clickOn(write);
        QCOMPARE(rig.dialogs.messages.size(), 2);
        QCOMPARE(rig.dialogs.messages[1].caption, QStringLiteral("Pragant"));
        QCOMPARE(rig.dialogs.messages[1].text, QStringLiteral("Write error!"));
        QVERIFY(progress->value() > 0 && progress->value() < 252);
        checkStatusPageReset(rig);
        // Keys before the cut were written; the field itself is as the user left it.
        QCOMPARE(rig.sim->property("GPRS:APN1.APN"), std::optional<std::string>("after.unplug"));
        QCOMPARE(rig.text("edApn1Name"), QStringLiteral("after.unplug"));

        rig.sim->plug();
        QVERIFY(rig.waitAttached(true));
        clickOn(read);
        QCOMPARE(rig.dialogs.messages.size(), 2);
        QCOMPARE(progress->value(), 252);
        QCOMPARE(rig.text("edApn1Name"), QStringLiteral("after.unplug"));
    }
};

int main(int argc, char** argv)
{
    TestScenarios tests;
    return runScenarioTests(argc, argv, tests);
}
#include "tst_Scenarios.moc"
