// The main window's design: every field the schema binds exists with its exact class and its
// design-time value, the named controls carry their English design captions, the start states
// (hidden, disabled, limits, item lists) are as designed, and both pages fit the start size.

#include "SettingsSchema.h"
#include "SpinEdit.h"
#include "ui_Main.h"

#include <QAbstractButton>
#include <QtTest>

namespace {

QStringList numbered(const QString& pattern, int first, int last)
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << pattern.arg(n);
    return out;
}

// Class a bound field must have, by the naming rules of the field families.
const QMetaObject* expectedClass(const QString& field)
{
    if (field.startsWith("cb"))
        return (field.endsWith("RemType") || field.startsWith("cbInOut")) ? &QComboBox::staticMetaObject
                                                                          : &QCheckBox::staticMetaObject;
    if (field.startsWith("ed"))
        return &QLineEdit::staticMetaObject;
    if (field.startsWith("se") || field.startsWith("ud"))
        return &SpinEdit::staticMetaObject;
    if (field.startsWith("lb"))
        return &QLabel::staticMetaObject;
    return nullptr;
}

// The property text a field holds, read straight from the widget.
QString fieldText(const QWidget* w)
{
    if (auto c = qobject_cast<const QCheckBox*>(w))
        return c->isChecked() ? "1" : "0";
    if (auto c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto s = qobject_cast<const SpinEdit*>(w))
        return s->text();
    if (auto l = qobject_cast<const QLabel*>(w))
        return l->text();
    return "<unreadable>";
}

} // namespace

class TestMainDesign : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void settingsFields_data();
    void settingsFields();
    void statusFields_data();
    void statusFields();
    void captions_data();
    void captions();
    void unusedKeysHaveNoControl();
    void startStates_data();
    void startStates();
    void spinLimits_data();
    void spinLimits();
    void maxLengths_data();
    void maxLengths();
    void itemLists();
    void barsAndPages();
    void pictures();
    void fitsStartSize();
    void longerTextsStillFit();
    void panelColourShowsThroughLabel();

private:
    QWidget* widget(const QString& name) const { return m_window.findChild<QWidget*>(name); }

    QMainWindow m_window;
    Ui::TFormMain m_ui;
};

void TestMainDesign::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_ui.setupUi(&m_window);
}

void TestMainDesign::settingsFields_data()
{
    QTest::addColumn<QString>("field");
    for (const auto& f : ::settingsFields())
        QTest::newRow(f.c_str()) << QString::fromStdString(f);
}

void TestMainDesign::settingsFields()
{
    QFETCH(QString, field);
    QWidget* w = widget(field);
    QVERIFY2(w, qPrintable(field + " missing"));
    QCOMPARE(w->metaObject(), expectedClass(field));
    QCOMPARE(fieldText(w), QString::fromStdString(designValue(field.toStdString())));
    QVERIFY(m_ui.tsSettings->isAncestorOf(w));
}

void TestMainDesign::statusFields_data()
{
    QTest::addColumn<QString>("field");
    for (const auto& b : statusSchema())
        QTest::newRow(b.field.c_str()) << QString::fromStdString(b.field);
}

void TestMainDesign::statusFields()
{
    QFETCH(QString, field);
    QWidget* w = widget(field);
    QVERIFY2(w, qPrintable(field + " missing"));
    QCOMPARE(w->metaObject(), expectedClass(field));
    QVERIFY(m_ui.tsStatus->isAncestorOf(w));
    if (field.startsWith("lb")) {
        QCOMPARE(fieldText(w), QString("-"));
        QVERIFY(!w->isHidden());
    } else {
        QCOMPARE(fieldText(w), QString());
        QVERIFY(w->isHidden());
    }
}

void TestMainDesign::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    struct Row { const char* name; const char* caption; };
    static const Row rows[] = {
        {"lbProtocolHead", "Protocol"}, {"lbProtocolHead1", "Protocol"},
        {"tsSettings", "Settings"}, {"tsStatus", "Status"},
        {"btnOpen", "Open"}, {"btnRead", "Read"}, {"btnSave", "Save"}, {"btnWrite", "Write"},
        {"cbUseBackupServers", "Use secondary monitoring station"},
        {"lbIns", "Inputs"}, {"lbInOutType", "Type"}, {"lbSensitivity", "Sensitivity (msec)"},
        {"lbCIDCode", "CID code"}, {"lbInMS", "Receiver pairs"}, {"lbInName", "Name"},
        {"lbSabotageEvent", "Input tamper event (EOL only):"}, {"lbEvent9", "Battery trouble"},
        {"gbVersionInformation", "Version information"}, {"lbVerType", "Type:"},
        {"lbHwVer", "Hardware version:"}, {"lbFwVer", "Firmware version:"},
        {"gbSystemTimer", "System timer"}, {"lbStDT", "Date/time:"}, {"lbStUptime", "Uptime:"},
        {"gbInOut", "Inputs"}, {"gbEventList1", "Event list:"}, {"gbEventList2", "Event list:"},
        {"cbDedicateto", "Dedicate to receiver:"}, {"btUnlock", "Unlock"}, {"lbDed", "ASM"},
        {"gbPower", "Power"}, {"lbPowerName", "Supply voltage:"}, {"lbpowerVolt", "V"},
        {"lbLowBattery", "Low battery voltage threshold (10-30 V):"},
        {"lbLowBatteryRestore", "Voltage restore threshold (10-30 V):"},
        {"gbPhonenrs", "Phone numbers"}, {"lbSuperuser", "Superuser"}, {"lbOuts", "Outputs"},
        {"lbTestReport", "Test report:"}, {"lbTestReportEnable", "Enable"},
        {"lbTestReportCID", "CID code"}, {"lbTestReportMS", "Receiver pairs"},
        {"lbTestReportFreq", "Interval"}, {"lbTestReportFreq1", "(hours)"},
        {"lbTestReportHour", "Time of"}, {"lbTestReportHour1", "daily sending"},
        {"btnSendReport", "Send the report now"},
        {"lbSIM2BackupServers", "Secondary monitoring station disabled"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << r.name << r.caption;
    for (int n = 1; n <= 6; ++n)
        QTest::newRow(qPrintable(QString("lbOuts%1").arg(n))) << QString("lbOuts%1").arg(n) << QString("Output %1").arg(n);
    for (int sim = 1; sim <= 2; ++sim) {
        const QString s = QString::number(sim);
        const QString ab = sim == 1 ? "A" : "B";
        const QList<QPair<QString, QString>> simRows = {
            {"lbSIM%1GprsSettings", QString("SIM \"%1\" GPRS settings").arg(ab)},
            {"lbSIM%1Status", QString("SIM \"%1\" status").arg(ab)},
            {"lbSIM%1ApnName", "APN name"}, {"lbSIM%1User", "User"}, {"lbSIM%1Password", "Password"},
            {"lbReceivers%1", "Receivers:"},
            {"lbSIM%1_1", "Primary 1" + ab + ":"}, {"lbSIM%1_2", "Primary 2" + ab + ":"},
            {"lbSIM%1_3", "Secondary 3" + ab + ":"}, {"lbSIM%1_4", "Secondary 4" + ab + ":"},
            {"lbSIM%1Comment1", "Comment"}, {"lbSIM%1Comment2", "Comment"},
            {"lbSIM%1IP1", "IP address"}, {"lbSIM%1IP2", "IP address"},
            {"lbSIM%1Port1", "Port"}, {"lbSIM%1Port2", "Port"},
            {"lbSIM%1AccountID1", "Account ID"}, {"lbSIM%1AccountID2", "Account ID"},
            {"lbSIM%1Test1", "Test interval (seconds)"}, {"lbSIM%1Test2", "Test interval (seconds)"},
            {"gbGsmStatus%1", "GSM status"}, {"lbGsmSignal%1", "GSM signal"},
            {"lbGsmUptime%1", "Uptime:"}, {"lbGsmProvider%1", "GSM network:"},
            {"gbGprsNetwork%1", "GPRS network"}, {"gbReceiverStatus%1", "Receiver status"},
            {"lbGprsIp%1", "Module IP:"}, {"lbGprsUptime%1", "Uptime:"},
        };
        for (const auto& [pattern, caption] : simRows)
            QTest::newRow(qPrintable(pattern.arg(s))) << pattern.arg(s) << caption;
    }
}

void TestMainDesign::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QWidget* w = widget(name);
    QVERIFY2(w, qPrintable(name + " missing"));
    QString shown;
    if (auto l = qobject_cast<QLabel*>(w))
        shown = l->text();
    else if (auto b = qobject_cast<QAbstractButton*>(w))
        shown = b->text();
    else if (auto g = qobject_cast<QGroupBox*>(w))
        shown = g->title();
    else if (m_ui.PageControl1->indexOf(w) >= 0)
        shown = m_ui.PageControl1->tabText(m_ui.PageControl1->indexOf(w));
    QCOMPARE(shown, caption);
}

// The language tables hold rows that no control may pick up.
void TestMainDesign::unusedKeysHaveNoControl()
{
    const QStringList unused = {"lbMonstatType", "btnLogin", "lbCIDTest", "lbTestCIDCode", "lbTimeOfday",
                                "lbCIDFreq", "lbTestMS", "btnSendCID", "lbGprsTraffic1", "lbGprsTraffic2",
                                "lbStatusDetails1", "lbStatusDetails2", "lbATCommands1", "lbATCommands2",
                                "btnSaveLog"};
    for (const auto& name : unused)
        QVERIFY2(!m_window.findChild<QObject*>(name), qPrintable(name));
}

void TestMainDesign::startStates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("enabled");
    auto rows = [](const QStringList& names, bool hidden, bool enabled) {
        for (const auto& n : names)
            QTest::newRow(qPrintable(n)) << n << hidden << enabled;
    };
    rows(numbered("edO%1V", 1, 6) << "edOm1" << "edTestrepminvalue" << "gbDedic" << "imgOK", true, true);
    rows({"btnRead", "btnWrite", "cbUseBackupServers", "cbIn3ARemType", "cbIn4ARemType",
          "cbIn3BRemType", "cbIn4BRemType", "cbSabotageMS3", "cbSabotageMS4", "cbBattMS3", "cbBattMS4"},
         false, false);
    rows(numbered("cbIN%1MS3", 1, 6) + numbered("cbIN%1MS4", 1, 6), false, false);
    rows({"btnOpen", "btnSave", "btnSendReport", "imgError", "imgUSB", "panelUSB", "cbIn1ARemType",
          "cbIn2BRemType", "cbTestReportMS3", "cbTestReportMS4", "udTrHour", "udTestReportHour",
          "edTestReportHour", "edBattlowVisible", "edBattHighVisible", "sbHU", "sbEN", "sbRO"},
         false, true);
    // The secondary routes follow the switch, which starts off.
    rows({"lbSIM2BackupServers"}, false, false);
    for (const char* s : {"1", "2"}) {
        QStringList follow;
        for (const char* f : {"lbSIM%1Comment2", "lbSIM%1_3", "lbSIM%1_4", "lbSIM%1IP2", "lbSIM%1Port2",
                              "lbSIM%1AccountID2", "lbSIM%1Test2"})
            follow << QString(f).arg(s);
        for (const char* slot : {"3", "4"})
            for (const char* f : {"edSIM%1IP%2", "edSIM%1Port%2", "edSIM%1AccountID%2", "seSIM%1Test%2",
                                  "edSIM%1Comment%2"})
                follow << QString(f).arg(s, slot);
        rows(follow, false, false);
    }
}

void TestMainDesign::startStates()
{
    QFETCH(QString, name);
    QFETCH(bool, hidden);
    QFETCH(bool, enabled);
    QWidget* w = widget(name);
    QVERIFY2(w, qPrintable(name + " missing"));
    QCOMPARE(w->isHidden(), hidden);
    QCOMPARE(w->isEnabled(), enabled);
}

void TestMainDesign::spinLimits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("text");
    for (const auto& n : numbered("seSIM1Test%1", 1, 4) + numbered("seSIM2Test%1", 1, 4))
        QTest::newRow(qPrintable(n)) << n << 60 << 3600 << 1 << "60";
    for (const auto& n : numbered("seSensitivity%1", 1, 6))
        QTest::newRow(qPrintable(n)) << n << 10 << 10000 << 1 << "100";
    QTest::newRow("seBattLow") << "seBattLow" << 10000 << 30000 << 100 << "11500";
    QTest::newRow("seBattHigh") << "seBattHigh" << 10000 << 30000 << 100 << "12200";
    QTest::newRow("udTestReportFreq") << "udTestReportFreq" << 1 << 24 << 1 << "24";
    QTest::newRow("udTrHour") << "udTrHour" << 0 << 23 << 1 << "2";
    QTest::newRow("udTestReportHour") << "udTestReportHour" << 0 << 59 << 1 << "0";
}

void TestMainDesign::spinLimits()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, step);
    QFETCH(QString, text);
    auto s = m_window.findChild<SpinEdit*>(name);
    QVERIFY2(s, qPrintable(name + " missing"));
    QCOMPARE(s->minimum(), minimum);
    QCOMPARE(s->maximum(), maximum);
    QCOMPARE(s->singleStep(), step);
    QCOMPARE(s->text(), text);
}

void TestMainDesign::maxLengths_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("maxLength");
    const int unlimited = QLineEdit().maxLength();
    for (const auto& n : numbered("edSIM1Port%1", 1, 4))
        QTest::newRow(qPrintable(n)) << n << 5;
    for (const auto& n : numbered("edSIM2Port%1", 1, 4) + numbered("edInName%1", 2, 6))
        QTest::newRow(qPrintable(n)) << n << unlimited;
    QTest::newRow("edInName1") << "edInName1" << 16;
}

void TestMainDesign::maxLengths()
{
    QFETCH(QString, name);
    QFETCH(int, maxLength);
    auto e = m_window.findChild<QLineEdit*>(name);
    QVERIFY2(e, qPrintable(name + " missing"));
    QCOMPARE(e->maxLength(), maxLength);
}

void TestMainDesign::itemLists()
{
    auto items = [](const QComboBox* c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    };
    const QStringList protocols = {"Quarvis_TCP", "Quarvis_UDP", "KX-31", "PALLAS_RX"};
    for (const char* ab : {"A", "B"})
        for (int slot = 1; slot <= 4; ++slot) {
            auto c = m_window.findChild<QComboBox*>(QString("cbIn%1%2RemType").arg(slot).arg(ab));
            QVERIFY(c);
            QCOMPARE(items(c), protocols);
            QVERIFY(!c->isEditable());
        }
    for (int z = 1; z <= 6; ++z) {
        auto c = m_window.findChild<QComboBox*>(QString("cbInOut%1Type").arg(z));
        QVERIFY(c);
        QCOMPARE(items(c), QStringList({"NO", "NC"}));
    }
    QStringList modes = numbered("follows input %1 status", 1, 6);
    modes << "On if any input is active" << "Indicates battery trouble" << "Indicates communication trouble";
    for (int n = 1; n <= 6; ++n) {
        auto c = m_window.findChild<QComboBox*>(QString("ComboBox%1").arg(n));
        QVERIFY(c);
        QCOMPARE(c->metaObject(), &QComboBox::staticMetaObject);
        QCOMPARE(items(c), modes);
        QCOMPARE(c->currentIndex(), n - 1);
    }
}

void TestMainDesign::barsAndPages()
{
    QCOMPARE(m_ui.ProgressBarRW->minimum(), 0);
    QCOMPARE(m_ui.ProgressBarRW->maximum(), 252);
    for (QProgressBar* bar : {m_ui.pbGsmSignal1, m_ui.pbGsmSignal2}) {
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 31);
        QCOMPARE(bar->value(), 0);
    }
    QCOMPARE(m_ui.PageControl1->count(), 2);
    QCOMPARE(m_ui.PageControl1->widget(0), m_ui.tsSettings);
    QCOMPARE(m_ui.PageControl1->widget(1), m_ui.tsStatus);
    QCOMPARE(m_ui.PageControl1->currentWidget(), m_ui.tsSettings);
    QVERIFY(m_ui.sbSettings->widgetResizable());
    QVERIFY(m_ui.tsSettings->isAncestorOf(m_ui.sbSettings));
    for (QPlainTextEdit* memo : {m_ui.memoEventList1, m_ui.memoEventList2}) {
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    // Each state label fills its panel, centred and wrapping, so the panel colour frames the text.
    QStringList panels = numbered("IN%1", 1, 6);
    for (int sim = 1; sim <= 2; ++sim)
        for (int n = 1; n <= 4; ++n)
            panels << QString("RS%1_%2").arg(sim).arg(n);
    for (const auto& p : panels) {
        auto panel = m_window.findChild<QFrame*>("panel" + p);
        auto lb = m_window.findChild<QLabel*>("lb" + p + (p.startsWith("IN") ? "Status" : ""));
        QVERIFY2(panel && lb, qPrintable(p));
        QCOMPARE(panel->metaObject(), &QFrame::staticMetaObject);
        QCOMPARE(lb->parentWidget(), panel);
        QVERIFY(lb->wordWrap());
        QCOMPARE(lb->alignment(), Qt::AlignCenter);
        QVERIFY(panel->autoFillBackground());
    }
}

void TestMainDesign::pictures()
{
    for (QLabel* img : {m_ui.imgUSB, m_ui.imgOK, m_ui.imgError}) {
        QCOMPARE(img->parentWidget(), m_ui.panelUSB);
        QVERIFY2(!img->pixmap().isNull(), qPrintable(img->objectName()));
        QCOMPARE(img->geometry(), QRect(0, 0, 55, 52));
    }
    QCOMPARE(m_ui.panelUSB->size(), QSize(55, 52));
    for (QToolButton* b : {m_ui.sbHU, m_ui.sbEN, m_ui.sbRO}) {
        QCOMPARE(b->parentWidget(), m_ui.panelLanguageBar1);
        QVERIFY(!b->icon().isNull());
        QCOMPARE(b->maximumSize(), QSize(20, 21));
    }
    QVERIFY(!m_window.windowIcon().isNull());
}

void TestMainDesign::fitsStartSize()
{
    m_window.resize(864, 752);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    // Neither page forces the window beyond its designed client area.
    QCOMPARE(m_window.size(), QSize(864, 752));
    QVERIFY(m_window.minimumSizeHint().width() <= 864 && m_window.minimumSizeHint().height() <= 752);
    // Settings scroll only vertically: their narrowest layout fits the viewport.
    QVERIFY(m_ui.sbSettingsContents->minimumSizeHint().width() <= m_ui.sbSettings->viewport()->width());
    // The status page needs no more than it gets.
    m_ui.PageControl1->setCurrentWidget(m_ui.tsStatus);
    QVERIFY(m_ui.tsStatus->minimumSizeHint().width() <= m_ui.tsStatus->width());
    QVERIFY(m_ui.tsStatus->minimumSizeHint().height() <= m_ui.tsStatus->height());
    m_ui.PageControl1->setCurrentWidget(m_ui.tsSettings);
    // The attach indicator sits at the top right, clear of the tab captions.
    const QRect usb = m_ui.panelUSB->geometry();
    QVERIFY(usb.right() < m_ui.centralwidget->width());
    QTabBar* tabs = m_ui.PageControl1->tabBar();
    // ... and within the height of the tab row, so it covers no page either.
    QVERIFY(usb.bottom() <= tabs->mapTo(m_ui.centralwidget, QPoint(0, tabs->height())).y());
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab(tabs->mapTo(m_ui.centralwidget, tabs->tabRect(i).topLeft()), tabs->tabRect(i).size());
        QVERIFY(!tab.intersects(usb));
    }
    // No single-line text is cut short on either page.
    for (QLabel* lb : m_window.findChildren<QLabel*>()) {
        if (lb->isVisibleTo(&m_window) && !lb->wordWrap() && lb->pixmap().isNull() && lb->isVisible())
            QVERIFY2(lb->width() >= lb->minimumSizeHint().width(), qPrintable(lb->objectName()));
    }
}

// Hungarian and Romanian captions run up to about 40% longer than the English ones.
void TestMainDesign::longerTextsStillFit()
{
    auto longer = [](const QString& t) {
        // Words of five letters, as a translation adds words rather than one endless word.
        QString more;
        while (more.size() < t.size() * 0.4)
            more += " mmmm";
        return t + more;
    };
    // Captions that no language changes ("APN:", "1AB", "IN1", ...) keep their length.
    static const QRegularExpression untranslated(
        "^lb(SIM\\d(Apn|PIN|Port\\d)|EOL|Input\\d|InPair\\d|TestReportPair\\d|Batt(Low|High)Volt)$");
    for (QLabel* lb : m_ui.sbSettingsContents->findChildren<QLabel*>())
        if (lb->pixmap().isNull() && !untranslated.match(lb->objectName()).hasMatch())
            lb->setText(longer(lb->text()));
    for (QAbstractButton* b : m_ui.sbSettingsContents->findChildren<QAbstractButton*>())
        if (!b->text().isEmpty())
            b->setText(longer(b->text()));
    m_ui.sbSettingsContents->layout()->activate();
    QString widths; // names the group that grew too wide
    for (QGroupBox* g : m_ui.sbSettingsContents->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
        widths += QString(" %1=%2").arg(g->objectName()).arg(g->minimumSizeHint().width());
    QVERIFY2(m_ui.sbSettingsContents->minimumSizeHint().width() <= m_ui.sbSettings->viewport()->width(),
             qPrintable(QString("viewport %1:").arg(m_ui.sbSettings->viewport()->width()) + widths));
}

// The status view colours a state panel through its palette; the window's style sheet must not
// hide that colour, and the label on top must let it through.
void TestMainDesign::panelColourShowsThroughLabel()
{
    m_ui.PageControl1->setCurrentWidget(m_ui.tsStatus);
    QPalette pal = m_ui.panelIN1->palette();
    pal.setColor(QPalette::Window, QColor(255, 0, 0));
    pal.setColor(QPalette::WindowText, Qt::white);
    m_ui.panelIN1->setPalette(pal);
    const QImage shot = m_ui.panelIN1->grab().toImage();
    QCOMPARE(shot.pixelColor(4, shot.height() / 2), QColor(255, 0, 0));
    m_ui.PageControl1->setCurrentWidget(m_ui.tsSettings);
}

QTEST_MAIN(TestMainDesign)
#include "tst_MainDesign.moc"
