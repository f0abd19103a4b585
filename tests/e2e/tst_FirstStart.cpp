// First start of the program on a machine that has never run it: the prompt in Hungarian,
// English chosen in the prompt, a device attached, the pre-filled login, Read, edits with a
// refused Write, and a Write that leaves every edit on the device.

#include "Cp1250.h"
#include "FieldCodec.h"
#include "FieldColour.h"
#include "GuiRig.h"
#include "LanguageSetting.h"
#include "SettingsSchema.h"
#include "UserActions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

std::vector<std::string> keysOf(const std::string& field)
{
    std::vector<std::string> keys;
    for (const auto& b : settingsSchema())
        if (b.field == field)
            keys.push_back(b.key);
    return keys;
}

struct Texts {
    QString prompt, readButton, settingsTab;
};

} // namespace

class TestFirstStart : public QObject
{
    Q_OBJECT

private slots:
    void firstStartReadEditWrite()
    {
        QVERIFY2(readLanguageId().isEmpty(), "the test home must hold no language");

        GuiRig rig(GuiRig::Setup{.plugged = false,
                                 .connect = ScriptedDialogs::ConnectAnswer::Stay});
        rig.sim->setProperty("CALL:ROUTE3.PORT", "9000"); // the device's own configuration
        const auto shownTexts = [&rig] {
            auto* form = rig.window->connectForm();
            return Texts{form->findChild<QLabel*>(QStringLiteral("lbReconnectMessage"))->text(),
                         rig.find<QPushButton>("btnRead")->text(),
                         rig.find<QTabWidget>("PageControl1")->tabText(0)};
        };

        // The user looks at the prompt, picks the English flag, then plugs the device in.
        Texts atStart, afterFlag;
        const auto prompted = whenReady(
            rig.window.get(),
            [&rig] { return rig.window->connectForm() && rig.window->connectForm()->isVisible(); },
            [&] {
                atStart = shownTexts();
                clickOn(rig.window->connectForm()->findChild<QToolButton*>(
                    QStringLiteral("SpeedButtonEN")));
                afterFlag = shownTexts();
                rig.sim->plug();
            });
        QVERIFY(rig.start());
        QVERIFY(*prompted);
        QVERIFY(rig.waitAttached(true));

        QCOMPARE(atStart.prompt, QStringLiteral("Csatlakoztassa a készüléket!"));
        QCOMPARE(atStart.readButton, QStringLiteral("Beolvasás"));
        QCOMPARE(atStart.settingsTab, QStringLiteral("Beállítások"));
        QCOMPARE(afterFlag.prompt, QStringLiteral("Connect the device!"));
        QCOMPARE(afterFlag.readButton, QStringLiteral("Read"));
        QCOMPARE(afterFlag.settingsTab, QStringLiteral("Settings"));
        QCOMPARE(readLanguageId(), QStringLiteral("en"));

        // Attached: the prompt gave way to one password dialog, accepted as pre-filled.
        QCOMPARE(rig.dialogs.connectDialogs, 1);
        QCOMPARE(rig.dialogs.passwordDialogs, 1);
        QVERIFY(!rig.window->connectForm()->isVisible());
        QVERIFY(rig.sim->loggedIn());
        QVERIFY(rig.find("imgOK")->isVisibleTo(rig.window.get()));

        auto* read = rig.find<QPushButton>("btnRead");
        auto* write = rig.find<QPushButton>("btnWrite");
        clickOn(read);
        QCOMPARE(rig.dialogs.messages.size(), 0);
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);
        QCOMPARE(rig.text("edSIM1Port2"), QStringLiteral("9000"));
        QVERIFY(write->isEnabled());

        // An account ID with a letter that is not hexadecimal: red, and Write refuses.
        auto* account = rig.find<QLineEdit>("edSIM1AccountID1");
        typeInto(account, QStringLiteral("12G4"));
        QCOMPARE(account->text(), QStringLiteral("12G4"));
        QCOMPARE(fieldColour(account), clRed());
        QVERIFY(!write->isEnabled());
        const auto requestsBefore = rig.sim->requestLog(6).size();
        clickOn(write);
        QCOMPARE(rig.sim->requestLog(6).size(), requestsBefore);
        QCOMPARE(rig.sim->property("CALL:ROUTE1.ID"), designValue("edSIM1AccountID1"));

        typeInto(account, QStringLiteral("12A4"));
        QCOMPARE(fieldColour(account), clWindow());
        QVERIFY(write->isEnabled());

        // Further edits of every kind of field; each expects the text the device must hold.
        std::vector<std::pair<std::string, QString>> edits = {{"edSIM1AccountID1", "12A4"}};
        const auto edit = [&](const char* field, const QString& typed) {
            typeInto(rig.find(field), typed);
            edits.emplace_back(field, typed);
        };
        edit("edApn1Name", QStringLiteral("internet.e2e"));
        edit("edCIDCode2", QStringLiteral("E01"));
        edit("edInName1", QStringLiteral("Hátsó ajtó"));
        edit("seSensitivity1", QStringLiteral("250"));
        auto* eol = rig.find<QCheckBox>("cbEOL3");
        const bool eolWas = eol->isChecked();
        pressSpace(eol);
        edits.emplace_back("cbEOL3", eolWas ? QStringLiteral("0") : QStringLiteral("1"));
        QVERIFY(pickItem(rig.find<QComboBox>("cbInOut2Type"), QStringLiteral("NC")));
        edits.emplace_back("cbInOut2Type", QStringLiteral("NC"));
        for (const auto& [field, text] : edits)
            QCOMPARE(rig.text(field.c_str()), text);
        QVERIFY(write->isEnabled());

        clickOn(write);
        QCOMPARE(rig.dialogs.messages.size(), 0);
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);

        // The device stores code page 1250 bytes, as the wire carries them.
        for (const auto& [field, text] : edits)
            for (const auto& key : keysOf(field))
                QCOMPARE(rig.sim->property(key).value_or("<none>"), toCp1250(text).toStdString());
        // Beyond the edits, the device holds exactly what every field shows.
        for (const auto& b : settingsSchema())
            QCOMPARE(rig.sim->property(b.key).value_or("<none>"),
                     GetControlValue(rig.find(b.field.c_str())).toStdString());
    }
};

int main(int argc, char** argv)
{
    TestFirstStart tests;
    return runScenarioTests(argc, argv, tests);
}
#include "tst_FirstStart.moc"
