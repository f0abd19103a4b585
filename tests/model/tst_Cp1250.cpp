#include "Cp1250.h"

#include <QStandardPaths>
#include <QTest>

class TestCp1250 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        requireCp1250();
    }

    void letters_data()
    {
        QTest::addColumn<QString>("letter");
        QTest::addColumn<int>("byte"); // -1 = code page 1250 cannot hold it
        const struct {
            const char* utf8;
            int byte;
        } table[] = {
            {"Á", 0xC1}, {"É", 0xC9}, {"Í", 0xCD}, {"Ó", 0xD3}, {"Ö", 0xD6}, {"Ő", 0xD5},
            {"Ú", 0xDA}, {"Ü", 0xDC}, {"Ű", 0xDB}, {"á", 0xE1}, {"é", 0xE9}, {"í", 0xED},
            {"ó", 0xF3}, {"ö", 0xF6}, {"ő", 0xF5}, {"ú", 0xFA}, {"ü", 0xFC}, {"ű", 0xFB},
            {"Ă", 0xC3}, {"Â", 0xC2}, {"Î", 0xCE}, {"Ş", 0xAA}, {"Ţ", 0xDE}, {"ă", 0xE3},
            {"â", 0xE2}, {"î", 0xEE}, {"ş", 0xBA}, {"ţ", 0xFE},
            // Comma-below letters exist only in later code pages.
            {"Ș", -1}, {"Ț", -1}, {"ș", -1}, {"ț", -1},
        };
        for (const auto& row : table)
            QTest::newRow(row.utf8) << QString::fromUtf8(row.utf8) << row.byte;
    }

    void letters()
    {
        QFETCH(QString, letter);
        QFETCH(int, byte);
        Cp1250Validator validator;
        QString input = "x" + letter;
        int pos = input.size();
        if (byte < 0) {
            QVERIFY(!fitsCp1250(letter));
            QCOMPARE(validator.validate(input, pos), QValidator::Invalid);
        } else {
            QVERIFY(fitsCp1250(letter));
            QCOMPARE(validator.validate(input, pos), QValidator::Acceptable);
            const QByteArray bytes = toCp1250(letter);
            QCOMPARE(bytes, QByteArray(1, char(byte)));
            QCOMPARE(fromCp1250(bytes), letter);
        }
    }

    void allBytesRoundTrip()
    {
        // Every byte a device or a file may send comes back unchanged after a field holds it.
        for (int b = 1; b < 256; ++b) {
            const QByteArray bytes(1, char(b));
            const QString text = fromCp1250(bytes);
            if (text == QChar(0xFFFD))
                continue; // the few bytes code page 1250 leaves undefined
            QCOMPARE(toCp1250(text), bytes);
        }
    }

    void validatorRefusesLineBreaks_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("LF") << "a\nb";
        QTest::newRow("CR") << "a\r";
    }

    void validatorRefusesLineBreaks()
    {
        QFETCH(QString, input);
        Cp1250Validator validator;
        int pos = 0;
        QCOMPARE(validator.validate(input, pos), QValidator::Invalid);
    }
};

QTEST_MAIN(TestCp1250)
#include "tst_Cp1250.moc"
