// Save and Open in the running window: the file a save writes, a full round trip, missing
// entries and files, awkward values, a hand-written Windows file, and failing saves.

#include "Cp1250.h"
#include "FieldCodec.h"
#include "FieldColour.h"
#include "GuiRig.h"
#include "SettingsSchema.h"
#include "SpinEdit.h"
#include "fixtures/ViewsSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray fixture(const char* name)
{
    return readBytes(QStringLiteral(PRAGANT_VIEWS_FIXTURES "/") + QString::fromLatin1(name));
}

// The entry lines ("key=value") of one section, in file order.
QByteArrayList sectionEntries(const QByteArray& bytes, const QByteArray& section)
{
    QByteArrayList entries;
    bool inside = false;
    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
        if (l.startsWith('[')) {
            inside = l.compare("[" + section + "]", Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inside && !l.startsWith(';') && l.contains('='))
            entries.append(l);
    }
    return entries;
}

bool allLinesEndInCrLf(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
    return bytes.endsWith("\r\n");
}

// A property text for every kind of settings field; variants 0 and 1 differ in every field
// and each is one the field keeps as set.
QByteArray variant(const QWidget* field, int v, int index)
{
    const QByteArray name = field->objectName().toLatin1();
    if (auto* combo = qobject_cast<const QComboBox*>(field))
        return toCp1250(combo->itemText(v == 0 ? combo->count() - 1 : 0));
    if (qobject_cast<const QCheckBox*>(field))
        return v == 0 ? "1" : "0";
    if (auto* spin = qobject_cast<const SpinEdit*>(field)) {
        const int span = spin->maximum() - spin->minimum();
        return QByteArray::number(spin->minimum() + span * (v + 1) / 3);
    }
    if (name.contains("AccountID"))
        return v == 0 ? "A1B2" : "0f0f";
    if (name.startsWith("edCIDCode") || name.endsWith("Event") || name == "edTestReportCID")
        return v == 0 ? "1A2" : "3c4";
    if (name.startsWith("edO") && name.endsWith("V"))
        return v == 0 ? "7" : "3";
    if (name == "edTestrepminvalue")
        return v == 0 ? "485" : "601";
    QByteArray text = (v == 0 ? "a" : "b") + QByteArray::number(index);
    if (auto* edit = qobject_cast<const QLineEdit*>(field))
        text.truncate(edit->maxLength());
    return text;
}

} // namespace

class TestSettingsFileGui : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { m_rig.reset(); }

    void saveWritesOneSectionInTableOrder_data();
    void saveWritesOneSectionInTableOrder();
    void openRestoresEveryFieldButTheSwitch();
    void missingEntriesOpenEmpty_data();
    void missingEntriesOpenEmpty();
    void awkwardValuesComeBack_data();
    void awkwardValuesComeBack();
    void windowsFileOpensAndKeepsItsOtherLines();
    void failedSaveShowsErrorAndKeepsOldFile_data();
    void failedSaveShowsErrorAndKeepsOldFile();
    void cancelledDialogsDoNothing();

private:
    QWidget* field(const std::string& name) const { return m_rig->find(name.c_str()); }
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    void save(const QString& chosen);
    void open(const QString& chosen);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<GuiRig> m_rig;
};

void TestSettingsFileGui::initTestCase()
{
    QVERIFY(views::clearLanguageStore());
    views::storeLanguage(QStringLiteral("en"));
}

void TestSettingsFileGui::init()
{
    QLocale::setDefault(QLocale::c());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_rig = std::make_unique<GuiRig>(GuiRig::Setup{.plugged = false});
    QVERIFY(m_rig->start());
}

void TestSettingsFileGui::save(const QString& chosen)
{
    m_rig->dialogs.savePath = chosen;
    QTest::mouseClick(m_rig->find("btnSave"), Qt::LeftButton);
}

void TestSettingsFileGui::open(const QString& chosen)
{
    m_rig->dialogs.openPath = chosen;
    QTest::mouseClick(m_rig->find("btnOpen"), Qt::LeftButton);
}

void TestSettingsFileGui::saveWritesOneSectionInTableOrder_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("setup") << "setup" << "setup.ini";
    QTest::newRow("conf.INI kept") << "conf.INI" << "conf.INI";
    QTest::newRow("conf.txt") << "conf.txt" << "conf.txt.ini";
}

void TestSettingsFileGui::saveWritesOneSectionInTableOrder()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QVERIFY(views::pickItem(m_rig->find<QComboBox>("cbInOut2Type"), 1));
    views::clickBox(m_rig->find("cbEOL3"));
    save(m_dir->filePath(chosen));
    QVERIFY(m_rig->dialogs.errors.isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{written});

    const QByteArray bytes = readBytes(m_dir->filePath(written));
    QVERIFY(bytes.startsWith("[Settings]\r\n"));
    QVERIFY(allLinesEndInCrLf(bytes));
    QCOMPARE(bytes.count('['), 1);
    const QByteArrayList entries = sectionEntries(bytes, "Settings");
    const auto& fields = settingsFields();
    QCOMPARE(entries.size(), qsizetype(120));
    QCOMPARE(qsizetype(fields.size()), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const std::string& name = fields[size_t(i)];
        QCOMPARE(entries[i], QByteArray::fromStdString(name) + "=" + GetControlValue(field(name)));
    }
    QVERIFY(entries.contains("cbInOut2Type=NC"));
    QVERIFY(entries.contains("cbEOL3=1"));
    QVERIFY(entries.contains("cbEOL2=0"));
}

void TestSettingsFileGui::openRestoresEveryFieldButTheSwitch()
{
    const auto& fields = settingsFields();
    for (int v : {0, 1}) {
        for (size_t i = 0; i < fields.size(); ++i)
            SetControlValue(field(fields[i]), variant(field(fields[i]), v, int(i)));
        if (v == 1)
            break;
        save(path("all.ini"));
    }
    QVERIFY(m_rig->dialogs.errors.isEmpty());
    // Every field now differs from the file.
    for (size_t i = 0; i < fields.size(); ++i)
        QVERIFY2(GetControlValue(field(fields[i])) != variant(field(fields[i]), 0, int(i)),
                 fields[i].c_str());

    open(path("all.ini"));
    QVERIFY(m_rig->window->settingsLoaded());
    for (size_t i = 0; i < fields.size(); ++i) {
        const QByteArray expected = fields[i] == "cbUseBackupServers"
                                        ? QByteArray("0")
                                        : variant(field(fields[i]), 0, int(i));
        QCOMPARE(GetControlValue(field(fields[i])), expected);
    }
    QCOMPARE(m_rig->find<QComboBox>("ComboBox1")->currentIndex(), 6); // from edO1V = 7
    QCOMPARE(m_rig->find<QLineEdit>("edTestReportHour")->text(), QStringLiteral("08:05"));
    QCOMPARE(m_rig->find<QLabel>("lbSIM2BackupServers")->text(),
             QStringLiteral("Secondary monitoring station disabled"));
    QVERIFY(!m_rig->find("edSIM1IP3")->isEnabled());
}

void TestSettingsFileGui::missingEntriesOpenEmpty_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("no section") << QByteArray("[Other]\r\nedApn1Name=x\r\n");
    QTest::newRow("empty section") << QByteArray("[Settings]\r\n");
    QTest::newRow("empty values") << QByteArray("[Settings]\r\nedApn1Name=\r\ncbEOL1=\r\n");
}

void TestSettingsFileGui::missingEntriesOpenEmpty()
{
    QFETCH(QByteArray, content);
    if (!content.isNull())
        QVERIFY(writeBytes(path("sparse.ini"), content));
    SetControlValue(field("cbIn1ARemType"), "KX-31");
    SetControlValue(field("cbInOut4Type"), "NC");
    SetControlValue(field("edApn1Name"), "before");
    SetControlValue(field("seSIM1Test1"), "120");
    open(path("sparse.ini"));

    QVERIFY(m_rig->window->settingsLoaded());
    for (const std::string& name : settingsFields()) {
        const QWidget* f = field(name);
        if (auto* combo = qobject_cast<const QComboBox*>(f)) {
            const QString kept = name == "cbIn1ARemType" ? "KX-31"
                                 : name == "cbInOut4Type" ? "NC"
                                 : QString::fromStdString(designValue(name));
            QCOMPARE(combo->currentText(), kept);
        } else if (qobject_cast<const QCheckBox*>(f)) {
            QCOMPARE(GetControlValue(f), QByteArray(name == "cbUseBackupServers" ? "0" : "1"));
        } else {
            QVERIFY2(GetControlValue(f).isEmpty(), name.c_str());
        }
    }
    QCOMPARE(m_rig->find<QLineEdit>("edTestReportHour")->text(), QStringLiteral("02:00"));
}

void TestSettingsFileGui::awkwardValuesComeBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("Hungarian") << QString::fromUtf8("Győr, Őrség: ŰŐűő áéíóöüú");
    QTest::newRow("Romanian") << QString::fromUtf8("Brăila, Târgu Mureş, Ţară ÂÎ");
    QTest::newRow("blanks around") << "  lead and trail  ";
    QTest::newRow("only blanks") << "   ";
    QTest::newRow("double quotes") << "\"quoted\"";
    QTest::newRow("single quotes") << "'single'";
    QTest::newRow("one quote") << "\"half";
    QTest::newRow("equals inside") << "a=b=c";
    QTest::newRow("equals first") << "=x";
    QTest::newRow("semicolon first") << ";not a comment";
    QTest::newRow("brackets") << "[Settings]";
    QTest::newRow("empty") << "";
}

void TestSettingsFileGui::awkwardValuesComeBack()
{
    QFETCH(QString, value);
    auto* name = m_rig->find<QLineEdit>("edInName3");
    auto* comment = m_rig->find<QLineEdit>("edSIM2Comment1");
    name->setText(value);
    comment->setText(value);
    save(path("odd.ini"));
    QVERIFY(m_rig->dialogs.errors.isEmpty());
    const QByteArray bytes = readBytes(path("odd.ini"));
    QCOMPARE(sectionEntries(bytes, "Settings").size(), qsizetype(120));
    QVERIFY(bytes.contains(toCp1250(value))); // the file is in code page 1250

    name->setText(QStringLiteral("other"));
    comment->setText(QStringLiteral("other"));
    open(path("odd.ini"));
    QCOMPARE(name->text(), value);
    QCOMPARE(comment->text(), value);
}

void TestSettingsFileGui::windowsFileOpensAndKeepsItsOtherLines()
{
    const QByteArray original = fixture("windows_dialect.ini");
    QVERIFY(original.startsWith("; Pragant settings"));
    QVERIFY(original.contains("Gy\xF5r")); // code page 1250, as written on Windows
    QVERIFY(writeBytes(path("hand.ini"), original));
    SetControlValue(field("edApn2Name"), "not in the file");
    open(path("hand.ini"));

    const struct {
        const char* field;
        const char* value; // UTF-8
    } expected[] = {
        {"edSuperusernr", "+36 30 123 4567"},
        {"edApn1Name", "internet.example.hu"},
        {"edApn1User", "Győr felhasználó"},
        {"edInName1", "Bejárati ajtó"},
        {"edInName2", "Uşă spate"},
        {"cbInOut2Type", "NC"},
        {"cbEOL1", "1"},
        {"cbIn1ARemType", "KX-31"},
        {"seBattLow", "11800"},
        {"edO3V", "8"},
        {"edTestrepminvalue", "485"},
        {"edSIM1AccountID1", "12ab"},
        {"cbUseBackupServers", "0"},
        {"edApn2Name", ""},
    };
    for (const auto& e : expected)
        QCOMPARE(m_rig->text(e.field), QString::fromUtf8(e.value));
    QCOMPARE(m_rig->find<QLineEdit>("edBattlowVisible")->text(), QStringLiteral("11.8"));
    QCOMPARE(m_rig->find<QComboBox>("ComboBox3")->currentText(),
             QStringLiteral("Indicates battery trouble"));
    QCOMPARE(m_rig->find<QLineEdit>("edTestReportHour")->text(), QStringLiteral("08:05"));
    QCOMPARE(fieldColour(field("edSIM1AccountID1")), clWindow());

    // Saved over: the other sections and the comments stay, the entries are replaced.
    m_rig->find<QLineEdit>("edInName1")->setText(QString::fromUtf8("Hátsó ajtó"));
    save(path("hand.ini"));
    QVERIFY(m_rig->dialogs.errors.isEmpty());
    const QByteArray saved = readBytes(path("hand.ini"));
    QVERIFY(allLinesEndInCrLf(saved));
    QVERIFY(saved.startsWith("; Pragant settings, written by hand in Notepad\r\n"
                             "[Other]\r\nKey = kept as it is \r\n\r\n"));
    QVERIFY(saved.endsWith("[Tail]\r\nx=1\r\n"));
    QVERIFY(saved.contains("\r\n; edApn1User=commented out\r\n"));
    QVERIFY(saved.contains("H\xE1ts\xF3 ajt\xF3"));
    QVERIFY(!saved.contains("Bej\xE1rati"));
    QCOMPARE(sectionEntries(saved, "Settings").size(), qsizetype(120));
    QCOMPARE(sectionEntries(saved, "Other"), QByteArrayList{"Key = kept as it is "});

    SetControlValue(field("edApn1User"), "x");
    open(path("hand.ini"));
    QCOMPARE(m_rig->text("edApn1User"), QString::fromUtf8("Győr felhasználó"));
    QCOMPARE(m_rig->text("edInName1"), QString::fromUtf8("Hátsó ajtó"));
}

void TestSettingsFileGui::failedSaveShowsErrorAndKeepsOldFile_data()
{
    QTest::addColumn<QString>("chosen");  // relative to the test folder
    QTest::addColumn<QString>("written"); // what the error names
    QTest::addColumn<QString>("oldFile"); // a file that must stay as it was
    QTest::addColumn<QString>("value");   // for edInName3
    QTest::newRow("parent is a file") << "plain.txt/setup" << "plain.txt/setup.ini" << "plain.txt"
                                      << "";
    QTest::newRow("no such folder") << "none/deeper/setup.ini" << "none/deeper/setup.ini"
                                    << "old.ini" << "";
    QTest::newRow("value with a line break") << "old.ini" << "old.ini" << "old.ini"
                                             << "two\nlines";
}

void TestSettingsFileGui::failedSaveShowsErrorAndKeepsOldFile()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, oldFile);
    QFETCH(QString, value);
    const QByteArray old = fixture("windows_dialect.ini");
    QVERIFY(writeBytes(m_dir->filePath(oldFile), old));
    const QStringList before = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    if (!value.isEmpty())
        m_rig->find<QLineEdit>("edInName3")->setText(value);

    save(m_dir->filePath(chosen));
    QCOMPARE(m_rig->dialogs.errors,
             QStringList{QStringLiteral("Unable to write to %1").arg(m_dir->filePath(written))});
    QCOMPARE(readBytes(m_dir->filePath(oldFile)), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(m_rig->dialogs.messages.isEmpty());
}

void TestSettingsFileGui::cancelledDialogsDoNothing()
{
    SetControlValue(field("edApn1Name"), "kept");
    save(QString());
    open(QString());
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QCOMPARE(m_rig->text("edApn1Name"), QStringLiteral("kept"));
    QVERIFY(!m_rig->window->settingsLoaded());
    QVERIFY(m_rig->dialogs.errors.isEmpty());
}

PRAGANT_VIEWS_TEST_MAIN(TestSettingsFileGui)
#include "tst_SettingsFileGui.moc"
