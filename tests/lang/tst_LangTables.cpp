// The three language tables: sizes, key sets and order, the shape of every text.

#include "LangTables.h"

#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <QTest>

namespace {

struct Language
{
    const char* name;
    LangTable table;
    QString allowedNonAscii;
};

QList<Language> languages()
{
    return {
        {"en", {LangTableEn, LangTableEnCount}, QString()},
        {"hu", {LangTableHu, LangTableHuCount}, QStringLiteral("ÉÍÚÜáéíóöúü")},
        {"ro", {LangTableRo, LangTableRoCount}, QStringLiteral("Îî")},
    };
}

QStringList keysOf(LangTable t)
{
    QStringList keys;
    for (int i = 0; i < t.count; ++i)
        keys << QString::fromLatin1(t.rows[i].key);
    return keys;
}

QString textOf(LangTable t, const char* key)
{
    for (int i = 0; i < t.count; ++i)
        if (qstrcmp(t.rows[i].key, key) == 0)
            return QString::fromUtf8(t.rows[i].text);
    return QString();
}

} // namespace

class TestLangTables : public QObject
{
    Q_OBJECT

private slots:
    void rowCountsAndSelection_data();
    void rowCountsAndSelection();
    void keySetsAndOrder();
    void textsWellFormed_data();
    void textsWellFormed();
    void lineBreaksOnlyWhereExpected_data();
    void lineBreaksOnlyWhereExpected();
    void outputModeItems_data();
    void outputModeItems();
};

void TestLangTables::rowCountsAndSelection_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<const void*>("rows");
    QTest::addColumn<int>("count");
    QTest::newRow("hu") << "hu" << static_cast<const void*>(LangTableHu) << 148;
    QTest::newRow("ro") << "ro" << static_cast<const void*>(LangTableRo) << 148;
    QTest::newRow("en") << "en" << static_cast<const void*>(LangTableEn) << 149;
    // Normalisation is the caller's: anything but exactly "hu" or "ro" is English here.
    QTest::newRow("HU") << "HU" << static_cast<const void*>(LangTableEn) << 149;
    QTest::newRow("empty") << "" << static_cast<const void*>(LangTableEn) << 149;
    QTest::newRow("de") << "de" << static_cast<const void*>(LangTableEn) << 149;
}

void TestLangTables::rowCountsAndSelection()
{
    QFETCH(QString, code);
    QFETCH(const void*, rows);
    QFETCH(int, count);
    const LangTable t = langTableFor(code.toStdString());
    QCOMPARE(static_cast<const void*>(t.rows), rows);
    QCOMPARE(t.count, count);
}

void TestLangTables::keySetsAndOrder()
{
    const QStringList en = keysOf({LangTableEn, LangTableEnCount});
    const QStringList hu = keysOf({LangTableHu, LangTableHuCount});
    const QStringList ro = keysOf({LangTableRo, LangTableRoCount});
    for (const QStringList& keys : {en, hu, ro}) {
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        for (const QString& key : keys) {
            QVERIFY2(!key.isEmpty(), "empty key");
            for (QChar c : key)
                QVERIFY2(c.unicode() > 32 && c.unicode() < 127, qPrintable(key));
        }
    }
    QCOMPARE(hu, ro);

    // English = the others plus btnLogin, and lbGsmProvider1 sits after lbGsmUptime1 instead
    // of after lbGprsUptime1.
    QStringList expected = hu;
    expected.removeOne(QStringLiteral("lbGsmProvider1"));
    expected.insert(expected.indexOf(QStringLiteral("lbGsmUptime1")) + 1,
                    QStringLiteral("lbGsmProvider1"));
    expected.insert(expected.indexOf(QStringLiteral("btnWrite")) + 1, QStringLiteral("btnLogin"));
    QCOMPARE(en, expected);
    QCOMPARE(hu.indexOf(QStringLiteral("lbGsmProvider1")),
             hu.indexOf(QStringLiteral("lbGprsUptime1")) + 1);
    QVERIFY(!hu.contains(QStringLiteral("btnLogin")));
}

void TestLangTables::textsWellFormed_data()
{
    QTest::addColumn<int>("language");
    for (int i = 0; i < languages().size(); ++i)
        QTest::newRow(languages()[i].name) << i;
}

void TestLangTables::textsWellFormed()
{
    QFETCH(int, language);
    const Language lang = languages()[language];
    QStringEncoder cp1250("windows-1250");
    QVERIFY(cp1250.isValid());
    for (int i = 0; i < lang.table.count; ++i) {
        const LangEntry& row = lang.table.rows[i];
        QVERIFY2(row.text != nullptr, row.key);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(QByteArray(row.text));
        QVERIFY2(!utf8.hasError(), row.key);
        QVERIFY2(!text.isEmpty(), row.key);
        QVERIFY2(!text.startsWith(u' ') && !text.endsWith(u' '), row.key);
        for (const QString& line : text.split(QStringLiteral("\r\n")).join(u'\n').split(u'\n'))
            QVERIFY2(line == line.trimmed(), row.key);
        for (QChar c : text)
            if (c.unicode() > 127)
                QVERIFY2(lang.allowedNonAscii.contains(c), qPrintable(QString::fromLatin1(row.key)
                                                                      + u' ' + c));
        const QByteArray encoded = cp1250(text);
        QVERIFY2(!cp1250.hasError(), row.key);
        QCOMPARE(encoded.size(), text.size()); // one byte per character: nothing dropped
    }
}

void TestLangTables::lineBreaksOnlyWhereExpected_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("keys");
    const QStringList common = {"lbCIDFreq", "txtReceiverStatusOnlineAckError",
                                "txtReceiverStatusOfflineNoResponse",
                                "txtReceiverStatusNotConfigured", "edOm1"};
    QTest::newRow("en") << 0 << common;
    QTest::newRow("hu") << 1 << (QStringList(common) << "txtReceiverStatusOffline");
    QTest::newRow("ro") << 2 << (QStringList(common) << "txtReceiverStatusOffline");
}

void TestLangTables::lineBreaksOnlyWhereExpected()
{
    QFETCH(int, language);
    QFETCH(QStringList, keys);
    const LangTable t = languages()[language].table;
    QStringList withBreak;
    for (int i = 0; i < t.count; ++i) {
        const QByteArray text(t.rows[i].text);
        if (text.contains('\n'))
            withBreak << QString::fromLatin1(t.rows[i].key);
        // Carriage returns only as the item ends of the output-mode list.
        if (text.contains('\r'))
            QCOMPARE(QByteArray(t.rows[i].key), QByteArray("edOm1"));
    }
    withBreak.sort();
    keys.sort();
    QCOMPARE(withBreak, keys);
    QCOMPARE(textOf(t, "txtReceiverStatusNotConfigured").count(u'\n'), 1);
}

void TestLangTables::outputModeItems_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("en") << 0
                        << QStringList{"follows input 1 status", "follows input 2 status",
                                       "follows input 3 status", "follows input 4 status",
                                       "follows input 5 status", "follows input 6 status",
                                       "On if any input is active", "Indicates battery trouble",
                                       "Indicates communication trouble"};
    QTest::newRow("hu") << 1
                        << QStringList{"1. bemenet állapotának követése",
                                       "2. bemenet állapotának követése",
                                       "3. bemenet állapotának követése",
                                       "4. bemenet állapotának követése",
                                       "5. bemenet állapotának követése",
                                       "6. bemenet állapotának követése",
                                       "Aktív, ha bármely bemenet aktív",
                                       "Akkumulátor hiba jelzése", "Kommunikációs hiba jelzése"};
    QTest::newRow("ro") << 2
                        << QStringList{"Urmarea starii intrarii 1", "Urmarea starii intrarii 2",
                                       "Urmarea starii intrarii 3", "Urmarea starii intrarii 4",
                                       "Urmarea starii intrarii 5", "Urmarea starii intrarii 6",
                                       "Activat, daca oricare intrare e activata",
                                       "Indicare eroare de baterie",
                                       "Indicare eroare de comunicare"};
}

void TestLangTables::outputModeItems()
{
    QFETCH(int, language);
    QFETCH(QStringList, items);
    const QString text = textOf(languages()[language].table, "edOm1");
    QVERIFY(text.endsWith(QStringLiteral("\r\n")));
    QStringList parts = text.split(QStringLiteral("\r\n"));
    QCOMPARE(parts.takeLast(), QString()); // the final line end starts no tenth item
    QCOMPARE(parts.size(), 9);
    QCOMPARE(parts, items);
}

QTEST_APPLESS_MAIN(TestLangTables)
#include "tst_LangTables.moc"
