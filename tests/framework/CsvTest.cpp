// CSV as written for spreadsheets and read back from terminal-list files.
#include "Csv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class CsvTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldsSurviveWriteAndRead_data();
    void fieldsSurviveWriteAndRead();
    void readsLineEndsBlankLinesAndLineNumbers();
    void fileHasByteOrderMarkAndCrLf();
    void failedWriteNamesTheFileAndKeepsTheOldOne();
};

void CsvTest::fieldsSurviveWriteAndRead_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << QStringList{"1", "黑白屏", "TCP/IP"};
    QTest::newRow("comma and quote") << QStringList{"a,b", "say \"hi\"", ""};
    QTest::newRow("line breaks") << QStringList{"two\nlines", "cr\r\nlf", "x"};
    QTest::newRow("blanks kept") << QStringList{" lead", "trail ", "  "};
    QTest::newRow("empty fields") << QStringList{"", "", ""};
}

void CsvTest::fieldsSurviveWriteAndRead()
{
    QFETCH(QStringList, fields);
    QString text;
    for (int i = 0; i < fields.size(); ++i) {
        if (i)
            text += QLatin1Char(',');
        Csv::appendField(text, fields.at(i));
    }
    text += QLatin1String("\r\nnext\r\n");
    const QList<Csv::Record> records = Csv::parse(text);
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(0).fields, fields);
    QCOMPARE(records.at(1).fields, QStringList{"next"});
}

void CsvTest::readsLineEndsBlankLinesAndLineNumbers()
{
    const QString text = QStringLiteral("\uFEFFa,b\n\r\n\"x\ny\",z\rlast");
    const QList<Csv::Record> records = Csv::parse(text);
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.at(0).fields, (QStringList{"a", "b"}));
    QCOMPARE(records.at(0).line, 1);
    QCOMPARE(records.at(1).fields, (QStringList{"x\ny", "z"}));
    QCOMPARE(records.at(1).line, 3); // the blank line 2 is skipped
    QCOMPARE(records.at(2).fields, QStringList{"last"});
    QCOMPARE(records.at(2).line, 5);
}

void CsvTest::fileHasByteOrderMarkAndCrLf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("考勤.csv"));
    CsvWriter writer(path);
    QVERIFY(writer.open());
    writer.addRow({QStringLiteral("设备号"), QStringLiteral("时间")});
    writer.addField(7);
    writer.addField(QStringLiteral("2024-05-03 08:05"));
    writer.endRow();
    QVERIFY(writer.commit());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF") + QStringLiteral("设备号,时间\r\n7,2024-05-03 08:05\r\n").toUtf8());
    QList<Csv::Record> records;
    QString error;
    QVERIFY(Csv::readFile(path, records, error));
    QCOMPARE(records.at(0).fields.first(), QStringLiteral("设备号"));
}

void CsvTest::failedWriteNamesTheFileAndKeepsTheOldOne()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no-such-folder/out.csv"));
    CsvWriter writer(missing);
    QVERIFY(!writer.open());
    QVERIFY(writer.errorString().contains(missing));

    // A cancelled write leaves the file that was there before.
    const QString existing = dir.filePath(QStringLiteral("old.csv"));
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old\r\n");
    old.close();
    CsvWriter replacing(existing);
    QVERIFY(replacing.open());
    replacing.addRow({QStringLiteral("new")});
    replacing.cancel();
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.csv"});
}

QTEST_GUILESS_MAIN(CsvTest)
#include "CsvTest.moc"
