#include "ControlDesc.h"
#include "EventStream.h"
#include "SettingsPageFixture.h"
#include "StatusStream.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using Records = QList<QPair<QByteArray, QByteArray>>;
using Lines = QList<QPair<int, QByteArray>>;

class TestStreams : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void status_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<Records>("records");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("split record") << QByteArrayList{"{VSU=12", "500}"} << Records{{"VSU", "12500"}} << QByteArray();
        QTest::newRow("empty value") << QByteArrayList{"{GPN=}"} << Records{{"GPN", " "}} << QByteArray();
        QTest::newRow("two in one piece") << QByteArrayList{"{TPv=A}{HWv=B}"} << Records{{"TPv", "A"}, {"HWv", "B"}}
                                          << QByteArray();
        QTest::newRow("equals before brace") << QByteArrayList{"x=y{TPv=A}"} << Records{} << QByteArray();
        QTest::newRow("stray close") << QByteArrayList{"}{TPv=A}"} << Records{{"TPv", "A"}} << QByteArray();
        QTest::newRow("no equals") << QByteArrayList{"{TPv}{HWv=B}"} << Records{{"HWv", "B"}} << QByteArray();
        QTest::newRow("value with equals") << QByteArrayList{"{DTS=a=b}"} << Records{{"DTS", "a=b"}} << QByteArray();
        QTest::newRow("partial kept") << QByteArrayList{"{TPv=A}{HW"} << Records{{"TPv", "A"}} << QByteArray("{HW");
        QTest::newRow("no open brace kept") << QByteArrayList{"abc}"} << Records{} << QByteArray("abc}");
        QTest::newRow("byte by byte") << QByteArrayList{"{", "R", "E", "1", "=", "1", "}"} << Records{{"RE1", "1"}}
                                      << QByteArray();
    }

    void status()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(Records, records);
        QFETCH(QByteArray, rest);
        Records seen;
        StatusStream stream([&](const QByteArray& key, const QByteArray& value) { seen.append({key, value}); });
        for (const QByteArray& piece : pieces)
            stream.StatusTextReceived(piece);
        QCOMPARE(seen, records);
        QCOMPARE(stream.statusBuffer(), rest);
    }

    void statusReachesBoundFields()
    {
        auto page = makeSettingsPage();
        const ControlDescList descs = buildStatusDescs(page.get());
        StatusStream stream(StatusStream::applyTo(descs));
        auto* power = page->findChild<QLineEdit*>("edPowerValue");
        QSignalSpy changed(power, &QLineEdit::textChanged);
        stream.StatusTextReceived("{VSU=12");
        QCOMPARE(changed.count(), 0);
        stream.StatusTextReceived("500}{GPN=}{ABC=1}");
        QCOMPARE(power->text(), QString("12500"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(page->findChild<QLabel*>("lbGsmProvider1Value")->text(), QString(" "));
    }

    void events_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("SIM A") << QByteArrayList{"x] <SIM_A> (y)\r"} << Lines{{1, "<SIM_A> (y)"}} << QByteArray();
        QTest::newRow("s_2B/4B") << QByteArrayList{"12:00] <s_2B/4B> (lost)\r"} << Lines{{2, "<s_2B/4B> (lost)"}}
                                 << QByteArray();
        QTest::newRow("both lists") << QByteArrayList{"] <SIM_B> (a] <s_1A/3A> (b\r"}
                                    << Lines{{1, "<s_1A/3A> (b"}, {2, "<SIM_B> (a] <s_1A/3A> (b"}} << QByteArray();
        QTest::newRow("one per list") << QByteArrayList{"] <SIM_A> (] <s_2A/4A> (\r"} << Lines{{1, "<SIM_A> (] <s_2A/4A> ("}}
                                      << QByteArray();
        QTest::newRow("no bracket") << QByteArrayList{"x <SIM_A> (y)\r"} << Lines{} << QByteArray();
        QTest::newRow("no CR yet") << QByteArrayList{"x] <SIM_A> (y)\n"} << Lines{} << QByteArray("x] <SIM_A> (y)\n");
        QTest::newRow("split, LF leads next") << QByteArrayList{"a] <SIM", "_A> (1)\r\nb] <SIM_B> (2)\r\n"}
                                              << Lines{{1, "<SIM_A> (1)"}, {2, "<SIM_B> (2)"}} << QByteArray("\n");
    }

    void events()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(Lines, lines);
        QFETCH(QByteArray, rest);
        Lines seen;
        EventStream stream([&](int list, const QByteArray& text) { seen.append({list, text}); });
        for (const QByteArray& piece : pieces)
            stream.EventTextReceived(piece);
        QCOMPARE(seen, lines);
        QCOMPARE(stream.eventBuffer(), rest);
    }

    void buffersAreCapped()
    {
        const QByteArray junk(StatusStream::bufferCap + 1000, 'x');
        Records seen;
        StatusStream status([&](const QByteArray& key, const QByteArray& value) { seen.append({key, value}); });
        status.StatusTextReceived(junk);
        QCOMPARE(status.statusBuffer().size(), StatusStream::bufferCap);
        status.StatusTextReceived("{TPv=A}");
        QCOMPARE(seen, (Records{{"TPv", "A"}}));
        QVERIFY(status.statusBuffer().size() < 100);

        Lines lines;
        EventStream events([&](int list, const QByteArray& text) { lines.append({list, text}); });
        events.EventTextReceived(junk);
        QCOMPARE(events.eventBuffer().size(), EventStream::bufferCap);
        events.EventTextReceived("] <SIM_B> (z)\r");
        QCOMPARE(lines, (Lines{{2, "<SIM_B> (z)"}}));
        QVERIFY(events.eventBuffer().isEmpty());
    }
};

QTEST_MAIN(TestStreams)
#include "tst_Streams.moc"
