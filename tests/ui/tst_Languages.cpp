// The window's language: chosen at start-up from the stored LanguageId without writing it,
// switched and stored only by the language buttons, and followed at once by the texts that
// code sets (input, receiver and secondary-station texts, the output modes).

#include "FieldCodec.h"
#include "GuiRig.h"
#include "fixtures/ViewsSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

class TestLanguages : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(views::clearLanguageStore()); }

    void startUpLanguageNeverStores_data();
    void startUpLanguageNeverStores();
    void buttonStoresCodeAsPassed_data();
    void buttonStoresCodeAsPassed();
    void sameLanguageAgainReappliesAndStores();
    void switchRedrawsStatusTextsWithoutNewData_data();
    void switchRedrawsStatusTextsWithoutNewData();
    void switchKeepsEveryOutputMode_data();
    void switchKeepsEveryOutputMode();
    void switchWithModeThatIsNoNumber();
};

namespace {

QStringList modeList(const char* language)
{
    QStringList modes = views::tableText(language, "edOm1").split(QStringLiteral("\r\n"));
    if (!modes.isEmpty() && modes.last().isEmpty())
        modes.removeLast();
    return modes;
}

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemText(i));
    return list;
}

QByteArray storeBytes()
{
    QFile file(views::languageStoreFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// The texts of one language on the settings page, from the design (lbPowerName on the status
// page, a tab) and from code (the secondary-station label, the output modes).
void verifyLanguage(const GuiRig& rig, const char* language)
{
    QCOMPARE(rig.find<QLabel>("lbPowerName")->text(), views::tableText(language, "lbPowerName"));
    QCOMPARE(rig.find<QLabel>("lbSIM2BackupServers")->text(),
             views::tableText(language, "txtBackupServerDisabled"));
    QCOMPARE(items(rig.find<QComboBox>("ComboBox1")), modeList(language));
}

} // namespace

void TestLanguages::startUpLanguageNeverStores_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("language");
    QTest::newRow("missing") << false << QString() << "hu";
    QTest::newRow("empty") << true << "" << "hu";
    QTest::newRow("HU") << true << "HU" << "hu";
    QTest::newRow("Ro") << true << "Ro" << "ro";
    QTest::newRow("en") << true << "en" << "en";
    QTest::newRow("de") << true << "de" << "en";
    QTest::newRow("blank hu") << true << " hu" << "en";
}

void TestLanguages::startUpLanguageNeverStores()
{
    QFETCH(bool, stored);
    QFETCH(QString, code);
    QFETCH(QString, language);
    if (stored)
        views::storeLanguage(code);
    const QByteArray before = storeBytes();

    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    verifyLanguage(rig, qPrintable(language));
    QCOMPARE(storeBytes(), before);
    QCOMPARE(views::storedLanguage().has_value(), stored);
}

void TestLanguages::buttonStoresCodeAsPassed_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("code");
    QTest::newRow("sbEN") << "sbEN" << "en";
    QTest::newRow("sbHU") << "sbHU" << "hu";
    QTest::newRow("sbRO") << "sbRO" << "ro";
}

void TestLanguages::buttonStoresCodeAsPassed()
{
    QFETCH(QString, button);
    QFETCH(QString, code);
    views::storeLanguage(QStringLiteral("DE")); // English, stored in a form no button writes
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    verifyLanguage(rig, "en");

    QTest::mouseClick(rig.find<QToolButton>(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(views::storedLanguage(), std::optional<QString>(code));
    QCOMPARE(readLanguageId(), code);
    verifyLanguage(rig, qPrintable(code));
}

void TestLanguages::sameLanguageAgainReappliesAndStores()
{
    views::storeLanguage(QStringLiteral("RO"));
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    verifyLanguage(rig, "ro");
    auto* caption = rig.find<QLabel>("lbPowerName");
    caption->setText(QStringLiteral("scribbled"));

    QTest::mouseClick(rig.find<QToolButton>("sbRO"), Qt::LeftButton);
    QCOMPARE(views::storedLanguage(), std::optional<QString>(QStringLiteral("ro")));
    QCOMPARE(caption->text(), views::tableText("ro", "lbPowerName"));
}

void TestLanguages::switchRedrawsStatusTextsWithoutNewData_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("language");
    QTest::newRow("to English") << "sbEN" << "en";
    QTest::newRow("to Romanian") << "sbRO" << "ro";
    QTest::newRow("to Hungarian") << "sbHU" << "hu";
}

void TestLanguages::switchRedrawsStatusTextsWithoutNewData()
{
    QFETCH(QString, button);
    QFETCH(QString, language);
    views::storeLanguage(button == "sbHU" ? QStringLiteral("en") : QStringLiteral("hu"));
    GuiRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    QVERIFY(rig.sim->setInput(1, 0));
    QVERIFY(rig.sim->setInput(2, 2));
    QVERIFY(rig.sim->setReceiver('A', 2, 3));
    QVERIFY(rig.sim->setReceiver('B', 1, 2));
    QVERIFY(rig.sim->setReceiver('B', 4, 4));
    QTRY_VERIFY(rig.find<QLineEdit>("edRS2_4")->text() == "4"
                && rig.find<QLineEdit>("edIN2")->text() == "2");

    // Checked before the event loop runs again: no status record can have come in between.
    QTest::mouseClick(rig.find<QToolButton>(qPrintable(button)), Qt::LeftButton);
    const QByteArray lang = language.toLatin1();
    const struct {
        const char* label;
        const char* key;
    } expected[] = {
        {"lbIN1Status", "txtInputAlarm"},
        {"lbIN2Status", "txtInputTamperShort"},
        {"lbIN3Status", "txtInputIdle"},
        {"lbRS1_1", "txtReceiverStatusOnline"},
        {"lbRS1_2", "txtReceiverStatusOffline"},
        {"lbRS1_3", "txtReceiverStatusNotConfigured"},
        {"lbRS2_1", "txtReceiverStatusOnlineAckError"},
        {"lbRS2_4", "txtReceiverStatusOfflineNoResponse"},
        {"lbSIM2BackupServers", "txtBackupServerDisabled"},
    };
    for (const auto& e : expected) {
        const QString text = views::tableText(lang.constData(), e.key);
        QVERIFY(!text.isEmpty());
        QCOMPARE(rig.find<QLabel>(e.label)->text(), text);
    }
}

void TestLanguages::switchKeepsEveryOutputMode_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("language");
    QTest::newRow("to Romanian") << "sbRO" << "ro";
    QTest::newRow("to Hungarian") << "sbHU" << "hu";
    QTest::newRow("to English") << "sbEN" << "en";
}

void TestLanguages::switchKeepsEveryOutputMode()
{
    QFETCH(QString, button);
    QFETCH(QString, language);
    views::storeLanguage(button == "sbEN" ? QStringLiteral("ro") : QStringLiteral("en"));
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());

    // Outputs 1 and 2 picked by the user, 3 and 5 set as the device or a file would.
    QVERIFY(views::pickItem(rig.find<QComboBox>("ComboBox1"), 7));
    QVERIFY(views::pickItem(rig.find<QComboBox>("ComboBox2"), 0));
    SetControlValue(rig.find("edO3V"), "9");
    SetControlValue(rig.find("edO5V"), "12");
    const QStringList values = {"8", "1", "9", "4", "12", "6"};
    for (int n = 1; n <= 6; ++n)
        QCOMPARE(rig.text(qPrintable(QStringLiteral("edO%1V").arg(n))), values[n - 1]);

    QTest::mouseClick(rig.find<QToolButton>(qPrintable(button)), Qt::LeftButton);
    const QStringList modes = modeList(qPrintable(language));
    QCOMPARE(modes.size(), 9);
    for (int n = 1; n <= 6; ++n) {
        const auto* combo = rig.find<QComboBox>(qPrintable(QStringLiteral("ComboBox%1").arg(n)));
        QCOMPARE(items(combo), modes);
        const int v = values[n - 1].toInt();
        QCOMPARE(combo->currentIndex(), v <= 9 ? v - 1 : -1);
        if (v <= 9)
            QCOMPARE(combo->currentText(), modes[v - 1]);
        QCOMPARE(rig.text(qPrintable(QStringLiteral("edO%1V").arg(n))), values[n - 1]);
    }
}

// A mode value that is no number (from a file, say) shows no mode for its own output only.
void TestLanguages::switchWithModeThatIsNoNumber()
{
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    SetControlValue(rig.find("edO4V"), "x");
    QTest::mouseClick(rig.find<QToolButton>("sbRO"), Qt::LeftButton);
    for (int n = 1; n <= 6; ++n) {
        const auto* combo = rig.find<QComboBox>(qPrintable(QStringLiteral("ComboBox%1").arg(n)));
        QCOMPARE(combo->currentIndex(), n == 4 ? -1 : n - 1);
    }
    QCOMPARE(rig.text("edO4V"), QStringLiteral("x"));
}

PRAGANT_VIEWS_TEST_MAIN(TestLanguages)
#include "tst_Languages.moc"
