// Read-all and write-all through the window, against the simulated device: every field,
// the last key of a field bound twice, a key that never answers, replies without "=".

#include "Cp1250.h"
#include "FieldCodec.h"
#include "GuiRig.h"
#include "SettingsSchema.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <map>

namespace {

bool isContactIdField(const QString& name)
{
    return name.startsWith(QLatin1String("edCIDCode")) || name == QLatin1String("edSabotageEvent")
           || name == QLatin1String("edBatteryEvent") || name == QLatin1String("edTestReportCID");
}

// A value the field can take that differs from its design value; an earlier key of a field
// bound several times gets another value than its last key, so the result shows which came last.
QByteArray valueFor(const QWidget* field, const QString& name, int serial, bool last)
{
    const QByteArray design = QByteArray::fromStdString(designValue(name.toStdString()));
    if (qobject_cast<const QCheckBox*>(field)) {
        const QByteArray other = design == "1" ? "0" : "1";
        return last ? other : design;
    }
    if (auto* combo = qobject_cast<const QComboBox*>(field)) {
        const int at = combo->findText(fromCp1250(design), Qt::MatchFixedString);
        const int pick = last ? (at + 1) % combo->count() : std::max(at, 0);
        return toCp1250(combo->itemText(pick));
    }
    if (auto* spin = qobject_cast<const SpinEdit*>(field)) {
        const int span = spin->maximum() - spin->minimum() + 1;
        int v = spin->minimum() + (serial * 37) % span;
        if (QByteArray::number(v) == design)
            v = v == spin->maximum() ? spin->minimum() : v + 1;
        return QByteArray::number(v);
    }
    if (name.size() == 5 && name.startsWith(QLatin1String("edO")) && name.endsWith(QLatin1Char('V')))
        return QByteArray::number(name.mid(3, 1).toInt() % 9 + 3); // another mode, 4..9
    if (name == QLatin1String("edTestrepminvalue"))
        return "754"; // 12:34
    if (name.contains(QLatin1String("AccountID")))
        return QByteArray::number(0xA000 + serial, 16).toUpper();
    if (isContactIdField(name))
        return QByteArray::number(0x100 + serial, 16).toUpper();
    return "v" + QByteArray::number(serial);
}

struct Plan {
    std::map<std::string, QByteArray> byKey;    // every settings key
    std::map<std::string, std::string> lastKey; // field -> its last key in table order
};

Plan distinctValues(const GuiRig& rig)
{
    Plan plan;
    const auto& schema = settingsSchema();
    for (const auto& b : schema)
        plan.lastKey[b.field] = b.key;
    for (int i = 0; i < int(schema.size()); ++i) {
        const auto& b = schema[size_t(i)];
        const QWidget* field = rig.find(b.field.c_str());
        Q_ASSERT(field);
        plan.byKey[b.key] =
            valueFor(field, QString::fromStdString(b.field), i, plan.lastKey[b.field] == b.key);
    }
    return plan;
}

void storeInDevice(SimDevice& sim, const Plan& plan)
{
    for (const auto& [key, value] : plan.byKey)
        QVERIFY2(sim.setProperty(key, value.toStdString()), key.c_str());
}

std::map<std::string, QByteArray> fieldTexts(const GuiRig& rig)
{
    std::map<std::string, QByteArray> texts;
    for (const auto& f : settingsFields())
        texts[f] = GetControlValue(rig.find(f.c_str()));
    return texts;
}

int indexOfKey(const std::string& key)
{
    const auto& schema = settingsSchema();
    for (size_t i = 0; i < schema.size(); ++i)
        if (schema[i].key == key)
            return int(i);
    return -1;
}

QByteArray storeValue(const SimDevice& sim, const std::string& key)
{
    return QByteArray::fromStdString(sim.property(key).value_or("<missing>"));
}

const std::string kBackup = "cbUseBackupServers";

} // namespace

class TestReadWriteAll : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void readAllSetsEveryField()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        const Plan plan = distinctValues(rig);
        storeInDevice(*rig.sim, plan);
        const auto before = fieldTexts(rig);

        rig.click("btnRead");

        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);
        QVERIFY(rig.window->settingsLoaded());
        QVERIFY(!rig.find<QCheckBox>(kBackup.c_str())->isChecked());
        QStringList wrong, unchanged;
        for (const auto& f : settingsFields()) {
            if (f == kBackup)
                continue;
            const QString name = QString::fromStdString(f);
            const QByteArray expected = plan.byKey.at(plan.lastKey.at(f));
            const QByteArray actual = GetControlValue(rig.find(f.c_str()));
            if (actual != expected)
                wrong << name + ": " + fromCp1250(actual) + " != " + fromCp1250(expected);
            if (before.at(f) == expected)
                unchanged << name;
        }
        QCOMPARE(wrong, QStringList());
        QCOMPARE(unchanged.join(' '), QString()); // every field was really set by the read
    }

    void readAllStopsAtSilentKey()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        storeInDevice(*rig.sim, distinctValues(rig));
        rig.find<QCheckBox>(kBackup.c_str())->setChecked(true);
        auto before = fieldTexts(rig);
        const std::string silent = settingsSchema()[99].key;
        rig.sim->silenceKey(silent);

        rig.click("btnRead");

        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 99);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(rig.dialogs.messages.first().caption, QStringLiteral("Pragant"));
        QCOMPARE(rig.dialogs.messages.first().text, QStringLiteral("Read error!"));
        QVERIFY(rig.window->settingsLoaded());
        QVERIFY(!rig.find<QCheckBox>(kBackup.c_str())->isChecked());
        auto after = fieldTexts(rig);
        before.erase(kBackup);
        after.erase(kBackup);
        QVERIFY(after == before);
        // The silent key was asked three times, and nothing after it.
        const auto log = rig.sim->requestLog(6);
        const std::string asked = "PROP => " + silent + "?";
        QCOMPARE(log.back(), asked);
        QCOMPARE(std::count(log.begin(), log.end(), asked), 3);
        const std::string next = "PROP => " + settingsSchema()[100].key + "?";
        QCOMPARE(std::count(log.begin(), log.end(), next), 0);
    }

    void readAllReplyWithoutEquals_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("skipped");
        QTest::newRow("ends in !") << QByteArray("UNKNOWN PROPERTY!") << true;
        QTest::newRow("only !") << QByteArray("!") << true;
        QTest::newRow("no !") << QByteArray("NOT SUPPORTED") << false;
        QTest::newRow("! not last") << QByteArray("ERROR! 7") << false;
    }

    void readAllReplyWithoutEquals()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, skipped);
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        storeInDevice(*rig.sim, distinctValues(rig));
        const auto before = fieldTexts(rig);
        // Fields bound once: edSuperusernr before the odd reply, edTestReportCID after it.
        const std::string odd = "CALL:ROUTE1.IP";
        QVERIFY(indexOfKey(odd) > indexOfKey("CALL:SUNR1.PN"));
        QVERIFY(indexOfKey(odd) < indexOfKey("EVH:TEST.CEID"));
        rig.sim->answerKeyWith(odd, reply.toStdString());

        rig.click("btnRead");

        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);
        QCOMPARE(rig.dialogs.messages.size(), skipped ? 0 : 1);
        if (!skipped)
            QCOMPARE(rig.dialogs.messages.first().text, QStringLiteral("Read error!"));
        QCOMPARE(GetControlValue(rig.find("edSuperusernr")), storeValue(*rig.sim, "CALL:SUNR1.PN"));
        QCOMPARE(GetControlValue(rig.find("edSIM1IP1")), before.at("edSIM1IP1"));
        QCOMPARE(GetControlValue(rig.find("edTestReportCID")),
                 skipped ? storeValue(*rig.sim, "EVH:TEST.CEID") : before.at("edTestReportCID"));
        QVERIFY(rig.window->settingsLoaded());
    }

    void writeAllLeavesFieldTexts()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        rig.click("btnRead");
        QVERIFY(rig.dialogs.messages.isEmpty());
        const Plan plan = distinctValues(rig);
        const auto& schema = settingsSchema();
        for (const auto& b : schema) // in table order, so each field keeps its last key's value
            SetControlValue(rig.find(b.field.c_str()), plan.byKey.at(b.key));
        QVERIFY(rig.find("btnWrite")->isEnabled());
        QVERIFY(rig.window->reportChangesPending());

        rig.click("btnWrite");

        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);
        QVERIFY(!rig.window->reportChangesPending());
        QVERIFY(rig.find("btnSendReport")->isEnabled());
        QStringList wrong;
        for (const auto& b : schema) {
            const QByteArray shown = GetControlValue(rig.find(b.field.c_str()));
            const QByteArray stored = storeValue(*rig.sim, b.key);
            if (stored != shown)
                wrong << QString::fromStdString(b.key) + ": " + fromCp1250(stored) + " != "
                             + fromCp1250(shown);
        }
        QCOMPARE(wrong, QStringList());
        // Both keys of a field bound twice carry its one text, the edited one.
        const QByteArray cid = GetControlValue(rig.find("edCIDCode1"));
        QCOMPARE(cid, plan.byKey.at("EVH:Z1R.CEID"));
        QCOMPARE(storeValue(*rig.sim, "EVH:Z1A.CEID"), cid);
        QCOMPARE(storeValue(*rig.sim, "EVH:Z1R.CEID"), cid);
    }

    void writeAllStopsAtSilentKey()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        rig.click("btnRead");
        rig.find<QLineEdit>("edCIDCode2")->setText(QStringLiteral("123"));
        QVERIFY(!rig.find("btnSendReport")->isEnabled());
        QVERIFY(rig.find("btnWrite")->isEnabled());
        const auto& schema = settingsSchema();
        rig.sim->silenceKey(schema[9].key);
        const auto logBefore = rig.sim->requestLog(6).size();
        std::vector<std::string> expected;
        for (size_t i = 0; i < 10; ++i) {
            const std::string line =
                "PROP => " + schema[i].key + "="
                + GetControlValue(rig.find(schema[i].field.c_str())).toStdString();
            expected.insert(expected.end(), i == 9 ? 3 : 1, line);
        }

        rig.click("btnWrite");

        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(rig.dialogs.messages.first().caption, QStringLiteral("Pragant"));
        QCOMPARE(rig.dialogs.messages.first().text, QStringLiteral("Write error!"));
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 9);
        const auto log = rig.sim->requestLog(6);
        QCOMPARE(std::vector<std::string>(log.begin() + long(logBefore), log.end()), expected);
        QVERIFY(!rig.find("btnSendReport")->isEnabled());
        QVERIFY(rig.window->reportChangesPending());
        QVERIFY(rig.find("btnRead")->isEnabled());
    }

    // Prints the cost of one read-all under the device's default timing; the bound is loose.
    void measureReadAll()
    {
        SimOptions paced;
        paced.liveStatus = false;
        GuiRig rig(GuiRig::Setup{.sim = paced, .timing = ExchangeTiming{}});
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        const auto floor = rig.sim->readAllFloor();

        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        QElapsedTimer wall;
        wall.start();
        rig.click("btnRead");
        const qint64 wallMs = wall.elapsed();
        getrusage(RUSAGE_SELF, &after);

        const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
        const double user = ms(after.ru_utime) - ms(before.ru_utime);
        const double sys = ms(after.ru_stime) - ms(before.ru_stime);
        const double floorMs = double(floor.count()) / 1000.0;
        qInfo("read-all: wall %lld ms, floor %.1f ms (%.2fx), cpu %.1f ms (user %.1f, sys %.1f)",
              wallMs, floorMs, double(wallMs) / floorMs, user + sys, user, sys);
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(rig.find<QProgressBar>("ProgressBarRW")->value(), 252);
        QVERIFY(double(wallMs) < 3 * floorMs);
    }
};

QTEST_MAIN(TestReadWriteAll)
#include "tst_ReadWriteAll.moc"
