#include "ControlDesc.h"
#include "SettingsPageFixture.h"
#include "SettingsSchema.h"

#include <QSet>
#include <QStandardPaths>
#include <QTest>

class TestControlDesc : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_page = makeSettingsPage();
        m_settings = buildSettingsDescs(m_page.get());
        m_status = buildStatusDescs(m_page.get());
    }

    void countsAndEveryFieldBound()
    {
        QCOMPARE(m_settings.count(), 252);
        QCOMPARE(m_status.count(), 36);
        for (const ControlDescList* list : {&m_settings, &m_status}) {
            QSet<QWidget*> fields;
            for (int i = 0; i < list->count(); ++i) {
                QVERIFY2(list->at(i).control, list->at(i).key.constData());
                fields.insert(list->at(i).control);
            }
            QCOMPARE(fields.size(), list == &m_settings ? 120 : 36);
        }
    }

    void keysUniqueAcrossLists()
    {
        QSet<QByteArray> keys;
        for (const ControlDescList* list : {&m_settings, &m_status})
            for (int i = 0; i < list->count(); ++i)
                keys.insert(list->at(i).key);
        QCOMPARE(keys.size(), 252 + 36);
    }

    void lookup_data()
    {
        QTest::addColumn<bool>("status");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("field"); // "" = not found
        QTest::newRow("route2 ip") << false << QByteArray("CALL:ROUTE2.IP") << "edSIM1IP3";
        QTest::newRow("route3 ip") << false << QByteArray("CALL:ROUTE3.IP") << "edSIM1IP2";
        QTest::newRow("route6 protocol") << false << QByteArray("CALL:ROUTE6.PI") << "cbIn3BRemType";
        QTest::newRow("zone3 N4") << false << QByteArray("EVH:Z3A.N4") << "cbIN3MS1";
        QTest::newRow("zone3 N2") << false << QByteArray("EVH:Z3A.N2") << "cbIN3MS2";
        QTest::newRow("test N7") << false << QByteArray("EVH:TEST.N7") << "cbTestReportMS2";
        QTest::newRow("position 1") << false << QByteArray("CALL:BACKUP.EN") << "cbUseBackupServers";
        QTest::newRow("position 252") << false << QByteArray("EVH:TEST.N8") << "cbTestReportMS2";
        QTest::newRow("lower case") << false << QByteArray("call:route1.ip") << "";
        QTest::newRow("trailing blank") << false << QByteArray("CALL:ROUTE1.IP ") << "";
        QTest::newRow("status key in settings") << false << QByteArray("VSU") << "";
        QTest::newRow("status VSU") << true << QByteArray("VSU") << "edPowerValue";
        QTest::newRow("status T4B") << true << QByteArray("T4B") << "edRS2_4";
        QTest::newRow("settings key in status") << true << QByteArray("CALL:ROUTE1.IP") << "";
    }

    void lookup()
    {
        QFETCH(bool, status);
        QFETCH(QByteArray, key);
        QFETCH(QString, field);
        const ControlDesc* desc = (status ? m_status : m_settings).Find(key);
        if (field.isEmpty()) {
            QVERIFY(!desc);
        } else {
            QVERIFY(desc);
            QCOMPARE(desc->key, key);
            QCOMPARE(desc->control->objectName(), field);
        }
    }

    void position19IsRoute1Ip() { QCOMPARE(m_settings.at(18).key, QByteArray("CALL:ROUTE1.IP")); }

    void missingFieldStaysUnbound()
    {
        QWidget empty;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No field .*"));
        QTest::failOnWarning(QRegularExpression("^(?!No field).*"));
        const ControlDescList list = buildStatusDescs(&empty);
        QCOMPARE(list.count(), 36);
        QVERIFY(!list.Find("VSU")->control);
    }

private:
    std::unique_ptr<QWidget> m_page;
    ControlDescList m_settings;
    ControlDescList m_status;
};

QTEST_MAIN(TestControlDesc)
#include "tst_ControlDesc.moc"
