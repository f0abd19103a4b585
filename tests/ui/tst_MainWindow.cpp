// The main window as a user meets it: start-up, attach and login, the Write gating, detach,
// close, the hand-over of received text, the frame rules and the device commands.

#include "FieldCodec.h"
#include "GuiRig.h"
#include "Pwdformc.h"
#include "SimDeframer.h"
#include "SimHidPlatform.h"
#include "SimReportStream.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <mutex>

namespace {

// Passes everything through to the simulated device and keeps the text the host wrote on the
// command slot, byte for byte (the device's own log drops line ends).
class TapPlatform : public HidPlatform
{
public:
    explicit TapPlatform(std::shared_ptr<HidPlatform> inner)
        : m_inner(std::move(inner))
        , m_deframer({SimDevice::kCommandSlot},
                     [this](std::uint16_t, std::string_view payload) { m_text.append(payload); })
    {
    }

    std::vector<HidInterfaceInfo> enumerate() override { return m_inner->enumerate(); }
    std::unique_ptr<HidHandle> openRead(const std::string& path) override
    {
        return m_inner->openRead(path);
    }
    std::unique_ptr<HidHandle> openWrite(const std::string& path) override
    {
        auto handle = m_inner->openWrite(path);
        if (!handle)
            return nullptr;
        return std::make_unique<Handle>(std::move(handle), *this);
    }

    std::string commandText() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    class Handle : public HidHandle
    {
    public:
        Handle(std::unique_ptr<HidHandle> inner, TapPlatform& tap)
            : m_inner(std::move(inner)), m_tap(tap)
        {
        }
        int readReport(Report& report) override { return m_inner->readReport(report); }
        void cancelRead() override { m_inner->cancelRead(); }
        bool writeReport(const Report& report) override
        {
            m_tap.written(report);
            return m_inner->writeReport(report);
        }

    private:
        std::unique_ptr<HidHandle> m_inner;
        TapPlatform& m_tap;
    };

    void written(const Report& report)
    {
        std::lock_guard lock(m_mutex);
        if (const auto payload = SimReportStream::payloadOf(report))
            m_deframer.feed(*payload);
    }

    std::shared_ptr<HidPlatform> m_inner;
    mutable std::mutex m_mutex;
    SimDeframer m_deframer;
    std::string m_text;
};

// A rig whose window talks to the device through the tap.
struct TappedRig {
    explicit TappedRig(GuiRig::Setup setup = {}) : rig(setup)
    {
        rig.window.reset();
        tap = std::make_shared<TapPlatform>(makeSimPlatform(rig.sim));
        rig.window = std::make_unique<TFormMain>(TFormMain::Options{tap, &rig.dialogs, setup.timing});
    }
    GuiRig rig;
    std::shared_ptr<TapPlatform> tap;
};

void answerChange(TPwdForm& dialog, const QString& old, const QString& fresh)
{
    dialog.findChild<QRadioButton*>(QStringLiteral("rbcpw"))->setChecked(true);
    dialog.findChild<QLineEdit*>(QStringLiteral("cpasswordo"))->setText(old);
    dialog.findChild<QLineEdit*>(QStringLiteral("cpasswordn"))->setText(fresh);
    dialog.findChild<QLineEdit*>(QStringLiteral("cpasswordnp"))->setText(fresh);
    dialog.findChild<QPushButton*>(QStringLiteral("btPasswAction"))->click();
}

QString eventText(const GuiRig& rig)
{
    return rig.find<QPlainTextEdit>("memoEventList1")->toPlainText()
           + rig.find<QPlainTextEdit>("memoEventList2")->toPlainText();
}

const char* const kStatusLabels[] = {
    "lbVerTypeValue",    "lbHwVerValue",        "lbFwVerValue",       "lbStDTValue",
    "lbStUptimeValue",   "lbGsmSignal1Value",   "lbGsmProvider1Value", "lbGsmUptime1Value",
    "lbGprsIp1Value",    "lbGprsUptime1Value",  "lbGsmSignal2Value",  "lbGsmProvider2Value",
    "lbGsmUptime2Value", "lbGprsIp2Value",      "lbGprsUptime2Value",
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startsWithoutDevice()
    {
        GuiRig rig(GuiRig::Setup{.plugged = false});
        QVERIFY(rig.start());
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Bisora Pragant v1.22"));
        QVERIFY(!rig.find("btnRead")->isEnabled());
        QVERIFY(!rig.find("btnWrite")->isEnabled());
        QVERIFY(rig.find("btnSendReport")->isEnabled());
        QVERIFY(rig.find("imgError")->isVisibleTo(rig.window.get()));
        QVERIFY(!rig.find("imgOK")->isVisibleTo(rig.window.get()));
        QCOMPARE(rig.find<QLineEdit>("edBattlowVisible")->text(), QLocale().toString(11.5));
    }

    // Attached before start: the connect dialog is shown and closed by the login flow.
    void attachLogsInWithDefaultPassword()
    {
        TappedRig t(GuiRig::Setup{.connect = ScriptedDialogs::ConnectAnswer::Stay});
        GuiRig& rig = t.rig;
        rig.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        QCOMPARE(rig.dialogs.connectDialogs, 1);
        QCOMPARE(rig.dialogs.connectDialogsClosed, 1);
        QVERIFY(!rig.window->connectForm()->isVisible());
        QCOMPARE(rig.dialogs.passwordDialogs, 1);
        QVERIFY(rig.sim->loggedIn());
        QCOMPARE(t.tap->commandText(), std::string("set REM:UPW P,5827\n"));
        QTRY_COMPARE(rig.sim->requestLog(4), (std::vector<std::string>{"R", "R", "R"}));
        QVERIFY(!rig.window->settingsLoaded());
        QVERIFY(rig.find("btnRead")->isEnabled());
        QVERIFY(rig.find("btnWrite")->isEnabled());
        QVERIFY(rig.find("imgOK")->isVisibleTo(rig.window.get()));
        QCOMPARE(rig.find<QTabWidget>("PageControl1")->currentWidget(), rig.find("tsSettings"));
    }

    void plugWhileConnectDialogShown()
    {
        GuiRig rig(GuiRig::Setup{.plugged = false, .connect = ScriptedDialogs::ConnectAnswer::Stay});
        // The dialog's modal loop runs under the test, so the plug comes from a timer in it.
        bool shownAlone = false;
        QTimer plugger;
        plugger.setInterval(10);
        QObject::connect(&plugger, &QTimer::timeout, [&] {
            if (!rig.window->connectForm() || !rig.window->connectForm()->isVisible())
                return;
            plugger.stop();
            shownAlone = rig.dialogs.passwordDialogs == 0 && rig.dialogs.connectDialogsClosed == 0;
            rig.sim->plug();
        });
        plugger.start();
        QVERIFY(rig.start());
        QVERIFY(shownAlone);
        QVERIFY(rig.waitAttached(true));
        QCOMPARE(rig.dialogs.passwordDialogs, 1);
        QVERIFY(rig.sim->loggedIn());
    }

    void otherPasswordFiveRoundsThenWaitsForReplug()
    {
        SimOptions sim = GuiRig::quietSim();
        sim.password = "4321";
        ExchangeTiming timing = GuiRig::fastTiming();
        timing.polls = 3; // a refused login costs 4 x 30 ms
        GuiRig rig(GuiRig::Setup{.sim = sim, .timing = timing});
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        QCOMPARE(rig.dialogs.passwordDialogs, 5);
        QCOMPARE(rig.sim->requestLog(6), std::vector<std::string>(20, "set REM:UPW P,5827"));
        QVERIFY(!rig.sim->loggedIn());
        QVERIFY(rig.find("btnRead")->isEnabled());

        // Later updates of the same attachment ask no more.
        rig.find<QLineEdit>("edSIM1AccountID1")->setText(QStringLiteral("12AB"));
        rig.find<QLineEdit>("edCIDCode1")->setText(QStringLiteral("130"));
        QCOMPARE(rig.dialogs.passwordDialogs, 5);

        rig.sim->unplug();
        QVERIFY(rig.waitAttached(false));
        QCOMPARE(rig.dialogs.passwordDialogs, 5);
        rig.dialogs.answerPassword = [](TPwdForm& d) { answerLogin(d, QStringLiteral("4321")); };
        rig.sim->plug();
        QTRY_VERIFY(rig.sim->loggedIn());
        QVERIFY(rig.waitAttached(true));
        QCOMPARE(rig.dialogs.passwordDialogs, 6);
        QCOMPARE(rig.sim->requestLog(6).back(), std::string("set REM:UPW P,4321"));
    }

    void writeGating_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("backup");
        QTest::addColumn<bool>("gates");
        for (const char* f : {"edSIM1AccountID1", "edSIM1AccountID2", "edSIM2AccountID1",
                              "edSIM2AccountID2"}) {
            QTest::addRow("%s", f) << QString::fromLatin1(f) << false << true;
            QTest::addRow("%s backup", f) << QString::fromLatin1(f) << true << true;
        }
        for (const char* f : {"edSIM1AccountID3", "edSIM1AccountID4", "edSIM2AccountID3",
                              "edSIM2AccountID4"}) {
            QTest::addRow("%s", f) << QString::fromLatin1(f) << false << false;
            QTest::addRow("%s backup", f) << QString::fromLatin1(f) << true << true;
        }
        for (const char* f : {"edCIDCode1", "edCIDCode2", "edCIDCode3", "edCIDCode4",
                              "edCIDCode5", "edCIDCode6"})
            QTest::addRow("%s", f) << QString::fromLatin1(f) << false << true;
        for (const char* f : {"edSabotageEvent", "edBatteryEvent", "edTestReportCID"})
            QTest::addRow("%s", f) << QString::fromLatin1(f) << false << false;
    }

    void writeGating()
    {
        QFETCH(QString, field);
        QFETCH(bool, backup);
        QFETCH(bool, gates);
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        rig.click("btnRead");
        QVERIFY(rig.dialogs.messages.isEmpty());
        QVERIFY(rig.find("btnWrite")->isEnabled());
        rig.find<QCheckBox>("cbUseBackupServers")->setChecked(backup);

        auto* edit = rig.find<QLineEdit>(field.toLatin1().constData());
        edit->setText(QStringLiteral("G1")); // no hex code of any length
        QCOMPARE(rig.find("btnWrite")->isEnabled(), !gates);
        edit->setText(QString()); // empty is valid
        QVERIFY(rig.find("btnWrite")->isEnabled());
    }

    void detachResetsStatusPage()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        QVERIFY(rig.sim->setInput(1, 0));
        QVERIFY(rig.sim->setReceiver('A', 1, 1));
        QVERIFY(rig.sim->setSignal('A', 20));
        QVERIFY(rig.sim->sendEvent("SIM_A", "probe"));
        QTRY_VERIFY(eventText(rig).contains(QLatin1String("probe")));
        QTRY_COMPARE(rig.find<QLineEdit>("edIN1")->text(), QStringLiteral("0"));
        QTRY_COMPARE(rig.find<QLineEdit>("edRS1_1")->text(), QStringLiteral("1"));
        QTRY_COMPARE(rig.find<QLineEdit>("edTempGsmSignal1")->text(), QStringLiteral("20"));
        QVERIFY(rig.find<QLabel>("lbVerTypeValue")->text() != QStringLiteral("-"));
        rig.find<QLineEdit>("edSIM1IP1")->setText(QStringLiteral("10.1.2.3"));

        rig.sim->unplug();
        QVERIFY(rig.waitAttached(false));

        for (const char* label : kStatusLabels)
            QCOMPARE(rig.find<QLabel>(label)->text(), QStringLiteral("-"));
        QCOMPARE(eventText(rig), QString());
        QCOMPARE(rig.find<QProgressBar>("pbGsmSignal1")->value(), 0);
        QCOMPARE(rig.find<QProgressBar>("pbGsmSignal2")->value(), 0);
        for (const char* in : {"edIN1", "edIN2", "edIN3", "edIN4", "edIN5", "edIN6"})
            QCOMPARE(rig.find<QLineEdit>(in)->text(), QStringLiteral("u"));
        for (const char* rs : {"edRS1_1", "edRS1_2", "edRS1_3", "edRS1_4", "edRS2_1", "edRS2_2",
                               "edRS2_3", "edRS2_4"})
            QCOMPARE(rig.find<QLineEdit>(rs)->text(), QStringLiteral("0"));
        QCOMPARE(rig.find<QLineEdit>("edTempGsmSignal1")->text(), QString());
        QCOMPARE(rig.find<QLineEdit>("edTempGsmSignal2")->text(), QString());
        QVERIFY(rig.find("imgError")->isVisibleTo(rig.window.get()));
        QVERIFY(!rig.find("imgOK")->isVisibleTo(rig.window.get()));
        QVERIFY(!rig.find("btnRead")->isEnabled());
        QCOMPARE(rig.find<QLineEdit>("edSIM1IP1")->text(), QStringLiteral("10.1.2.3"));
    }

    void closeWhileAttachedHandsNothingOver()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        QVERIFY(rig.sim->sendEvent("SIM_A", "before"));
        QTRY_VERIFY(eventText(rig).contains(QLatin1String("before")));
        QTRY_COMPARE(rig.sim->queuedReports(), size_t(0)); // the reader drains the device

        // Sent while the window is busy closing: already on its way, never shown.
        QVERIFY(rig.sim->sendEvent("SIM_A", "late"));
        rig.window->close();
        QVERIFY(!rig.window->isAttached());
        QTest::qWait(50);
        QVERIFY(!eventText(rig).contains(QLatin1String("late")));
        // The "Detached" of the stopping reader was not handled: no status reset.
        QVERIFY(eventText(rig).contains(QLatin1String("before")));
        QVERIFY(rig.find("imgOK")->isVisibleTo(rig.window.get()));
        // The reader has ended: what the device sends now stays unread.
        QVERIFY(rig.sim->sendEvent("SIM_A", "unread"));
        QTest::qWait(50);
        QVERIFY(rig.sim->queuedReports() > 0);
    }

    void bridgeHandsEachSlotToItsHandler()
    {
        GuiRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.waitAttached(true));
        QCOMPARE(rig.window->exchange().replyBuffer(), QByteArray());

        // Status and event frames that look like a reply never reach the command handler.
        QVERIFY(rig.sim->sendStray(SimDevice::kStatusSlot, "\r\nOK"));
        QVERIFY(rig.sim->sendStray(SimDevice::kEventSlot, "\r\nOK\r\n"));
        QVERIFY(rig.sim->sendEvent("SIM_A", "marker")); // handed over after both
        QTRY_VERIFY(eventText(rig).contains(QLatin1String("marker")));
        QCOMPARE(rig.window->exchange().replyBuffer(), QByteArray());
        QVERIFY(!rig.window->exchange().isOkSeen());

        // One frame carrying CR LF "OK" arrives once, whole. (Line ends that open an empty
        // reply buffer are dropped by the exchange, so a text precedes it.)
        QVERIFY(rig.sim->sendStray(SimDevice::kCommandSlot, "X"));
        QVERIFY(rig.sim->sendStray(SimDevice::kCommandSlot, "\r\nOK"));
        QTRY_VERIFY(rig.window->exchange().isOkSeen());
        QTest::qWait(20);
        QCOMPARE(rig.window->exchange().replyBuffer(), QByteArray("X\r\nOK"));
    }

    void minimumOuterSize_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("got");
        QTest::newRow("both small") << QSize(500, 300) << QSize(760, 400);
        QTest::newRow("narrow") << QSize(700, 600) << QSize(760, 600);
        QTest::newRow("low") << QSize(900, 350) << QSize(900, 400);
        QTest::newRow("large") << QSize(1000, 800) << QSize(1000, 800);
    }

    void minimumOuterSize()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, got);
        GuiRig rig(GuiRig::Setup{.plugged = false});
        QVERIFY(rig.start());
        // Asked and got are outer sizes, frame included; resize() takes the client size.
        const QSize frame = rig.window->frameGeometry().size() - rig.window->size();
        rig.window->resize(asked - frame);
        QTRY_COMPARE(rig.window->frameGeometry().size(), got);
    }

    void usbPanelFollowsRightEdge()
    {
        GuiRig rig(GuiRig::Setup{.plugged = false});
        QVERIFY(rig.start());
        QWidget* panel = rig.find("panelUSB");
        rig.window->resize(900, 700);
        QTRY_COMPARE(panel->x(), rig.window->frameGeometry().width() - 75);
        const int x = panel->x();
        rig.window->resize(1000, 700);
        QTRY_COMPARE(panel->x(), x + 100);
    }

    void sendReportNow()
    {
        TappedRig t;
        QVERIFY(t.rig.start());
        QVERIFY(t.rig.waitAttached(true));
        const size_t before = t.tap->commandText().size();
        t.rig.click("btnSendReport");
        QCOMPARE(t.tap->commandText().substr(before), std::string("PROP => MSTST:STATE.TS=0\r\n"));
        QVERIFY(t.rig.dialogs.messages.isEmpty());
        QTRY_VERIFY(eventText(t.rig).contains(QLatin1String("Test report")));
    }

    void passwordChangeThenLogin()
    {
        TappedRig t(GuiRig::Setup{.plugged = false});
        GuiRig& rig = t.rig;
        QVERIFY(rig.start());
        rig.dialogs.answerPassword = [](TPwdForm& d) {
            answerChange(d, QStringLiteral("5827"), QStringLiteral("4321"));
        };
        rig.sim->plug();
        QVERIFY(rig.waitAttached(true));
        QCOMPARE(rig.dialogs.passwordDialogs, 1);
        QCOMPARE(rig.sim->password(), std::string("4321"));
        QVERIFY(rig.sim->loggedIn());
        QCOMPARE(rig.window->password(), QByteArray("4321"));
        QCOMPARE(t.tap->commandText(), std::string("set REM:UPW C,5827,4321\nset REM:UPW P,4321\n"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
