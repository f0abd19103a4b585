#include "PropertyExchange.h"
#include "ScriptedDevice.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTimer>
#include <QTest>

using Reply = ScriptedDevice::Reply;

namespace {
constexpr int timeout = 100;
const ExchangeTiming fast{timeout, 3, 4, 5, 20}; // password tries last 100 ms

// Counts the timer events of the whole application while it lives.
class TimerEventCounter : public QObject
{
public:
    TimerEventCounter() { qApp->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ++count;
        return false;
    }
};
} // namespace

class TestPropertyExchange : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_device = std::make_unique<ScriptedDevice>();
        m_exchange = std::make_unique<PropertyExchange>(*m_device, fast);
        m_device->attach(m_exchange.get());
    }

    void query_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<int>("answeredTry"); // 1-based try that gets the pieces; 0 = every try
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<int>("sends");
        QTest::newRow("OK split after CR") << QByteArrayList{"CALL:ROUTE1.IP=1", ".2.3.4\r", "\nOK"} << 1
                                           << QByteArray("CALL:ROUTE1.IP=1.2.3.4\r\nOK") << 1;
        QTest::newRow("OK split in OK") << QByteArrayList{"K=1\r\nO", "K"} << 1 << QByteArray("K=1\r\nOK") << 1;
        QTest::newRow("text after OK") << QByteArrayList{"K=1\r\nOK\r\nmore"} << 1 << QByteArray("K=1\r\nOK\r\nmore") << 1;
        QTest::newRow("bare OK never completes") << QByteArrayList{"OK"} << 0 << QByteArray("0") << 3;
        // Line ends ahead of any text are taken for an earlier reply's tail.
        QTest::newRow("nothing before OK") << QByteArrayList{"\r\nOK"} << 0 << QByteArray("0") << 3;
        QTest::newRow("answer on second try") << QByteArrayList{"K=2\r\nOK\r\n"} << 2 << QByteArray("K=2\r\nOK\r\n") << 2;
        QTest::newRow("answer on third try") << QByteArrayList{"K=3\r\nOK"} << 3 << QByteArray("K=3\r\nOK") << 3;
    }

    void query()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(int, answeredTry);
        QFETCH(QByteArray, result);
        QFETCH(int, sends);
        m_device->setScript([&](const QByteArray&, int count) {
            return answeredTry == 0 || count == answeredTry ? Reply{pieces} : Reply{};
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(m_exchange->QueryProperty("CALL:ROUTE1.IP"), result);
        QCOMPARE(m_device->sent(), QByteArrayList(sends, "PROP => CALL:ROUTE1.IP?\r\n"));
        if (result == "0")
            QVERIFY(clock.elapsed() >= 3 * timeout);
        else
            QVERIFY(clock.elapsed() < (answeredTry) * timeout);
        QVERIFY(!m_exchange->isOkSeen());
    }

    void set_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::newRow("answered") << true;
        QTest::newRow("silent") << false;
    }

    void set()
    {
        QFETCH(bool, answers);
        m_device->setScript([&](const QByteArray&, int) { return answers ? Reply{{"EVH:X=\r", "\nOK\r\n"}} : Reply{}; });
        QElapsedTimer clock;
        clock.start();
        const QByteArray result = m_exchange->SetProperty("EVH:X", "");
        QCOMPARE(m_device->sent(), QByteArrayList{"PROP => EVH:X=\r\n"});
        QCOMPARE(result, answers ? QByteArray("EVH:X=\r\nOK\r\n") : QByteArray());
        if (!answers)
            QVERIFY(clock.elapsed() >= timeout);
        QVERIFY(m_exchange->replyBuffer().isEmpty());
        QVERIFY(!m_exchange->isOkSeen());
    }

    void lateReplyNeverCompletesTheNextExchange()
    {
        // The reply to A comes after A timed out, while nothing waits; B is never answered.
        m_device->setScript([](const QByteArray& line, int) {
            return line.contains("A=") ? Reply{{"A=1\r\nOK\r\n"}, timeout + 30} : Reply{};
        });
        QCOMPARE(m_exchange->SetProperty("A", "1"), QByteArray());
        QTest::qWait(timeout);
        QVERIFY(m_exchange->isOkSeen());
        QCOMPARE(m_exchange->SetProperty("B", "2"), QByteArray());
        QCOMPARE(m_exchange->QueryProperty("B"), QByteArray("0"));
    }

    void lateReplyThenAnsweredQuery()
    {
        m_device->setScript([](const QByteArray& line, int) {
            if (line.contains("A?"))
                return Reply{{"A=1\r\nOK"}, timeout * 3 + 20}; // after all three tries
            return Reply{{"B=2\r\nOK"}, 10};
        });
        QCOMPARE(m_exchange->QueryProperty("A"), QByteArray("0"));
        QTest::qWait(timeout);
        QCOMPARE(m_exchange->QueryProperty("B"), QByteArray("B=2\r\nOK"));
    }

    void leftoverLineEndIsDropped()
    {
        // "...\r\nOK" completes the query; its "\r\n" comes in a later frame.
        m_device->setScript([](const QByteArray& line, int) {
            if (line.contains("A?"))
                return Reply{{"A=1\r\nOK"}};
            return Reply{{"\r\n", "B=2\r\nOK\r\n"}};
        });
        QCOMPARE(m_exchange->QueryProperty("A"), QByteArray("A=1\r\nOK"));
        QCOMPARE(m_exchange->QueryProperty("B"), QByteArray("B=2\r\nOK\r\n"));
    }

    void answeredExchangeLeavesNoTimerBehind()
    {
        // Both waits run for a while, so each has started its time-out before its answer.
        m_device->setScript([](const QByteArray&, int) { return Reply{{"K=1\r", "\nOK"}, 20}; });
        TimerEventCounter timers;
        QCOMPARE(m_exchange->QueryProperty("K"), QByteArray("K=1\r\nOK"));
        QCOMPARE(m_exchange->SetProperty("K", "2"), QByteArray("K=1\r\nOK"));
        timers.count = 0;
        QTest::qWait(timeout + 50); // past the time-out the waits had
        QCOMPARE(timers.count, 0);
    }

    void bufferIsCapped()
    {
        m_exchange->CommandTextReceived(QByteArray(PropertyExchange::bufferCap, 'x'));
        m_exchange->CommandTextReceived("tail");
        QCOMPARE(m_exchange->replyBuffer().size(), PropertyExchange::bufferCap);
        QVERIFY(m_exchange->replyBuffer().endsWith("xtail"));
    }

    void passwordCommand_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArrayList>("answer");
        QTest::addColumn<int>("answeredTry"); // 0 = never
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("sends");
        const QByteArray login = "set REM:UPW P,5827\n";
        QTest::newRow("login answered at once") << QByteArray("5827") << QByteArray("0") << login
                                                << QByteArrayList{"ERROR"} << 1 << 1 << 1;
        QTest::newRow("login answered in third try") << QByteArray("5827") << QByteArray("0") << login
                                                     << QByteArrayList{"OK\r\n"} << 3 << 1 << 3;
        QTest::newRow("login never answered") << QByteArray("5827") << QByteArray("0") << login << QByteArrayList{}
                                              << 0 << 0 << 4;
        QTest::newRow("leftover line ends are no answer") << QByteArray("5827") << QByteArray("0") << login
                                                          << QByteArrayList{"\r", "\n"} << 1 << 0 << 4;
        QTest::newRow("change") << QByteArray("1234") << QByteArray("9876") << QByteArray("set REM:UPW C,1234,9876\n")
                                << QByteArrayList{"x"} << 1 << 1 << 1;
    }

    void passwordCommand()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QByteArray, line);
        QFETCH(QByteArrayList, answer);
        QFETCH(int, answeredTry);
        QFETCH(int, result);
        QFETCH(int, sends);
        m_device->setScript([&](const QByteArray&, int count) {
            return count == answeredTry ? Reply{answer} : Reply{};
        });
        QCOMPARE(m_exchange->PasswordCommand(first, second), result);
        QCOMPARE(m_device->sent(), QByteArrayList(sends, line));
        QVERIFY(m_exchange->replyBuffer().isEmpty());
        QVERIFY(!m_exchange->isReplyReceived());
    }

private:
    std::unique_ptr<ScriptedDevice> m_device;
    std::unique_ptr<PropertyExchange> m_exchange;
};

QTEST_MAIN(TestPropertyExchange)
#include "tst_PropertyExchange.moc"
