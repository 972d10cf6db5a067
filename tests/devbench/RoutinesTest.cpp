// The test tool's shared conversions: template bytes as hexadecimal text,
// typed integers, the ANSI text of terminal strings, the device-information
// conversions, and whole-file transfers.
#include "DevbenchRoutines.h"
#include "DeviceInfoRows.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class RoutinesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bytesToHex_data();
    void bytesToHex();
    void hexToBytes_data();
    void hexToBytes();
    void integerInput_data();
    void integerInput();
    void ansiText_data();
    void ansiText();
    void timeValueToText_data();
    void timeValueToText();
    void timeTextToValue_data();
    void timeTextToValue();
    void netSpeed_data();
    void netSpeed();
    void rowTexts_data();
    void rowTexts();
    void fileRoundTrip();
    void fileErrorsNameTheFile();
};

void RoutinesTest::bytesToHex_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("hex");
    QTest::newRow("10 and 255") << QByteArray("\x0a\xff", 2) << 2 << "0AFF";
    QTest::newRow("high bit, zero") << QByteArray("\x80\x00\x7f", 3) << 3 << "80007F";
    QTest::newRow("first count bytes") << QByteArray("\x12\x34\x56", 3) << 2 << "1234";
    QTest::newRow("nothing") << QByteArray() << 0 << "";
    QTest::newRow("count beyond the bytes") << QByteArray("\x01", 1) << 4 << "01";
}

void RoutinesTest::bytesToHex()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(QString, hex);
    QCOMPARE(BytesToHex(bytes, count), hex);
}

void RoutinesTest::hexToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::newRow("lower case") << "0aff" << QByteArray("\x0a\xff", 2) << "";
    QTest::newRow("unpaired last digit") << "ABC" << QByteArray("\xab", 1) << "";
    QTest::newRow("empty") << "" << QByteArray() << "";
    QTest::newRow("below 0 counts 0") << " 1" << QByteArray("\x01", 1) << "";
    QTest::newRow("colon is ten") << "1:" << QByteArray("\x1a", 1) << "";
    QTest::newRow("G") << "G0" << QByteArray() << "Error of Integer: G";
    QTest::newRow("g second") << "0g" << QByteArray() << "Error of Integer: g";
    QTest::newRow("at sign") << "@0" << QByteArray() << "Error of Integer: @";
    QTest::newRow("non-ASCII") << QStringLiteral("0中") << QByteArray() << QStringLiteral("Error of Integer: 中");
}

void RoutinesTest::hexToBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    try {
        const QByteArray result = HexToBytes(text);
        QVERIFY2(error.isEmpty(), "no error raised");
        QCOMPARE(result, bytes);
    } catch (const CommandError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), error);
    }
}

void RoutinesTest::integerInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("valid");
    QTest::newRow("decimal") << "4370" << 4370 << true;
    QTest::newRow("hex") << "$1112" << 4370 << true;
    QTest::newRow("hex lower case") << "$ff" << 255 << true;
    QTest::newRow("negative") << "-7" << -7 << true;
    QTest::newRow("leading zeros") << "000" << 0 << true;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << -1 << true;
    QTest::newRow("empty") << "" << 0 << false;
    QTest::newRow("dollar only") << "$" << 0 << false;
    QTest::newRow("trailing letter") << "12a" << 0 << false;
    QTest::newRow("hex without dollar") << "ff" << 0 << false;
    QTest::newRow("too large") << "4294967296" << 0 << false;
}

void RoutinesTest::integerInput()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(bool, valid);
    try {
        QCOMPARE(IntegerOf(text), value);
        QVERIFY(valid);
    } catch (const CommandError& e) {
        QVERIFY(!valid);
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

void RoutinesTest::ansiText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ansi");
    QTest::newRow("ASCII") << "Ver 6.60" << "Ver 6.60";
    QTest::newRow("Chinese") << QStringLiteral("张三丰") << QStringLiteral("张三丰");
    QTest::newRow("traditional in GBK") << QStringLiteral("體") << QStringLiteral("體");
    QTest::newRow("Thai") << QStringLiteral("aกb") << "a?b";
    QTest::newRow("emoji is one character") << QStringLiteral("x\U0001F600y") << "x?y";
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QLatin1Char('z') << "?z";
    QTest::newRow("empty") << "" << "";
}

void RoutinesTest::ansiText()
{
    QFETCH(QString, text);
    QFETCH(QString, ansi);
    QCOMPARE(AnsiText(text), ansi);
}

void RoutinesTest::timeValueToText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("8:5") << 2053 << "8:5";
    QTest::newRow("midnight") << 0 << "0:0";
    QTest::newRow("59:59") << 59 * 256 + 59 << "59:59";
    QTest::newRow("negative") << -1 << "No";
    QTest::newRow("hour 60") << 60 * 256 << "No";
    QTest::newRow("minute 60") << 5 * 256 + 60 << "No";
    QTest::newRow("not set") << 0xFFFF << "No";
}

void RoutinesTest::timeValueToText()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(TimeValueToText(value), text);
}

void RoutinesTest::timeTextToValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::newRow("8:5") << "8:5" << 2053;
    QTest::newRow("leading zeros") << "08:05" << 2053;
    QTest::newRow("blanks") << " 8 : 5 " << 2053;
    QTest::newRow("largest") << "255:255" << 65535;
    QTest::newRow("No") << "No" << -1;
    QTest::newRow("no colon") << "8" << -1;
    QTest::newRow("no minute") << "8:" << -1;
    QTest::newRow("no hour") << ":5" << -1;
    QTest::newRow("hour 256") << "256:0" << -1;
    QTest::newRow("negative") << "-1:0" << -1;
    QTest::newRow("second colon") << "8:5:0" << -1;
}

void RoutinesTest::timeTextToValue()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    try {
        QCOMPARE(TimeTextToValue(text), value);
        QVERIFY(value >= 0);
    } catch (const CommandError& e) {
        QCOMPARE(value, -1);
        QVERIFY(QString::fromUtf8(e.what()).contains(QLatin1Char('\'') + text + QLatin1Char('\'')));
    }
}

void RoutinesTest::netSpeed_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("written");
    QTest::newRow("10M_H") << 0 << "10M_H" << "10M_H" << 0;
    QTest::newRow("100M_H") << 1 << "100M_H" << "100M_H" << 1;
    QTest::newRow("code 2 unknown") << 2 << "10M_H" << "10M_F" << 4;
    QTest::newRow("100M_F") << 5 << "100M_F" << "100M_F" << 5;
    QTest::newRow("AUTO") << 8 << "AUTO" << "AUTO" << 8;
    QTest::newRow("lower case typed") << 8 << "AUTO" << "auto" << 0;
    QTest::newRow("nothing typed") << -3 << "10M_H" << "" << 0;
}

void RoutinesTest::netSpeed()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(int, written);
    QCOMPARE(NetSpeedCodeToText(code), name);
    QCOMPARE(NetSpeedTextToCode(typed), written);
}

void RoutinesTest::rowTexts_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("written");
    QTest::newRow("language in list") << 3 << 1 << "Simplified Chinese" << "Traditional Chinese" << 2;
    QTest::newRow("language outside list") << 3 << 5 << "5" << "5" << 0;
    QTest::newRow("baud rate") << 9 << 3 << "9600 bps" << "115200 bps" << 6;
    QTest::newRow("choice is exact") << 13 << 1 << "On" << "on" << 0;
    QTest::newRow("separator") << 12 << 1 << "\"-\"" << "\"/\"" << 0;
    QTest::newRow("negative choice") << 16 << -1 << "-1" << "On" << 1;
    QTest::newRow("number") << 23 << 35 << "35" << "$20" << 32;
    QTest::newRow("time") << 22 << 2053 << "8:5" << "12:30" << 12 * 256 + 30;
    QTest::newRow("net speed") << 29 << 8 << "AUTO" << "100M_H" << 1;
}

void RoutinesTest::rowTexts()
{
    QFETCH(int, row);
    QFETCH(int, value);
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(int, written);
    QCOMPARE(DeviceInfoRows::valueToText(row, value), text);
    QCOMPARE(DeviceInfoRows::textToValue(row, typed), written);
}

void RoutinesTest::fileRoundTrip()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("fp.bin"));
    const QByteArray bytes("\x00\x0a\xff\r\n\x1a", 6);
    SaveStringToFile(name, bytes);
    QCOMPARE(LoadFileToString(name), bytes);
    SaveStringToFile(name, QByteArray("x"));
    QCOMPARE(LoadFileToString(name), QByteArray("x"));
    SaveStringToFile(name, QByteArray());
    QCOMPARE(QFileInfo(name).size(), 0);
    QCOMPARE(LoadFileToString(name), QByteArray());
    // Nothing but the file itself is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"fp.bin"});
}

void RoutinesTest::fileErrorsNameTheFile()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.bin"));
    try {
        LoadFileToString(missing);
        QFAIL("reading a missing file succeeded");
    } catch (const CommandError& e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(missing));
    }
    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/out.bin"));
    try {
        SaveStringToFile(nowhere, QByteArray("abc"));
        QFAIL("writing into a missing folder succeeded");
    } catch (const CommandError& e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(nowhere));
    }
    // A folder in the file's place: the save fails and the folder stays as it was.
    const QString folder = dir.filePath(QStringLiteral("taken"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    QVERIFY_THROWS_EXCEPTION(CommandError, SaveStringToFile(folder, QByteArray("abc")));
    QVERIFY(QFileInfo(folder).isDir());
}

QTEST_MAIN(RoutinesTest)
#include "RoutinesTest.moc"
