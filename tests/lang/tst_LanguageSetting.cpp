// The stored language choice: read as stored, written exactly as passed, never by a switch
// of the texts alone.

#include "LangMan.h"
#include "LanguageSetting.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLanguageSetting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void missingValueReadsEmptyAndCreatesNothing();
    void writtenExactlyAsPassed_data();
    void writtenExactlyAsPassed();
    void applyingALanguageNeverStores();

private:
    QString storeFile() const { return m_dir.filePath(QStringLiteral("VEKT/Bisora/Pragant.conf")); }

    QTemporaryDir m_dir;
};

void TestLanguageSetting::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
}

void TestLanguageSetting::init()
{
    QFile::remove(storeFile());
    QVERIFY(!QFile::exists(storeFile()));
}

void TestLanguageSetting::missingValueReadsEmptyAndCreatesNothing()
{
    QCOMPARE(readLanguageId(), QString());
    QVERIFY(readLanguageId().isEmpty());
    QVERIFY(!QFile::exists(storeFile()));
}

void TestLanguageSetting::writtenExactlyAsPassed_data()
{
    QTest::addColumn<QString>("code");
    for (const char* code : {"ro", "en", "hu", "Ro", "HU", " hu", "de", ""})
        QTest::newRow(code[0] ? code : "empty") << QString::fromLatin1(code);
}

void TestLanguageSetting::writtenExactlyAsPassed()
{
    QFETCH(QString, code);
    writeLanguageId(code);
    QVERIFY(QFile::exists(storeFile()));
    QCOMPARE(readLanguageId(), code);
    QSettings raw(storeFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("LanguageId")).toString(), code);

    // Writing the same code again keeps it, as a click on the language already shown does.
    writeLanguageId(code);
    QCOMPARE(readLanguageId(), code);
}

void TestLanguageSetting::applyingALanguageNeverStores()
{
    QWidget root;
    auto* label = new QLabel(&root);
    label->setObjectName(QStringLiteral("lbPowerName"));
    LangMan man(&root);
    for (const char* code : {"", "HU", "Ro", "de", " hu", "en"})
        man.ApplyLanguage(QString::fromLatin1(code));
    QVERIFY(!QFile::exists(storeFile()));

    writeLanguageId(QStringLiteral("Ro"));
    man.ApplyLanguage(QStringLiteral("en"));
    QCOMPARE(label->text(), QStringLiteral("Supply voltage:"));
    QCOMPARE(readLanguageId(), QStringLiteral("Ro"));
}

QTEST_MAIN(TestLanguageSetting)
#include "tst_LanguageSetting.moc"
