// The status page as the device draws it: inputs and receivers in text and colour, the GSM
// signal bars, the supply voltage, and the reset on detach.

#include "FieldCodec.h"
#include "FieldColour.h"
#include "GuiRig.h"
#include "fixtures/ViewsSupport.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>

namespace {

struct Look {
    QString text;
    QColor panel;
    QColor font;
    bool operator==(const Look&) const = default;
};

} // namespace

using ColourFn = QColor (*)();
Q_DECLARE_METATYPE(ColourFn)
Q_DECLARE_METATYPE(Look)

namespace QTest {
template<>
char* toString(const Look& look)
{
    return qstrdup(QStringLiteral("%1 on %2 in %3")
                       .arg(look.text, look.panel.name(), look.font.name())
                       .toUtf8()
                       .constData());
}
} // namespace QTest

class TestStatusView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void inputState_data();
    void inputState();
    void inputValueNotSent_data();
    void inputValueNotSent();
    void receiverState_data();
    void receiverState();
    void receiverValueSkipped_data();
    void receiverValueSkipped();
    void signalBar_data();
    void signalBar();
    void supplyVolts_data();
    void supplyVolts();
    void supplyNotANumberKeepsVolts();
    void eventLinesReachTheirLists();
    void detachResetsButKeepsVolts();

private:
    Look input(int n) const;
    Look receiver(const QString& name) const; // "1_1" .. "2_4"
    QList<Look> allInputs() const;
    QList<Look> allReceivers() const;

    std::unique_ptr<GuiRig> m_rig;
};

namespace {
const char* const kReceiverNames[] = {"1_1", "1_2", "1_3", "1_4", "2_1", "2_2", "2_3", "2_4"};
}

void TestStatusView::initTestCase()
{
    QVERIFY(views::clearLanguageStore());
    views::storeLanguage(QStringLiteral("en"));
}

void TestStatusView::init()
{
    QLocale::setDefault(QLocale::c());
    m_rig = std::make_unique<GuiRig>();
    QVERIFY(m_rig->start());
    QVERIFY(m_rig->waitAttached(true));
    // The device's first full status has arrived.
    QTRY_COMPARE(m_rig->find<QLabel>("lbVerTypeValue")->text(), QStringLiteral("BISORA-2G"));
    QTRY_COMPARE(m_rig->find<QLabel>("lbRS1_1")->text(), QStringLiteral("Online"));
}

void TestStatusView::cleanup()
{
    m_rig.reset();
    QLocale::setDefault(QLocale::c());
}

Look TestStatusView::input(int n) const
{
    const QWidget* panel = m_rig->find(qPrintable(QStringLiteral("panelIN%1").arg(n)));
    const auto* label = m_rig->find<QLabel>(qPrintable(QStringLiteral("lbIN%1Status").arg(n)));
    return {label->text(), panelColour(panel), panelFontColour(panel)};
}

Look TestStatusView::receiver(const QString& name) const
{
    const QWidget* panel = m_rig->find(qPrintable(QStringLiteral("panelRS") + name));
    const auto* label = m_rig->find<QLabel>(qPrintable(QStringLiteral("lbRS") + name));
    return {label->text(), panelColour(panel), panelFontColour(panel)};
}

QList<Look> TestStatusView::allInputs() const
{
    QList<Look> looks;
    for (int n = 1; n <= 6; ++n)
        looks.append(input(n));
    return looks;
}

QList<Look> TestStatusView::allReceivers() const
{
    QList<Look> looks;
    for (const char* name : kReceiverNames)
        looks.append(receiver(QString::fromLatin1(name)));
    return looks;
}

void TestStatusView::inputState_data()
{
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ColourFn>("panel");
    QTest::addColumn<ColourFn>("font");
    QTest::newRow("IN1 alarm") << 1 << 0 << "Alarm" << ColourFn(clRed) << ColourFn(clWhite);
    QTest::newRow("IN2 alarm then idle") << 2 << 1 << "Idle" << ColourFn(clGreen) << ColourFn(clWhite);
    QTest::newRow("IN3 tamper 2") << 3 << 2 << "Tamper (short)" << ColourFn(clYellow) << ColourFn(clBlack);
    QTest::newRow("IN4 tamper 3") << 4 << 3 << "Tamper (short)" << ColourFn(clYellow) << ColourFn(clBlack);
    QTest::newRow("IN6 alarm") << 6 << 0 << "Alarm" << ColourFn(clRed) << ColourFn(clWhite);
}

void TestStatusView::inputState()
{
    QFETCH(int, input);
    QFETCH(int, state);
    QFETCH(QString, text);
    QFETCH(ColourFn, panel);
    QFETCH(ColourFn, font);

    if (state == 1) { // idle is the device's start state: go through alarm to see a change
        QVERIFY(m_rig->sim->setInput(input, 0));
        QTRY_COMPARE(this->input(input).panel, clRed());
    }
    QList<Look> expected = allInputs();
    expected[input - 1] = Look{text, panel(), font()};

    QVERIFY(m_rig->sim->setInput(input, state));
    QTRY_COMPARE(this->input(input), expected[input - 1]);
    QCOMPARE(allInputs(), expected); // the other inputs keep their look
}

void TestStatusView::inputValueNotSent_data()
{
    // Values the device does not send: anything else shows "-", nothing leaves it alone.
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<bool>("neutral");
    QTest::newRow("7") << QByteArray("7") << true;
    QTest::newRow("u") << QByteArray("u") << true;
    QTest::newRow("00") << QByteArray("00") << true;
    QTest::newRow("blank") << QByteArray(" ") << true;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestStatusView::inputValueNotSent()
{
    QFETCH(QByteArray, raw);
    QFETCH(bool, neutral);
    QVERIFY(m_rig->sim->setInput(3, 0));
    QTRY_COMPARE(input(3).text, QStringLiteral("Alarm"));
    QList<Look> expected = allInputs();
    if (neutral)
        expected[2] = Look{QStringLiteral("-"), clBtnFace(), clWindowText()};

    // The path a status record takes into the hidden field.
    SetControlValue(m_rig->find("edIN3"), raw);
    QCOMPARE(allInputs(), expected);
}

void TestStatusView::receiverState_data()
{
    QTest::addColumn<char>("sim");
    QTest::addColumn<int>("route");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ColourFn>("panel");
    QTest::addColumn<ColourFn>("font");
    QTest::newRow("1A not configured") << 'A' << 1 << 0 << "1_1" << "Not\nconfigured"
                                       << ColourFn(clBtnShadow) << ColourFn(clWindowText);
    QTest::newRow("3A online") << 'A' << 3 << 1 << "1_3" << "Online" << ColourFn(clGreen)
                               << ColourFn(clWhite);
    QTest::newRow("1B ACK error") << 'B' << 1 << 2 << "2_1" << "Online\n(ACK error)"
                                  << ColourFn(clYellow) << ColourFn(clWindowText);
    QTest::newRow("2B offline") << 'B' << 2 << 3 << "2_2" << "Offline" << ColourFn(clRed)
                                << ColourFn(clWhite);
    QTest::newRow("4A no response") << 'A' << 4 << 4 << "1_4" << "Offline\nNo response"
                                    << ColourFn(clRed) << ColourFn(clWhite);
}

void TestStatusView::receiverState()
{
    QFETCH(char, sim);
    QFETCH(int, route);
    QFETCH(int, state);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(ColourFn, panel);
    QFETCH(ColourFn, font);

    QList<Look> expected = allReceivers();
    const int index = (name[0] == '1' ? 0 : 4) + route - 1;
    expected[index] = Look{text, panel(), font()};
    QVERIFY(m_rig->sim->setReceiver(sim, route, state));
    QTRY_COMPARE(receiver(name), expected[index]);
    QCOMPARE(allReceivers(), expected);
}

void TestStatusView::receiverValueSkipped_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("9") << QByteArray("9");
    QTest::newRow("5") << QByteArray("5");
    QTest::newRow("-1") << QByteArray("-1");
    QTest::newRow("blank") << QByteArray(" ");
    QTest::newRow("empty") << QByteArray();
}

void TestStatusView::receiverValueSkipped()
{
    QFETCH(QByteArray, raw);
    QVERIFY(m_rig->sim->setReceiver('A', 2, 3));
    QTRY_COMPARE(receiver("1_2").text, QStringLiteral("Offline"));
    const QList<Look> before = allReceivers();
    SetControlValue(m_rig->find("edRS1_2"), raw);
    QCOMPARE(allReceivers(), before);
}

void TestStatusView::signalBar_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("bar");
    QTest::newRow("17") << QByteArray("17") << "17" << 17;
    QTest::newRow("0") << QByteArray("0") << "0" << 0;
    QTest::newRow("31 full") << QByteArray("31") << "31" << 31;
    QTest::newRow("40 full") << QByteArray("40") << "40" << 31;
    QTest::newRow("not a number keeps the bar") << QByteArray("x9") << "x9" << 5;
    QTest::newRow("empty changes nothing") << QByteArray() << "5" << 5;
}

void TestStatusView::signalBar()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, shown);
    QFETCH(int, bar);
    for (char sim : {'A', 'B'}) {
        const QByteArray n = sim == 'A' ? "1" : "2";
        auto* label = m_rig->find<QLabel>(("lbGsmSignal" + n + "Value").constData());
        auto* gauge = m_rig->find<QProgressBar>(("pbGsmSignal" + n).constData());
        QCOMPARE(gauge->minimum(), 0);
        QCOMPARE(gauge->maximum(), 31);
        QVERIFY(m_rig->sim->setSignal(sim, 5));
        QTRY_COMPARE(gauge->value(), 5);

        const int level = raw.toInt();
        if (!raw.isEmpty() && QByteArray::number(level) == raw && level <= 31)
            QVERIFY(m_rig->sim->setSignal(sim, level)); // what the device can send
        else
            SetControlValue(m_rig->find(("edTempGsmSignal" + n).constData()), raw);
        QTRY_COMPARE(label->text(), shown);
        QCOMPARE(gauge->value(), bar);
    }
}

void TestStatusView::supplyVolts_data()
{
    QTest::addColumn<int>("millivolts");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("shown");
    QTest::newRow("12150") << 12150 << "C" << "12.15";
    QTest::newRow("12000") << 12000 << "C" << "12";
    QTest::newRow("9875") << 9875 << "C" << "9.875";
    QTest::newRow("10100") << 10100 << "C" << "10.1";
    QTest::newRow("0") << 0 << "C" << "0";
    QTest::newRow("decimal comma") << 12150 << "hu_HU" << "12,15";
}

void TestStatusView::supplyVolts()
{
    QFETCH(int, millivolts);
    QFETCH(QString, locale);
    QFETCH(QString, shown);
    QLocale::setDefault(QLocale(locale));
    QVERIFY(m_rig->sim->setSupply(millivolts));
    QTRY_COMPARE(m_rig->find<QLabel>("lbPowerValue")->text(), shown);
    QCOMPARE(m_rig->find<QLabel>("lbpowerVolt")->text(), QStringLiteral("V"));
}

void TestStatusView::supplyNotANumberKeepsVolts()
{
    QVERIFY(m_rig->sim->setSupply(12150));
    auto* volts = m_rig->find<QLabel>("lbPowerValue");
    QTRY_COMPARE(volts->text(), QStringLiteral("12.15"));
    for (const QByteArray& raw : {QByteArray("abc"), QByteArray(" "), QByteArray("12,5V")}) {
        SetControlValue(m_rig->find("edPowerValue"), raw);
        QCOMPARE(volts->text(), QStringLiteral("12.15"));
    }
}

void TestStatusView::eventLinesReachTheirLists()
{
    auto* listA = m_rig->find<QPlainTextEdit>("memoEventList1");
    auto* listB = m_rig->find<QPlainTextEdit>("memoEventList2");
    QVERIFY(m_rig->sim->sendEvent("SIM_A", "only on A"));
    QVERIFY(m_rig->sim->sendEvent("SIM_B", "only on B"));
    QTRY_VERIFY(listA->toPlainText().contains(QStringLiteral("only on A")));
    QTRY_VERIFY(listB->toPlainText().contains(QStringLiteral("only on B")));
    QVERIFY(!listA->toPlainText().contains(QStringLiteral("only on B")));
    QVERIFY(!listB->toPlainText().contains(QStringLiteral("only on A")));
}

void TestStatusView::detachResetsButKeepsVolts()
{
    QVERIFY(m_rig->sim->setInput(1, 0));
    QVERIFY(m_rig->sim->setReceiver('B', 3, 1));
    QVERIFY(m_rig->sim->setSupply(12150));
    QVERIFY(m_rig->sim->setSignal('A', 25));
    QTRY_COMPARE(m_rig->find<QLabel>("lbPowerValue")->text(), QStringLiteral("12.15"));
    QTRY_COMPARE(receiver("2_3").text, QStringLiteral("Online"));
    QTRY_COMPARE(m_rig->find<QProgressBar>("pbGsmSignal1")->value(), 25);

    m_rig->sim->unplug();
    QVERIFY(m_rig->waitAttached(false));
    const Look neutral{QStringLiteral("-"), clBtnFace(), clWindowText()};
    QCOMPARE(allInputs(), QList<Look>(6, neutral));
    const Look notConfigured{QStringLiteral("Not\nconfigured"), clBtnShadow(), clWindowText()};
    QCOMPARE(allReceivers(), QList<Look>(8, notConfigured));
    QCOMPARE(m_rig->find<QProgressBar>("pbGsmSignal1")->value(), 0);
    QCOMPARE(m_rig->find<QLabel>("lbGsmSignal1Value")->text(), QStringLiteral("-"));
    QCOMPARE(m_rig->find<QLabel>("lbVerTypeValue")->text(), QStringLiteral("-"));
    QVERIFY(m_rig->find<QPlainTextEdit>("memoEventList1")->toPlainText().isEmpty());
    QCOMPARE(m_rig->find<QLabel>("lbPowerValue")->text(), QStringLiteral("12.15"));
}

PRAGANT_VIEWS_TEST_MAIN(TestStatusView)
#include "tst_StatusView.moc"
