// LangMan over a small window: what is collected and in which order, lookups, and what a
// language switch writes into which class of control.

#include "LangMan.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

// A label of our own class: not a label for the manager, so it is walked into and not translated.
class DerivedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;
};

namespace {

template <class W> W* make(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1StringView(name));
    if constexpr (requires { w->setText(text); })
        if (!text.isNull())
            w->setText(text);
    return w;
}

const QString design = QStringLiteral("design");

// The window under test; every control that gets no text shows "design".
std::unique_ptr<QWidget> makeWindow()
{
    auto root = std::make_unique<QWidget>();
    root->setObjectName(QStringLiteral("FormMain"));
    auto* tabs = make<QTabWidget>(root.get(), "pcMain");

    auto* settings = new QWidget;
    settings->setObjectName(QStringLiteral("tsSettings"));
    tabs->addTab(settings, design);
    auto* power = make<QGroupBox>(settings, "gbPower");
    power->setTitle(design);
    make<QLabel>(power, "lbPowerName", design);
    make<QCheckBox>(power, "cbUseBackupServers", design);
    make<QPushButton>(settings, "btnRead", design);
    make<QRadioButton>(settings, "rbepw", design);
    auto* modes = make<QLineEdit>(settings, "edOm1");
    make<QLabel>(modes, "lbOutsInEdit", design);
    make<SpinEdit>(settings, "seBattLow", QStringLiteral("12"));
    auto* combo = make<QComboBox>(settings, "cbOut1Mode");
    combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo->setCurrentIndex(1);
    auto* label = make<QLabel>(settings, "lbIns", design);
    make<QPushButton>(label, "btnSave", design);
    auto* derived = make<DerivedLabel>(settings, "lbOuts1", design);
    make<QLabel>(derived, "lbOuts2", design);
    QPixmap flag(4, 4);
    flag.fill(Qt::red);
    make<QLabel>(settings, "lbOuts3")->setPixmap(flag);
    auto* speed = make<QToolButton>(settings, "sbEN");
    make<QLabel>(speed, "lbOuts4", design);

    auto* status = new QWidget;
    status->setObjectName(QStringLiteral("tsStatus"));
    tabs->addTab(status, design);
    auto* scroll = make<QScrollArea>(status, "sbStatus");
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("panelStatus"));
    make<QLabel>(panel, "lbGsmSignal1", design);
    make<QGroupBox>(panel, "gbGsmStatus1")->setTitle(design);
    scroll->setWidget(panel);
    make<QPlainTextEdit>(status, "memoEvents1")->setPlainText(design);

    // A dialog owned by the window is a window of its own and is not walked.
    auto* dialog = make<QDialog>(root.get(), "PwdForm");
    make<QRadioButton>(dialog, "rbcpw", design);
    return root;
}

QStringList namesOf(const ControlList& controls)
{
    QStringList names;
    for (const QPointer<QWidget>& w : controls)
        names << (w ? w->objectName() : QStringLiteral("<gone>"));
    return names;
}

QStringList traceLines;
QtMessageHandler previousHandler = nullptr;
QLoggingCategory::CategoryFilter previousFilter = nullptr;

void captureTrace(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (qstrcmp(context.category, "pragant.debug") == 0)
        traceLines << message;
    else if (previousHandler)
        previousHandler(type, context, message);
}

void enableTrace(QLoggingCategory* category)
{
    if (previousFilter)
        previousFilter(category);
    if (qstrcmp(category->categoryName(), "pragant.debug") == 0)
        category->setEnabled(QtDebugMsg, true);
}

QString tabText(QWidget* root, const char* page)
{
    auto* tabs = root->findChild<QTabWidget*>(QStringLiteral("pcMain"));
    return tabs->tabText(tabs->indexOf(root->findChild<QWidget*>(QLatin1StringView(page))));
}

template <class W> W* child(QWidget* root, const char* name)
{
    W* w = root->findChild<W*>(QLatin1StringView(name));
    Q_ASSERT(w);
    return w;
}

} // namespace

class TestLangMan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void collectsWindowInPreOrder();
    void lookup_data();
    void lookup();
    void lookupBeforeAnyLanguage();
    void applyLanguage_data();
    void applyLanguage();
    void editChangeHandlerRunsOnlyOnRealChange();
    void comboItemsReplacedKeepingSelection_data();
    void comboItemsReplacedKeepingSelection();
    void controlsDeletedMeanwhileAreSkipped();
};

void TestLangMan::collectsWindowInPreOrder()
{
    auto window = makeWindow();
    traceLines.clear();
    previousFilter = QLoggingCategory::installFilter(enableTrace);
    previousHandler = qInstallMessageHandler(captureTrace);
    LangMan man(window.get());
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::installFilter(previousFilter);

    // Not below labels, speed buttons, edits and spin edits; below a derived label, yes.
    // Qt's own helpers (page stack, tab bar, viewport, scroll bars) are not listed.
    const QStringList expected = {
        "FormMain", "pcMain", "tsSettings", "gbPower", "lbPowerName", "cbUseBackupServers",
        "btnRead", "rbepw", "edOm1", "seBattLow", "cbOut1Mode", "lbIns", "lbOuts1", "lbOuts2",
        "lbOuts3", "sbEN", "tsStatus", "sbStatus", "panelStatus", "lbGsmSignal1",
        "gbGsmStatus1", "memoEvents1"};
    QCOMPARE(namesOf(man.controls()), expected);

    // One line per control that is walked into.
    const QStringList lines = {
        "QWidget, FormMain", "QTabWidget, pcMain", "QWidget, tsSettings", "QGroupBox, gbPower",
        "QCheckBox, cbUseBackupServers", "QPushButton, btnRead", "QRadioButton, rbepw",
        "QComboBox, cbOut1Mode", "DerivedLabel, lbOuts1", "QWidget, tsStatus",
        "QScrollArea, sbStatus", "QWidget, panelStatus", "QGroupBox, gbGsmStatus1",
        "QPlainTextEdit, memoEvents1"};
    QCOMPARE(traceLines, lines);

    LangMan none(nullptr);
    QVERIFY(none.controls().isEmpty());
}

void TestLangMan::lookup_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text");
    QTest::newRow("btnLogin en") << "en" << "btnLogin" << true << "Login";
    QTest::newRow("btnLogin hu") << "hu" << "btnLogin" << false << QString();
    QTest::newRow("btnLogin ro") << "ro" << "btnLogin" << false << QString();
    QTest::newRow("capitals") << "en" << "TSSETTINGS" << false << QString();
    QTest::newRow("lower case") << "hu" << "tssettings" << false << QString();
    QTest::newRow("trailing blank") << "en" << "tsSettings " << false << QString();
    QTest::newRow("prefix only") << "en" << "tsSetting" << false << QString();
    QTest::newRow("empty key") << "en" << "" << false << QString();
    QTest::newRow("settings hu") << "hu" << "tsSettings" << true << "Beállítások";
    QTest::newRow("write ro") << "ro" << "btnWrite" << true << "Înscriere";
    QTest::newRow("offline en") << "en" << "txtReceiverStatusOffline" << true << "Offline";
    QTest::newRow("offline hu") << "hu" << "txtReceiverStatusOffline" << true << "Nem\nelérheto";
    QTest::newRow("offline ro") << "ro" << "txtReceiverStatusOffline" << true
                                << "Nu este\ndisponibil";
    QTest::newRow("not configured en") << "en" << "txtReceiverStatusNotConfigured" << true
                                       << "Not\nconfigured";
    QTest::newRow("not configured hu") << "hu" << "txtReceiverStatusNotConfigured" << true
                                       << "Nincs\nbeállítva";
    QTest::newRow("not configured ro") << "ro" << "txtReceiverStatusNotConfigured" << true
                                       << "Nu este\nconfigurat";
    QTest::newRow("interval ro") << "ro" << "lbCIDFreq" << true << "Intervalul\n(ore)";
    QTest::newRow("quotes en") << "en" << "lbSIM1GprsSettings" << true
                               << "SIM \"A\" GPRS settings";
}

void TestLangMan::lookup()
{
    QFETCH(QString, code);
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, text);
    LangMan man(nullptr);
    man.ApplyLanguage(code);
    const std::optional<QString> result = man.Lookup(key);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, text);
}

void TestLangMan::lookupBeforeAnyLanguage()
{
    LangMan man(nullptr);
    QCOMPARE(man.count(), 0);
    QVERIFY(!man.Lookup(QStringLiteral("tsSettings")).has_value());
}

void TestLangMan::applyLanguage_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("language"); // 0 en, 1 hu, 2 ro
    QTest::newRow("empty is hu") << "" << 1;
    QTest::newRow("HU") << "HU" << 1;
    QTest::newRow("Ro") << "Ro" << 2;
    QTest::newRow("de") << "de" << 0;
    QTest::newRow("blank hu") << " hu" << 0;
    QTest::newRow("en") << "en" << 0;
}

void TestLangMan::applyLanguage()
{
    QFETCH(QString, code);
    QFETCH(int, language);
    auto window = makeWindow();
    QWidget* w = window.get();
    LangMan man(w);
    man.ApplyLanguage(code);

    const LangEntry* tables[] = {LangTableEn, LangTableHu, LangTableRo};
    const int counts[] = {149, 148, 148};
    QCOMPARE(man.table(), tables[language]);
    QCOMPARE(man.count(), counts[language]);

    struct Expected
    {
        QString actual;
        QStringList texts; // en, hu, ro
    };
    const QList<Expected> expected = {
        {tabText(w, "tsSettings"), {"Settings", "Beállítások", "Setari"}},
        {tabText(w, "tsStatus"), {"Status", "Státusz", "Stare"}},
        {child<QGroupBox>(w, "gbPower")->title(), {"Power", "Tápellátás", "Alimentare"}},
        {child<QLabel>(w, "lbPowerName")->text(),
         {"Supply voltage:", "Tápfeszültség:", "Tensiune alimentare:"}},
        {child<QCheckBox>(w, "cbUseBackupServers")->text(),
         {"Use secondary monitoring station", "Másodlagos távfelügyelet engedélyezése",
          "Permitere dispecerat secundar"}},
        {child<QPushButton>(w, "btnRead")->text(), {"Read", "Beolvasás", "Citire"}},
        {child<QRadioButton>(w, "rbepw")->text(), {"Login", "Bejelentkezés", "Autentificare"}},
        {child<QLineEdit>(w, "edOm1")->text().section(QStringLiteral("\r\n"), 0, 0),
         {"follows input 1 status", "1. bemenet állapotának követése",
          "Urmarea starii intrarii 1"}},
        {child<QLabel>(w, "lbOuts2")->text(), {"Output 2", "2. kimenet", "Iesire 2"}},
        {child<QLabel>(w, "lbGsmSignal1")->text(), {"GSM signal", "GSM térero", "Semnal GSM"}},
        {child<QGroupBox>(w, "gbGsmStatus1")->title(), {"GSM status", "GSM státusz", "Stare GSM"}},
    };
    for (const Expected& e : expected)
        QCOMPARE(e.actual, e.texts[language]);

    // The edit holds the whole nine-item list, line ends included.
    QCOMPARE(child<QLineEdit>(w, "edOm1")->text(), man.Lookup(QStringLiteral("edOm1")).value());
    QCOMPARE(child<QLineEdit>(w, "edOm1")->text().count(QStringLiteral("\r\n")), 9);

    // Left as they were: not walked into, not of a class with an action, or without a row.
    QCOMPARE(child<DerivedLabel>(w, "lbOuts1")->text(), design);
    QCOMPARE(child<QPushButton>(w, "btnSave")->text(), design);
    QCOMPARE(child<QLabel>(w, "lbOutsInEdit")->text(), design);
    QCOMPARE(child<QLabel>(w, "lbOuts4")->text(), design);
    QCOMPARE(child<SpinEdit>(w, "seBattLow")->text(), QStringLiteral("12"));
    QCOMPARE(child<QComboBox>(w, "cbOut1Mode")->count(), 2);
    QCOMPARE(child<QComboBox>(w, "cbOut1Mode")->currentIndex(), 1);
    QCOMPARE(child<QPlainTextEdit>(w, "memoEvents1")->toPlainText(), design);
    QCOMPARE(child<QRadioButton>(w, "rbcpw")->text(), design);
    auto* image = child<QLabel>(w, "lbOuts3");
    QVERIFY(!image->pixmap().isNull());
    QVERIFY(image->text().isEmpty());
}

void TestLangMan::editChangeHandlerRunsOnlyOnRealChange()
{
    auto window = makeWindow();
    auto* modes = child<QLineEdit>(window.get(), "edOm1");
    QSignalSpy changes(modes, &QLineEdit::textChanged);
    LangMan man(window.get());

    const struct
    {
        const char* code;
        int changesSoFar;
        const char* firstItem;
    } steps[] = {
        {"en", 1, "follows input 1 status"},
        {"EN", 1, "follows input 1 status"}, // same text again: no change, no handler
        {"ro", 2, "Urmarea starii intrarii 1"},
        {"", 3, "1. bemenet állapotának követése"},
        {"hu", 3, "1. bemenet állapotának követése"},
        {"xx", 4, "follows input 1 status"},
    };
    for (const auto& step : steps) {
        man.ApplyLanguage(QString::fromUtf8(step.code));
        QCOMPARE(changes.size(), step.changesSoFar);
        QCOMPARE(changes.last().at(0).toString(), modes->text());
        QCOMPARE(modes->text().section(QStringLiteral("\r\n"), 0, 0),
                 QString::fromUtf8(step.firstItem));
    }
}

void TestLangMan::comboItemsReplacedKeepingSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("items");
    const QStringList en = {"follows input 1 status", "follows input 2 status",
                            "follows input 3 status", "follows input 4 status",
                            "follows input 5 status", "follows input 6 status",
                            "On if any input is active", "Indicates battery trouble",
                            "Indicates communication trouble"};
    QTest::newRow("nine en") << "edOm1" << "en" << 4 << en;
    QTest::newRow("none selected") << "edOm1" << "de" << -1 << en;
    QTest::newRow("two lines hu") << "txtReceiverStatusOnlineAckError" << "hu" << 1
                                  << QStringList{"Kapcsolódva", "(nyugta hiba)"};
    QTest::newRow("one line ro") << "tsSettings" << "ro" << 0 << QStringList{"Setari"};
    // The old selection lies beyond the new list: nothing is selected.
    QTest::newRow("selection gone") << "tsSettings" << "ro" << 5 << QStringList{"Setari"};
}

void TestLangMan::comboItemsReplacedKeepingSelection()
{
    QFETCH(QString, name);
    QFETCH(QString, code);
    QFETCH(int, selected);
    QFETCH(QStringList, items);
    QWidget root;
    auto* combo = new QComboBox(&root);
    combo->setObjectName(name);
    for (int i = 0; i < 9; ++i)
        combo->addItem(QString::number(i));
    combo->setCurrentIndex(selected);
    QSignalSpy selection(combo, &QComboBox::currentIndexChanged);
    LangMan man(&root);
    man.ApplyLanguage(code);

    QStringList actual;
    for (int i = 0; i < combo->count(); ++i)
        actual << combo->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(combo->currentIndex(), selected < items.size() ? selected : -1);
    QCOMPARE(selection.size(), 0);
}

void TestLangMan::controlsDeletedMeanwhileAreSkipped()
{
    auto window = makeWindow();
    LangMan man(window.get());
    delete child<QLabel>(window.get(), "lbPowerName");
    // A change handler that removes a control collected after it.
    auto* modes = child<QLineEdit>(window.get(), "edOm1");
    QObject::connect(modes, &QLineEdit::textChanged, modes,
                     [&] { delete window->findChild<QLabel*>(QStringLiteral("lbGsmSignal1")); });
    man.ApplyLanguage(QStringLiteral("ro"));
    QCOMPARE(child<QPushButton>(window.get(), "btnRead")->text(), QStringLiteral("Citire"));
    QCOMPARE(child<QGroupBox>(window.get(), "gbGsmStatus1")->title(), QStringLiteral("Stare GSM"));
    QVERIFY(!window->findChild<QLabel*>(QStringLiteral("lbGsmSignal1")));
    QCOMPARE(namesOf(man.controls()).count(QStringLiteral("<gone>")), 2);
}

QTEST_MAIN(TestLangMan)
#include "tst_LangMan.moc"
