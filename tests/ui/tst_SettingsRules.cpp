// The settings page's rules in the running window: validation colours and the Write gate,
// "Send report now", the receiver-pair mirrors, the secondary-station switch after a load,
// output modes, battery volts and the test-report time.

#include "FieldCodec.h"
#include "FieldColour.h"
#include "GuiRig.h"
#include "SettingsSchema.h"
#include "SpinEdit.h"
#include "fixtures/ViewsSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLocale>

namespace {

const char* const kAccountIds[] = {"edSIM1AccountID1", "edSIM1AccountID2", "edSIM1AccountID3",
                                   "edSIM1AccountID4", "edSIM2AccountID1", "edSIM2AccountID2",
                                   "edSIM2AccountID3", "edSIM2AccountID4"};
const char* const kCodes[] = {"edCIDCode1", "edCIDCode2",      "edCIDCode3",
                              "edCIDCode4", "edCIDCode5",      "edCIDCode6",
                              "edSabotageEvent", "edBatteryEvent", "edTestReportCID"};
const char* const kMirrorPairs[][2] = {
    {"cbIN1MS1", "cbIN1MS3"}, {"cbIN2MS1", "cbIN2MS3"}, {"cbIN3MS1", "cbIN3MS3"},
    {"cbIN4MS1", "cbIN4MS3"}, {"cbIN5MS1", "cbIN5MS3"}, {"cbIN6MS1", "cbIN6MS3"},
    {"cbIN1MS2", "cbIN1MS4"}, {"cbIN2MS2", "cbIN2MS4"}, {"cbIN3MS2", "cbIN3MS4"},
    {"cbIN4MS2", "cbIN4MS4"}, {"cbIN5MS2", "cbIN5MS4"}, {"cbIN6MS2", "cbIN6MS4"},
    {"cbSabotageMS1", "cbSabotageMS3"}, {"cbSabotageMS2", "cbSabotageMS4"},
    {"cbBattMS1", "cbBattMS3"}, {"cbBattMS2", "cbBattMS4"},
    {"cbTestReportMS1", "cbTestReportMS3"}, {"cbTestReportMS2", "cbTestReportMS4"}};
const char* const kSecondaryFields[] = {
    "edSIM1IP3", "edSIM1IP4", "edSIM1Port3", "edSIM1Port4", "edSIM1AccountID3",
    "edSIM1AccountID4", "seSIM1Test3", "seSIM1Test4", "edSIM1Comment3", "edSIM1Comment4",
    "edSIM2IP3", "edSIM2IP4", "edSIM2Port3", "edSIM2Port4", "edSIM2AccountID3",
    "edSIM2AccountID4", "seSIM2Test3", "seSIM2Test4", "edSIM2Comment3", "edSIM2Comment4"};
const char* const kSecondaryCaptions[] = {"lbSIM2BackupServers", "lbSIM1_3", "lbSIM1_4",
                                          "lbSIM2_3", "lbSIM2_4", "lbSIM1IP2", "lbSIM2Test2"};

// Sets a field's property on the simulated device, under every key bound to it.
void setDeviceField(SimDevice& sim, const char* field, const std::string& value)
{
    for (const SchemaBinding& b : settingsSchema())
        if (b.field == field)
            QVERIFY(sim.setProperty(b.key, value));
}

std::string keyOf(const char* field)
{
    for (const SchemaBinding& b : settingsSchema())
        if (b.field == field)
            return b.key;
    return {};
}

bool enabled(const GuiRig& rig, const char* name) { return rig.find(name)->isEnabled(); }

} // namespace

class TestSettingsRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QLocale::setDefault(QLocale::c()); }

    void accountIdColour_data();
    void accountIdColour();
    void codeColour_data();
    void codeColour();
    void typingOneCharacterAtATime();
    void readInvalidCodeGatesWrite();
    void sendReportDisabledByCodeEdit_data();
    void sendReportDisabledByCodeEdit();

    void mirrorFollowsItsBox_data();
    void mirrorFollowsItsBox();
    void readSetsMirrorsAndUnticksSwitch();

    void pickedModeSetsValue_data();
    void pickedModeSetsValue();
    void modeValueSelects_data();
    void modeValueSelects();
    void unknownModeIsWrittenAsIs();
    void batteryArrows_data();
    void batteryArrows();
    void restoreBelowLowIsAccepted();
    void testReportTimeFromDevice_data();
    void testReportTimeFromDevice();
    void testReportTimeFromSpins();
    void testReportOffDisablesAllButHour();
    void testReportChangesDisableSendReport_data();
    void testReportChangesDisableSendReport();
};

void TestSettingsRules::initTestCase()
{
    QVERIFY(views::clearLanguageStore());
    views::storeLanguage(QStringLiteral("en"));
}

void TestSettingsRules::accountIdColour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("12AB") << "12AB" << true;
    QTest::newRow("12ab") << "12ab" << true;
    QTest::newRow("0000") << "0000" << true;
    QTest::newRow("fFaA") << "fFaA" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("12G4") << "12G4" << false;
    QTest::newRow("123") << "123" << false;
    QTest::newRow("12345") << "12345" << false;
    QTest::newRow("blank 123") << " 123" << false;
    QTest::newRow("12 B") << "12 B" << false;
    QTest::newRow("accented") << QString::fromUtf8("12ÁB") << false;
}

void TestSettingsRules::accountIdColour()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    for (const char* name : kAccountIds) {
        auto* field = rig.find<QLineEdit>(name);
        SetControlValue(field, "x"); // red first, so that every outcome is a repaint
        QCOMPARE(fieldColour(field), clRed());
        if (field->isEnabled())
            views::retype(field, text); // the user
        else
            field->setText(text); // the secondary rows get their values from the device
        QCOMPARE(field->text(), text); // nothing is corrected
        QCOMPARE(fieldColour(field), valid ? clWindow() : clRed());
    }
}

void TestSettingsRules::codeColour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("110") << "110" << true;
    QTest::newRow("1a0") << "1a0" << true;
    QTest::newRow("E01") << "E01" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("11") << "11" << false;
    QTest::newRow("1100") << "1100" << false;
    QTest::newRow("11G") << "11G" << false;
    QTest::newRow("1 0") << "1 0" << false;
    QTest::newRow("accented") << QString::fromUtf8("1ő0") << false;
}

void TestSettingsRules::codeColour()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    for (const char* name : kCodes) {
        auto* field = rig.find<QLineEdit>(name);
        QCOMPARE(fieldColour(field), clWindow()); // the design texts are valid
        SetControlValue(field, "x");
        QCOMPARE(fieldColour(field), clRed());
        views::retype(field, text);
        QCOMPARE(field->text(), text);
        QCOMPARE(fieldColour(field), valid ? clWindow() : clRed());
    }
}

void TestSettingsRules::typingOneCharacterAtATime()
{
    GuiRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    rig.click("btnRead");
    QVERIFY(enabled(rig, "btnWrite"));

    // The window state follows every keystroke: Write is refused while the field is red.
    const struct {
        const char* field;
        const char* typed;
        QList<bool> valid;
    } cases[] = {
        {"edSIM1AccountID1", "1234", {false, false, false, true}},
        {"edSIM2AccountID2", "abcd", {false, false, false, true}},
        {"edCIDCode1", "110", {false, false, true}},
        {"edCIDCode6", "1A0", {false, false, true}},
    };
    for (const auto& c : cases) {
        auto* field = rig.find<QLineEdit>(c.field);
        views::retype(field, QString());
        QVERIFY(enabled(rig, "btnWrite"));
        for (int i = 0; i < c.valid.size(); ++i) {
            QTest::keyClick(field, c.typed[i]);
            QCOMPARE(field->text(), QString::fromLatin1(c.typed, i + 1));
            QCOMPARE(fieldColour(field), c.valid[i] ? clWindow() : clRed());
            QCOMPARE(enabled(rig, "btnWrite"), c.valid[i]);
        }
    }
}

void TestSettingsRules::readInvalidCodeGatesWrite()
{
    GuiRig rig;
    setDeviceField(*rig.sim, "edCIDCode4", "11G");
    setDeviceField(*rig.sim, "edSabotageEvent", "37"); // red, but does not gate Write
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    rig.click("btnRead");
    QCOMPARE(rig.text("edCIDCode4"), QStringLiteral("11G"));
    QCOMPARE(fieldColour(rig.find("edCIDCode4")), clRed());
    QCOMPARE(fieldColour(rig.find("edSabotageEvent")), clRed());
    QVERIFY(!enabled(rig, "btnWrite"));

    views::retype(rig.find("edCIDCode4"), QStringLiteral("114"));
    QVERIFY(enabled(rig, "btnWrite"));
    views::retype(rig.find("edCIDCode4"), QStringLiteral("11"));
    QVERIFY(!enabled(rig, "btnWrite"));
    views::retype(rig.find("edCIDCode4"), QString()); // empty is valid, and written empty
    QVERIFY(enabled(rig, "btnWrite"));
    rig.click("btnWrite");
    QVERIFY(rig.dialogs.messages.isEmpty());
    QCOMPARE(rig.sim->property(keyOf("edCIDCode4")), std::optional<std::string>(""));
    QCOMPARE(rig.sim->property(keyOf("edSabotageEvent")), std::optional<std::string>("37"));
}

void TestSettingsRules::sendReportDisabledByCodeEdit_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("disables");
    for (const char* name : kCodes)
        QTest::newRow(name) << name << true;
    for (const char* name : {"edSIM1AccountID1", "edSIM1AccountID2", "edSIM2AccountID1",
                             "edSIM2AccountID2", "edApn1Name", "edInName2"})
        QTest::newRow(name) << name << false;
}

void TestSettingsRules::sendReportDisabledByCodeEdit()
{
    QFETCH(QString, field);
    QFETCH(bool, disables);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    QVERIFY(enabled(rig, "btnSendReport"));
    QVERIFY(!rig.window->reportChangesPending());
    QTest::keyClicks(rig.find(qPrintable(field)), "1"); // valid or not, it is a change
    QCOMPARE(enabled(rig, "btnSendReport"), !disables);
    QCOMPARE(rig.window->reportChangesPending(), disables);
}

void TestSettingsRules::mirrorFollowsItsBox_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("mirror");
    QTest::addColumn<bool>("disablesReport");
    for (const auto& pair : kMirrorPairs)
        QTest::newRow(pair[0]) << pair[0] << pair[1]
                               << QByteArray(pair[0]).startsWith("cbTestReport");
}

void TestSettingsRules::mirrorFollowsItsBox()
{
    QFETCH(QString, box);
    QFETCH(QString, mirror);
    QFETCH(bool, disablesReport);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    auto* source = rig.find<QCheckBox>(qPrintable(box));
    auto* copy = rig.find<QCheckBox>(qPrintable(mirror));
    QVERIFY(!source->isChecked());
    QVERIFY(!copy->isChecked());

    views::clickBox(source);
    QVERIFY(source->isChecked());
    QVERIFY(copy->isChecked());
    QCOMPARE(enabled(rig, "btnSendReport"), !disablesReport);
    views::clickBox(source);
    QVERIFY(!copy->isChecked());
    // Every other mirror still matches its box.
    for (const auto& pair : kMirrorPairs)
        QCOMPARE(rig.find<QCheckBox>(pair[1])->isChecked(), rig.find<QCheckBox>(pair[0])->isChecked());
}

void TestSettingsRules::readSetsMirrorsAndUnticksSwitch()
{
    GuiRig rig;
    setDeviceField(*rig.sim, "cbIN1MS2", "1");
    setDeviceField(*rig.sim, "cbBattMS1", "1");
    setDeviceField(*rig.sim, "cbUseBackupServers", "1");
    setDeviceField(*rig.sim, "edSIM1IP3", "10.0.0.3");
    setDeviceField(*rig.sim, "edSIM2AccountID4", "BEEF");
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    rig.click("btnRead");
    QVERIFY(rig.dialogs.messages.isEmpty());

    QVERIFY(rig.find<QCheckBox>("cbIN1MS2")->isChecked());
    QVERIFY(rig.find<QCheckBox>("cbIN1MS4")->isChecked());
    QVERIFY(rig.find<QCheckBox>("cbBattMS3")->isChecked());
    QVERIFY(!rig.find<QCheckBox>("cbIN1MS3")->isChecked());
    QVERIFY(!rig.find<QCheckBox>("cbUseBackupServers")->isChecked());
    QCOMPARE(rig.find<QLabel>("lbSIM2BackupServers")->text(),
             QStringLiteral("Secondary monitoring station disabled"));
    for (const char* name : kSecondaryFields) {
        QVERIFY2(!enabled(rig, name), name);
        QCOMPARE(fieldColour(rig.find(name)), cl3DLight());
    }
    for (const char* name : kSecondaryCaptions)
        QVERIFY2(!enabled(rig, name), name);
    QCOMPARE(rig.text("edSIM1IP3"), QStringLiteral("10.0.0.3"));

    // A write after such a read turns the secondary station off and keeps the rows' values.
    QVERIFY(rig.sim->setProperty("CALL:BACKUP.EN", "1"));
    QVERIFY(rig.sim->setProperty(keyOf("edSIM1IP3"), "changed"));
    rig.click("btnWrite");
    QVERIFY(rig.dialogs.messages.isEmpty());
    QCOMPARE(rig.sim->property("CALL:BACKUP.EN"), std::optional<std::string>("0"));
    QCOMPARE(rig.sim->property(keyOf("edSIM1IP3")), std::optional<std::string>("10.0.0.3"));
    QCOMPARE(rig.sim->property(keyOf("edSIM2AccountID4")), std::optional<std::string>("BEEF"));
}

void TestSettingsRules::pickedModeSetsValue_data()
{
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("value");
    QTest::newRow("battery trouble on 3") << 3 << 7 << "8";
    QTest::newRow("follows input 1 on 6") << 6 << 0 << "1";
    QTest::newRow("communication trouble on 1") << 1 << 8 << "9";
}

void TestSettingsRules::pickedModeSetsValue()
{
    QFETCH(int, output);
    QFETCH(int, item);
    QFETCH(QString, value);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    auto* combo = rig.find<QComboBox>(qPrintable(QStringLiteral("ComboBox%1").arg(output)));
    QVERIFY(views::pickItem(combo, item));
    if (item == 7)
        QCOMPARE(combo->currentText(), QStringLiteral("Indicates battery trouble"));
    QCOMPARE(rig.text(qPrintable(QStringLiteral("edO%1V").arg(output))), value);
}

void TestSettingsRules::modeValueSelects_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("item");
    QTest::newRow("7") << QByteArray("7") << 6;
    QTest::newRow("1") << QByteArray("1") << 0;
    QTest::newRow("9") << QByteArray("9") << 8;
    QTest::newRow("12") << QByteArray("12") << -1;
    QTest::newRow("0") << QByteArray("0") << -1;
    QTest::newRow("-3") << QByteArray("-3") << -1;
    QTest::newRow("not a number keeps the pick") << QByteArray("x") << 4;
}

void TestSettingsRules::modeValueSelects()
{
    QFETCH(QByteArray, value);
    QFETCH(int, item);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    for (int n = 1; n <= 6; ++n) {
        auto* combo = rig.find<QComboBox>(qPrintable(QStringLiteral("ComboBox%1").arg(n)));
        auto* field = rig.find(qPrintable(QStringLiteral("edO%1V").arg(n)));
        QCOMPARE(combo->currentIndex(), n - 1); // design: output n follows input n
        SetControlValue(field, "5");
        SetControlValue(field, value);
        QCOMPARE(combo->currentIndex(), item);
        QCOMPARE(GetControlValue(field), value); // the value field keeps what came
    }
    QCOMPARE(rig.find<QComboBox>("ComboBox3")->itemText(6),
             QStringLiteral("On if any input is active"));
}

void TestSettingsRules::unknownModeIsWrittenAsIs()
{
    GuiRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    rig.click("btnRead");
    SetControlValue(rig.find("edO5V"), "12");
    QCOMPARE(rig.find<QComboBox>("ComboBox5")->currentIndex(), -1);
    rig.click("btnWrite");
    QCOMPARE(rig.sim->property("REL:MODE.A5"), std::optional<std::string>("12"));

    QVERIFY(views::pickItem(rig.find<QComboBox>("ComboBox5"), 1));
    rig.click("btnWrite");
    QCOMPARE(rig.sim->property("REL:MODE.A5"), std::optional<std::string>("2"));
}

void TestSettingsRules::batteryArrows_data()
{
    QTest::addColumn<QString>("spin");
    QTest::addColumn<QString>("volts");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("shown");
    QTest::newRow("low up at 11500") << "seBattLow" << "edBattlowVisible" << QByteArray("11500") << 1 << "C" << "11.6";
    QTest::newRow("low down at 10000") << "seBattLow" << "edBattlowVisible" << QByteArray("10000") << -1 << "C" << "10";
    QTest::newRow("high down twice") << "seBattHigh" << "edBattHighVisible" << QByteArray("12200") << -2 << "C" << "12";
    QTest::newRow("high up at 30000") << "seBattHigh" << "edBattHighVisible" << QByteArray("30000") << 1 << "C" << "30";
    QTest::newRow("decimal comma") << "seBattLow" << "edBattlowVisible" << QByteArray("11500") << 1 << "ro_RO" << "11,6";
}

void TestSettingsRules::batteryArrows()
{
    QFETCH(QString, spin);
    QFETCH(QString, volts);
    QFETCH(QByteArray, start);
    QFETCH(int, steps);
    QFETCH(QString, locale);
    QFETCH(QString, shown);
    QLocale::setDefault(QLocale(locale));
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    auto* box = rig.find<SpinEdit>(qPrintable(spin));
    SetControlValue(box, start);
    box->setFocus();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(box, steps > 0 ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(rig.find<QLineEdit>(qPrintable(volts))->text(), shown);
}

void TestSettingsRules::restoreBelowLowIsAccepted()
{
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    QCOMPARE(rig.find<QLineEdit>("edBattlowVisible")->text(), QStringLiteral("11.5"));
    QCOMPARE(rig.find<QLineEdit>("edBattHighVisible")->text(), QStringLiteral("12.2"));
    SetControlValue(rig.find("seBattHigh"), "10000");
    QCOMPARE(rig.text("seBattHigh"), QStringLiteral("10000"));
    QCOMPARE(rig.text("seBattLow"), QStringLiteral("11500"));
    QCOMPARE(rig.find<QLineEdit>("edBattHighVisible")->text(), QStringLiteral("10"));
}

void TestSettingsRules::testReportTimeFromDevice_data()
{
    QTest::addColumn<QByteArray>("minutes");
    QTest::addColumn<QString>("display");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("settled");
    QTest::newRow("485") << QByteArray("485") << "08:05" << 8 << 5 << "485";
    QTest::newRow("1500 clamps") << QByteArray("1500") << "23:00" << 23 << 0 << "1380";
    QTest::newRow("0") << QByteArray("0") << "00:00" << 0 << 0 << "0";
    QTest::newRow("1439") << QByteArray("1439") << "23:59" << 23 << 59 << "1439";
    QTest::newRow("not a number") << QByteArray("abc") << "02:00" << 2 << 0 << "abc";
}

void TestSettingsRules::testReportTimeFromDevice()
{
    QFETCH(QByteArray, minutes);
    QFETCH(QString, display);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(QString, settled);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    SetControlValue(rig.find("edTestrepminvalue"), minutes);
    QCOMPARE(rig.find<QLineEdit>("edTestReportHour")->text(), display);
    QCOMPARE(rig.find<SpinEdit>("udTrHour")->value(), hour);
    QCOMPARE(rig.find<SpinEdit>("udTestReportHour")->value(), minute);
    QCOMPARE(rig.text("edTestrepminvalue"), settled);
}

void TestSettingsRules::testReportTimeFromSpins()
{
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    QCOMPARE(rig.find<QLineEdit>("edTestReportHour")->text(), QStringLiteral("02:00"));
    views::retype(rig.find("udTestReportHour"), QStringLiteral("30"));
    views::retype(rig.find("udTrHour"), QStringLiteral("9"));
    QCOMPARE(rig.find<QLineEdit>("edTestReportHour")->text(), QStringLiteral("09:30"));
    QCOMPARE(rig.text("edTestrepminvalue"), QStringLiteral("570"));
    rig.find("udTrHour")->setFocus();
    QTest::keyClick(rig.find("udTrHour"), Qt::Key_Up);
    QCOMPARE(rig.find<QLineEdit>("edTestReportHour")->text(), QStringLiteral("10:30"));
    QCOMPARE(rig.text("edTestrepminvalue"), QStringLiteral("630"));
}

void TestSettingsRules::testReportOffDisablesAllButHour()
{
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    const char* const follow[] = {"edTestReportCID", "cbTestReportMS1", "cbTestReportMS2",
                                  "cbTestReportMS3", "cbTestReportMS4", "udTestReportFreq",
                                  "udTestReportHour"};
    for (const char* name : follow)
        QVERIFY2(enabled(rig, name), name);
    QVERIFY(enabled(rig, "btnSendReport"));

    views::clickBox(rig.find("cbTestReportEnable"));
    QVERIFY(!rig.find<QCheckBox>("cbTestReportEnable")->isChecked());
    for (const char* name : follow)
        QVERIFY2(!enabled(rig, name), name);
    QVERIFY(enabled(rig, "udTrHour"));
    QVERIFY(!enabled(rig, "btnSendReport"));
    QVERIFY(rig.window->reportChangesPending());

    views::clickBox(rig.find("cbTestReportEnable"));
    for (const char* name : follow)
        QVERIFY2(enabled(rig, name), name);
}

void TestSettingsRules::testReportChangesDisableSendReport_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key"); // 0: a click
    QTest::newRow("interval down") << "udTestReportFreq" << int(Qt::Key_Down);
    QTest::newRow("hour up") << "udTrHour" << int(Qt::Key_Up);
    QTest::newRow("minute up") << "udTestReportHour" << int(Qt::Key_Up);
    QTest::newRow("pair 2AB") << "cbTestReportMS2" << 0;
    QTest::newRow("pair 1AB") << "cbTestReportMS1" << 0;
}

void TestSettingsRules::testReportChangesDisableSendReport()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    QVERIFY(enabled(rig, "btnSendReport"));
    QWidget* w = rig.find(qPrintable(control));
    if (key) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key(key));
    } else {
        views::clickBox(w);
    }
    QVERIFY(!enabled(rig, "btnSendReport"));
    QVERIFY(rig.window->reportChangesPending());
}

PRAGANT_VIEWS_TEST_MAIN(TestSettingsRules)
#include "tst_SettingsRules.moc"
