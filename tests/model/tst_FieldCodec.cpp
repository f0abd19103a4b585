#include "Cp1250.h"
#include "FieldCodec.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

// A kind derived from a known one is not that kind.
class DerivedEdit : public QLineEdit
{
    Q_OBJECT
};

std::unique_ptr<QWidget> makeKind(const QString& kind)
{
    if (kind == "label")
        return std::make_unique<QLabel>("-");
    if (kind == "edit")
        return std::make_unique<QLineEdit>("110");
    if (kind == "derived")
        return std::make_unique<DerivedEdit>();
    if (kind == "spin") {
        auto spin = std::make_unique<SpinEdit>();
        spin->setRange(60, 3600);
        spin->setValue(60);
        return spin;
    }
    if (kind == "check")
        return std::make_unique<QCheckBox>();
    if (kind == "radio")
        return std::make_unique<QRadioButton>();
    if (kind == "combo" || kind == "emptycombo") {
        auto combo = std::make_unique<QComboBox>();
        combo->addItems({"NO", "NC"});
        combo->setCurrentIndex(kind == "combo" ? 0 : -1);
        return combo;
    }
    if (kind == "slider") {
        auto slider = std::make_unique<QSlider>();
        slider->setRange(0, 100);
        slider->setValue(7);
        return slider;
    }
    return std::make_unique<QWidget>();
}

} // namespace

class TestFieldCodec : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void kinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("set");     // "<none>" = read the fresh field
        QTest::addColumn<QByteArray>("readBack");
        const QByteArray none = "<none>";
        QTest::newRow("check 1") << "check" << QByteArray("1") << QByteArray("1");
        QTest::newRow("check 0") << "check" << QByteArray("0") << QByteArray("0");
        QTest::newRow("check empty") << "check" << QByteArray("") << QByteArray("1");
        QTest::newRow("check 00") << "check" << QByteArray("00") << QByteArray("1");
        QTest::newRow("radio 0") << "radio" << QByteArray("0") << QByteArray("0");
        QTest::newRow("radio x") << "radio" << QByteArray("x") << QByteArray("1");
        QTest::newRow("combo any case") << "combo" << QByteArray("nc") << QByteArray("NC");
        QTest::newRow("combo no match") << "combo" << QByteArray("N") << QByteArray("NO");
        QTest::newRow("combo empty") << "combo" << QByteArray("") << QByteArray("NO");
        QTest::newRow("combo unselected") << "emptycombo" << none << QByteArray("");
        QTest::newRow("spin below limits") << "spin" << QByteArray("5") << QByteArray("5");
        QTest::newRow("spin not a number") << "spin" << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("edit blanks") << "edit" << QByteArray(" a b ") << QByteArray(" a b ");
        QTest::newRow("edit empty") << "edit" << QByteArray("") << QByteArray("");
        QTest::newRow("edit cp1250") << "edit" << QByteArray("\xC1rv\xED\xFB") << QByteArray("\xC1rv\xED\xFB");
        QTest::newRow("label") << "label" << QByteArray("12.5") << QByteArray("12.5");
        QTest::newRow("slider empty") << "slider" << QByteArray("") << QByteArray("0");
        QTest::newRow("slider number") << "slider" << QByteArray("42") << QByteArray("42");
        QTest::newRow("slider abc kept") << "slider" << QByteArray("abc") << QByteArray("7");
        QTest::newRow("derived kind ignored") << "derived" << QByteArray("x") << QByteArray("");
        QTest::newRow("other kind") << "other" << QByteArray("x") << QByteArray("");
    }

    void kinds()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, set);
        QFETCH(QByteArray, readBack);
        auto field = makeKind(kind);
        if (set != "<none>")
            SetControlValue(field.get(), set);
        QCOMPARE(GetControlValue(field.get()), readBack);
    }

    void derivedEditKeepsItsText()
    {
        DerivedEdit edit;
        SetControlValue(&edit, "x");
        QCOMPARE(edit.text(), QString());
    }

    void editUnicodeText()
    {
        QLineEdit edit;
        SetControlValue(&edit, "\xC1rv\xED\xFB");
        QCOMPARE(edit.text(), QString::fromUtf8("Árvíű"));
    }

    void notificationOnlyOnChange_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("edit") << "edit" << QByteArray("a") << QByteArray("a");
        QTest::newRow("spin") << "spin" << QByteArray("70") << QByteArray("70");
        QTest::newRow("check") << "check" << QByteArray("1") << QByteArray("00");
        QTest::newRow("radio") << "radio" << QByteArray("1") << QByteArray("1");
    }

    void notificationOnlyOnChange()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        auto field = makeKind(kind);
        std::unique_ptr<QSignalSpy> spy;
        if (auto* edit = qobject_cast<QLineEdit*>(field.get()))
            spy = std::make_unique<QSignalSpy>(edit, &QLineEdit::textChanged);
        else if (auto* spin = qobject_cast<SpinEdit*>(field.get()))
            spy = std::make_unique<QSignalSpy>(spin, &SpinEdit::textChanged);
        else
            spy = std::make_unique<QSignalSpy>(static_cast<QAbstractButton*>(field.get()), &QAbstractButton::toggled);
        SetControlValue(field.get(), first);
        QCOMPARE(spy->count(), 1);
        SetControlValue(field.get(), second);
        QCOMPARE(spy->count(), 1);
    }

    void comboSelectionRaisesNoActivated()
    {
        auto field = makeKind("combo");
        auto* combo = static_cast<QComboBox*>(field.get());
        QSignalSpy activated(combo, &QComboBox::activated);
        SetControlValue(combo, "NC");
        QCOMPARE(combo->currentText(), QString("NC"));
        QCOMPARE(activated.count(), 0);
    }

    void exclusiveRadioCanBeUnchecked()
    {
        QWidget group;
        auto* a = new QRadioButton(&group);
        auto* b = new QRadioButton(&group);
        a->setChecked(true);
        SetControlValue(a, "0");
        QCOMPARE(GetControlValue(a), QByteArray("0"));
        QVERIFY(a->autoExclusive());
        SetControlValue(b, "1");
        QCOMPARE(GetControlValue(b), QByteArray("1"));
    }

    void failingHandlerLeavesNewText()
    {
        // A handler that cannot convert its value stops early, as the window's handlers do.
        QLineEdit hidden;
        hidden.setText("1");
        hidden.hide();
        int converted = -1;
        int runs = 0;
        connect(&hidden, &QLineEdit::textChanged, &hidden, [&](const QString& text) {
            ++runs;
            bool ok = false;
            const int mode = text.toInt(&ok);
            if (!ok)
                return;
            converted = mode;
        });
        SetControlValue(&hidden, "x");
        QCOMPARE(runs, 1);
        QCOMPARE(converted, -1);
        QCOMPARE(hidden.text(), QString("x"));
        SetControlValue(&hidden, "3");
        QCOMPARE(converted, 3);
    }

    void nullFieldIsIgnored()
    {
        SetControlValue(nullptr, "1");
        QCOMPARE(GetControlValue(nullptr), QByteArray());
    }
};

QTEST_MAIN(TestFieldCodec)
#include "tst_FieldCodec.moc"
