#include "ControlDesc.h"
#include "FieldCodec.h"
#include "PropertyExchange.h"
#include "ReadWriteRun.h"
#include "ScriptedDevice.h"
#include "SettingsPageFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>

#include <map>

namespace {
const ExchangeTiming fast{30, 3, 4, 5, 20};

// The value the device holds for a key: distinct per key, of the kind its field takes.
QByteArray deviceValue(const ControlDesc& desc, int position)
{
    const QString name = desc.control->objectName();
    if (qobject_cast<QComboBox*>(desc.control))
        return name.contains("RemType") ? "PALLAS_RX" : "NC";
    if (qobject_cast<QCheckBox*>(desc.control))
        return position % 2 ? "1" : "0";
    return "v" + QByteArray::number(position);
}

QHash<QByteArray, QWidget*> noFields;
} // namespace

class TestReadWriteRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_page = makeSettingsPage();
        m_descs = buildSettingsDescs(m_page.get());
        m_device = std::make_unique<ScriptedDevice>();
        m_exchange = std::make_unique<PropertyExchange>(*m_device, fast);
        m_device->attach(m_exchange.get());
        m_run = std::make_unique<ReadWriteRun>(*m_exchange, m_descs);
        m_values.clear();
        for (int i = 0; i < m_descs.count(); ++i)
            m_values.insert(m_descs.at(i).key, deviceValue(m_descs.at(i), i));
        m_progress.clear();
    }

    void readAppliesAllReplies()
    {
        m_device->setScript(ScriptedDevice::propertyDevice(&m_values));
        const ReadResult result = m_run->readAll(progress());
        QVERIFY(result.ok());
        QCOMPARE(m_run->readReplies().size(), 252);
        QCOMPARE(m_progress.size(), 253);
        QCOMPARE(m_progress.last(), 252);
        // A field bound several times ends with its last key's value.
        std::map<QWidget*, QByteArray> expected;
        for (int i = 0; i < m_descs.count(); ++i)
            expected[m_descs.at(i).control] = m_values.value(m_descs.at(i).key);
        for (const auto& [field, value] : expected)
            QCOMPARE(GetControlValue(field), value);
        QCOMPARE(GetControlValue(fieldNamed("edCIDCode1")), m_values.value("EVH:Z1R.CEID"));
    }

    void keyThatNeverAnswers()
    {
        const QByteArrayList before = allValues();
        m_device->setScript(ScriptedDevice::propertyDevice(&m_values, {m_descs.at(99).key}));
        const ReadResult result = m_run->readAll(progress());
        QCOMPARE(result.failure, ReadResult::NoReply);
        QCOMPARE(result.position, 99);
        QCOMPARE(m_progress.last(), 99);
        QCOMPARE(m_run->readReplies().size(), 99);
        QCOMPARE(m_device->sent().count("PROP => " + m_descs.at(99).key + "?\r\n"), 3);
        QCOMPARE(allValues(), before);
    }

    void applyPhase_data()
    {
        QTest::addColumn<QByteArray>("reply"); // the reply to position 6 (1-based 7)
        QTest::addColumn<int>("failedAt");     // -1 = the run succeeds
        QTest::addColumn<QByteArray>("ip1");   // edSIM1IP1 (position 19) afterwards
        QTest::newRow("refusal with !") << QByteArray("ERR!\r\nOK\r\n") << -1 << QByteArray("v18");
        QTest::newRow("no = and no !") << QByteArray("ERR\r\nOK\r\n") << 6 << QByteArray("");
        QTest::newRow("! after OK") << QByteArray("ERR\r\nOK!\r\n") << 6 << QByteArray("");
        QTest::newRow("= only after OK") << QByteArray("E!\r\nOK\r\nA=B") << -1 << QByteArray("v18");
        QTest::newRow("unknown key ignored") << QByteArray("NOPE=1\r\nOK") << -1 << QByteArray("v18");
        QTest::newRow("text without = before OK") << QByteArray("x\r\nOK") << 6 << QByteArray("");
    }

    void applyPhase()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, failedAt);
        QFETCH(QByteArray, ip1);
        m_device->setScript(ScriptedDevice::propertyDevice(&m_values, {}, {{m_descs.at(6).key, reply}}));
        const ReadResult result = m_run->readAll(progress());
        QCOMPARE(result.position, failedAt);
        QCOMPARE(result.failure, failedAt < 0 ? ReadResult::None : ReadResult::BadReply);
        QCOMPARE(m_progress.last(), 252);
        // Earlier replies are applied either way.
        QCOMPARE(GetControlValue(fieldNamed("edSuperusernr")), QByteArray("v1"));
        QCOMPARE(GetControlValue(fieldNamed("edSIM1IP1")), ip1);
    }

    void valueWithEquals()
    {
        m_device->setScript(ScriptedDevice::propertyDevice(
            &m_values, {}, {{"CALL:ROUTE3.PORT", "CALL:ROUTE3.PORT=90=00\r\nOK\r\n"}, {"CALL:ROUTE1.NAM", "CALL:ROUTE1.NAM=\r\nOK"}}));
        QVERIFY(m_run->readAll().ok());
        QCOMPARE(GetControlValue(fieldNamed("edSIM1Port2")), QByteArray("90=00"));
        QCOMPARE(GetControlValue(fieldNamed("edSIM1Comment1")), QByteArray(""));
    }

    void writeSendsEveryKey()
    {
        QHash<QByteArray, QByteArray> written;
        static_cast<QLineEdit*>(fieldNamed("edCIDCode1"))->setText("131");
        m_device->setScript(ScriptedDevice::propertyDevice(&written));
        const WriteResult result = m_run->writeAll(progress());
        QVERIFY(result.ok());
        QCOMPARE(m_device->sent().size(), 252);
        QCOMPARE(m_device->sent().first(), QByteArray("PROP => CALL:BACKUP.EN=0\r\n"));
        QCOMPARE(written.value("EVH:Z1A.CEID"), QByteArray("131"));
        QCOMPARE(written.value("EVH:Z1R.CEID"), QByteArray("131"));
        QCOMPARE(written.value("DIN:Z1.POL"), QByteArray("NO"));
        QCOMPARE(written.value("MSTST:CFG.EN"), QByteArray("1"));
        QCOMPARE(m_progress.last(), 252);
    }

    void writeStopsAtSilentKey()
    {
        QHash<QByteArray, QByteArray> written;
        m_device->setScript(ScriptedDevice::propertyDevice(&written, {m_descs.at(9).key}));
        const WriteResult result = m_run->writeAll(progress());
        QCOMPARE(result.failure, WriteResult::NoReply);
        QCOMPARE(result.position, 9);
        QCOMPARE(m_progress.last(), 9);
        QCOMPARE(m_device->sent().size(), 9 + 3);
        QVERIFY(m_device->sent().last().startsWith("PROP => " + m_descs.at(9).key + "="));
        QVERIFY(!written.contains(m_descs.at(10).key));
    }

    void writeCountsAnyCompleteReply()
    {
        m_device->setScript([](const QByteArray&, int) { return ScriptedDevice::Reply{{"ERROR\r\nOK"}}; });
        QVERIFY(m_run->writeAll(progress()).ok());
        QCOMPARE(m_device->sent().size(), 252);
    }

private:
    ReadWriteRun::SetProgress progress()
    {
        return [this](int value) { m_progress.append(value); };
    }
    QWidget* fieldNamed(const char* name) const { return m_page->findChild<QWidget*>(name); }
    QByteArrayList allValues() const
    {
        QByteArrayList values;
        for (int i = 0; i < m_descs.count(); ++i)
            values.append(GetControlValue(m_descs.at(i).control));
        return values;
    }

    std::unique_ptr<QWidget> m_page;
    ControlDescList m_descs;
    std::unique_ptr<ScriptedDevice> m_device;
    std::unique_ptr<PropertyExchange> m_exchange;
    std::unique_ptr<ReadWriteRun> m_run;
    QHash<QByteArray, QByteArray> m_values;
    QList<int> m_progress;
};

QTEST_MAIN(TestReadWriteRun)
#include "tst_ReadWriteRun.moc"
