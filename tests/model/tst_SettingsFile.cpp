#include "ControlDesc.h"
#include "ProfileFile.h"
#include "SettingsFile.h"
#include "SettingsPageFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Written as a Windows editor would: code page 1250, CR LF, comments, other sections,
// names in other letter case, blanks and quotes around values.
const QByteArray windowsFixture = "; Bisora settings\r\n"
                                  "[Other]\r\n"
                                  "Key = kept as it is \r\n"
                                  "\r\n"
                                  "[settings]\r\n"
                                  " EDSUPERUSERNR = 'B\xF6 \xFB 1' \r\n"
                                  "; edApn1User=commented out\r\n"
                                  "cbInOut2Type=nc\r\n"
                                  "cbEOL1=0\r\n"
                                  "edApn1Name = \"  spaced  \"\r\n"
                                  "[Tail]\r\n"
                                  "x=1\r\n";

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_page = makeSettingsPage();
        m_descs = buildSettingsDescs(m_page.get());
        QVERIFY(m_dir.isValid());
    }

    void iniSuffix_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("used");
        QTest::newRow("upper case kept") << "conf.INI" << "conf.INI";
        QTest::newRow("ini kept") << "/x/setup.ini" << "/x/setup.ini";
        QTest::newRow("other suffix") << "conf.txt" << "conf.txt.ini";
        QTest::newRow("short") << "a" << "a.ini";
        QTest::newRow("just suffix") << ".ini" << ".ini";
        QTest::newRow("no dot") << "confini" << "confini.ini";
    }

    void iniSuffix()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, used);
        QCOMPARE(withIniSuffix(chosen), used);
    }

    void opensWindowsFixtureAndKeepsOtherSections()
    {
        const QString path = m_dir.filePath("hand.ini");
        writeBytes(path, windowsFixture);
        field<QComboBox>("cbInOut3Type")->setCurrentIndex(1);
        openSettingsFile(path, m_descs);
        QCOMPARE(field<QLineEdit>("edSuperusernr")->text(), QString::fromUtf8("Bö ű 1"));
        QCOMPARE(field<QLineEdit>("edApn1Name")->text(), QString("  spaced  "));
        QCOMPARE(field<QComboBox>("cbInOut2Type")->currentText(), QString("NC"));
        QVERIFY(!field<QCheckBox>("cbEOL1")->isChecked());
        // Missing entries: edits emptied, check boxes checked, lists keep their selection.
        QCOMPARE(field<QLineEdit>("edApn1User")->text(), QString());
        QCOMPARE(field<QLineEdit>("edCIDCode1")->text(), QString());
        QVERIFY(field<QCheckBox>("cbEOL2")->isChecked());
        QCOMPARE(field<QComboBox>("cbInOut3Type")->currentText(), QString("NC"));

        QString error;
        QVERIFY(saveSettingsFile(path, m_descs, &error));
        const QByteArray saved = readBytes(path);
        QVERIFY(saved.startsWith("; Bisora settings\r\n[Other]\r\nKey = kept as it is \r\n\r\n[settings]\r\n"));
        QVERIFY(saved.endsWith("[Tail]\r\nx=1\r\n"));
        QVERIFY(saved.contains("\r\nedSuperusernr=B\xF6 \xFB 1\r\n; edApn1User=commented out\r\ncbInOut2Type=NC\r\n"));
        QVERIFY(!saved.contains("\n\n") && saved.count('\n') == saved.count("\r\n"));
        QCOMPARE(saved.count("[settings]") + saved.count("[Settings]"), 1);

        ProfileFile reread;
        QVERIFY(reread.load(path));
        QCOMPARE(reread.readString("Other", "key"), QByteArray("kept as it is"));
        QCOMPARE(reread.readString("SETTINGS", "edApn1Name"), QByteArray("  spaced  "));
        QCOMPARE(reread.readString("Settings", "edApn1User"), QByteArray(""));
    }

    void newFileHasOneEntryPerField()
    {
        const QString path = m_dir.filePath("setup.ini");
        QVERIFY(saveSettingsFile(path, m_descs));
        const QByteArrayList lines = readBytes(path).split('\n');
        QCOMPARE(lines.first(), QByteArray("[Settings]\r"));
        QCOMPARE(lines.size(), 1 + 120 + 1); // header, entries, the empty rest after the last CR LF
        QCOMPARE(lines.at(1), QByteArray("cbUseBackupServers=0\r"));
        QCOMPARE(lines.at(2), QByteArray("edSuperusernr=\r"));
        QCOMPARE(lines.at(120), QByteArray("cbTestReportMS2=0\r"));
        QVERIFY(lines.contains("cbInOut2Type=NO\r"));
        QVERIFY(lines.contains("seBattLow=11500\r"));
    }

    void valuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("leading blank") << " lead";
        QTest::newRow("trailing blank") << "trail ";
        QTest::newRow("only blanks") << "   ";
        QTest::newRow("tab") << "\tx";
        QTest::newRow("double quoted") << "\"quoted\"";
        QTest::newRow("single quoted") << "'single'";
        QTest::newRow("one quote") << "\"";
        QTest::newRow("mixed quotes") << "'x\"";
        QTest::newRow("quoted with blanks") << " \"a\" ";
        QTest::newRow("equals") << "a=b=c";
        QTest::newRow("semicolon") << ";not a comment";
        QTest::newRow("bracket") << "[Tail]";
        QTest::newRow("empty") << "";
        QTest::newRow("hungarian") << QString::fromUtf8("ÁÉÍÓÖŐÚÜŰ áéíóöőúüű");
        QTest::newRow("romanian") << QString::fromUtf8("ĂÂÎŞŢ ăâîşţ");
        QTest::newRow("long") << QString(5000, QChar('z'));
    }

    void valuesRoundTrip()
    {
        QFETCH(QString, value);
        const QString path = m_dir.filePath("values.ini");
        writeBytes(path, windowsFixture);
        auto* edit = field<QLineEdit>("edInName2");
        edit->setText(value);
        QVERIFY(saveSettingsFile(path, m_descs));
        edit->setText("changed");
        openSettingsFile(path, m_descs);
        QCOMPARE(edit->text(), value);
        // and again over the file it wrote itself
        QVERIFY(saveSettingsFile(path, m_descs));
        openSettingsFile(path, m_descs);
        QCOMPARE(edit->text(), value);
    }

    void lineBreakValueFailsAndKeepsOldFile()
    {
        const QString path = m_dir.filePath("old.ini");
        writeBytes(path, windowsFixture);
        field<QLineEdit>("edInName3")->setText("two\r\nlines");
        QString error;
        QVERIFY(!saveSettingsFile(path, m_descs, &error));
        QCOMPARE(error, QString("Unable to write to %1").arg(path));
        QCOMPARE(readBytes(path), windowsFixture);
    }

    void missingFolderFails()
    {
        const QString path = m_dir.filePath("no/such/folder/conf.ini");
        QString error;
        QVERIFY(!saveSettingsFile(path, m_descs, &error));
        QCOMPARE(error, QString("Unable to write to %1").arg(path));
    }

    void readOnlyFolderFailsAndKeepsOldFile()
    {
        const QString folder = m_dir.filePath("locked");
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + "/conf.ini";
        writeBytes(path, windowsFixture);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const bool writable = QFile(folder + "/probe").open(QIODevice::WriteOnly);
        if (writable) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("the folder stays writable for this user (root)");
        }
        QString error;
        const bool saved = saveSettingsFile(path, m_descs, &error);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(error, QString("Unable to write to %1").arg(path));
        QCOMPARE(readBytes(path), windowsFixture);
    }

    void missingFileOpensAsEmpty()
    {
        field<QComboBox>("cbIn1ARemType")->setCurrentIndex(2);
        openSettingsFile(m_dir.filePath("nothing.ini"), m_descs);
        QCOMPARE(field<QLineEdit>("edCIDCode1")->text(), QString());
        QVERIFY(field<QCheckBox>("cbTestReportMS1")->isChecked());
        QCOMPARE(field<QComboBox>("cbIn1ARemType")->currentText(), QString("KX-31"));
    }

    void profileWriteRules()
    {
        ProfileFile file;
        QVERIFY(file.writeString("A", "k", "1"));
        QVERIFY(file.writeString("B", "k", "2"));
        QVERIFY(file.writeString("a", "K", "3")); // same entry, other letter case
        QVERIFY(file.writeString("A", "new", "4"));
        QVERIFY(!file.writeString("A", "bad=key", "5"));
        QVERIFY(!file.writeString("A", "k", "x\ny"));
        QCOMPARE(file.lines(), (QByteArrayList{"[A]", "K=3", "new=4", "[B]", "k=2"}));
    }

private:
    template <class Kind>
    Kind* field(const char* name)
    {
        Kind* found = m_page->findChild<Kind*>(name);
        if (!found)
            qFatal("fixture lacks %s", name);
        return found;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_page;
    ControlDescList m_descs;
};

QTEST_MAIN(TestSettingsFile)
#include "tst_SettingsFile.moc"
