#include "TestFiles.h"
#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace TestFiles;

namespace {

} // namespace

class IniFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void read_data();
    void read();
    void sectionAndKeyLists();
    void write_data();
    void write();
    void writesOfOneDocumentAccumulate();
    void refusedText_data();
    void refusedText();
    void tooLargeFileIsRefusedUnread();
    void refusedWrite_data();
    void refusedWrite();
    void writeValueReplacesFileAtomically();
    void writeValueCreatesMissingFile();
    void writeFailures();
};

void IniFileTest::read_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("plain") << "[s]\r\nk=v\r\n"_ba << u"s"_s << u"k"_s << true << u"v"_s;
    QTest::newRow("names ignore ASCII case")
        << "[Sec]\r\nKey=v\r\n"_ba << u"sEC"_s << u"kEY"_s << true << u"v"_s;
    QTest::newRow("blanks around names and value")
        << "[ s ]\n \tk \t= \f v w \v\n"_ba << u" s"_s << u"k "_s << true << u"v w"_s;
    QTest::newRow("inner blanks count")
        << "[my  sec]\nk=v\n"_ba << u"my sec"_s << u"k"_s << false << QString();
    QTest::newRow("ideographic space is text")
        << gbk(u"[s]\nk=\u3000v\u3000\n"_s) << u"s"_s << u"k"_s << true << u"\u3000v\u3000"_s;
    QTest::newRow("first duplicate key wins") << "[s]\nk=1\nK=2\n"_ba << u"s"_s << u"k"_s << true << u"1"_s;
    QTest::newRow("first duplicate section wins")
        << "[s]\na=1\n[S]\nb=2\n"_ba << u"s"_s << u"b"_s << false << QString();
    QTest::newRow("empty value is a value") << "[s]\nk=   \n"_ba << u"s"_s << u"k"_s << true << QString();
    QTest::newRow("missing key") << "[s]\nk=v\n"_ba << u"s"_s << u"x"_s << false << QString();
    QTest::newRow("missing section") << "[s]\nk=v\n"_ba << u"t"_s << u"k"_s << false << QString();
    QTest::newRow("rest after first equals") << "[s]\nk=a=b\n"_ba << u"s"_s << u"k"_s << true << u"a=b"_s;
    QTest::newRow("semicolon inside a value")
        << "[s]\nk=v ; x\n"_ba << u"s"_s << u"k"_s << true << u"v ; x"_s;
    QTest::newRow("comment line") << "[s]\n;k=v\n"_ba << u"s"_s << u";k"_s << false << QString();
    QTest::newRow("line without equals") << "[s]\nlone\n"_ba << u"s"_s << u"lone"_s << false << QString();
    QTest::newRow("quotes pair off") << "[s]\nk=\" sp \"\n"_ba << u"s"_s << u"k"_s << true << u" sp "_s;
    QTest::newRow("single quotes pair off") << "[s]\nk='34'\n"_ba << u"s"_s << u"k"_s << true << u"34"_s;
    QTest::newRow("mixed quotes stay") << "[s]\nk=\"a'\n"_ba << u"s"_s << u"k"_s << true << u"\"a'"_s;
    QTest::newRow("lone quote stays") << "[s]\nk=\"\n"_ba << u"s"_s << u"k"_s << true << u"\""_s;
    QTest::newRow("header with trailing text") << "[a] junk\nk=v\n"_ba << u"a"_s << u"k"_s << true << u"v"_s;
    QTest::newRow("header up to last bracket") << "[d]e]\nk=v\n"_ba << u"d]e"_s << u"k"_s << true << u"v"_s;
    QTest::newRow("bracket without close is no header")
        << "[s]\n[b\nk=v\n"_ba << u"s"_s << u"k"_s << true << u"v"_s;
    QTest::newRow("keys before first header") << "k=v\n[s]\n"_ba << QString() << u"k"_s << true << u"v"_s;
    QTest::newRow("CR line ends") << "[s]\rk=v\rj=w"_ba << u"s"_s << u"j"_s << true << u"w"_s;
    QTest::newRow("LF CR line ends") << "[s]\n\rk=v\n\r"_ba << u"s"_s << u"k"_s << true << u"v"_s;
    QTest::newRow("GBK names and value")
        << gbk(u"[参数]\r\n单位编号=张三\r\n"_s) << u"参数"_s << u"单位编号"_s << true << u"张三"_s;
    // 礎 is B5 41 and 礱 B5 61: their bytes differ only by ASCII case.
    QTest::newRow("GBK trail bytes never fold")
        << gbk(u"[s]\n礎=1\n"_s) << u"s"_s << u"礱"_s << false << QString();
    QTest::newRow("fullwidth letters keep case")
        << gbk(u"[Ａ]\nk=v\n"_s) << u"ａ"_s << u"k"_s << false << QString();
    // 輂 is DD 5D: its second byte is "]".
    QTest::newRow("GBK trail bracket is no syntax")
        << gbk(u"[輂x]\nk=v\n"_s) << u"輂x"_s << u"k"_s << true << u"v"_s;
    QTest::newRow("damaged bytes stay in their line")
        << "[s]\nj=\x81\nk=v\n"_ba << u"s"_s << u"k"_s << true << u"v"_s;
}

void IniFileTest::read() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, value);

    const IniFile ini = IniFile::fromBytes(file);
    const std::optional<QString> result = ini.find(section, key);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, value);
    else
        QCOMPARE(ini.value(section, key, u"default"_s), u"default"_s);
}

void IniFileTest::sectionAndKeyLists() {
    const IniFile ini = IniFile::fromBytes(
        "top=1\n[Users_2]\nName=b\n;c=1\nlone\nName=c\nPassword=\n[]\n[users_2]\nx=1\n[Users_10]\n"_ba);
    QCOMPARE(ini.sectionNames(), QStringList({u"Users_2"_s, u"users_2"_s, u"Users_10"_s}));
    QCOMPARE(ini.keyNames(u"USERS_2"_s), QStringList({u"Name"_s, u"Name"_s, u"Password"_s}));
    QCOMPARE(ini.keyNames(u"Users_10"_s), QStringList());
    QCOMPARE(ini.keyNames(u"missing"_s), QStringList());
    QVERIFY(ini.hasSection(u"users_10"_s));
    QVERIFY(!ini.hasSection(u"Users_1"_s));
}

void IniFileTest::write_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("empty file") << QByteArray() << u"sec"_s << u"key"_s << u"val"_s
                                << "[sec]\r\nkey=val\r\n"_ba;
    QTest::newRow("replace keeps spelling and line end")
        << "[Sec]\r\n Key = old \r\nz=1\r\n"_ba << u"SEC"_s << u"KEY"_s << u"new"_s
        << "[Sec]\r\n Key =new\r\nz=1\r\n"_ba;
    QTest::newRow("replace first duplicate only")
        << "[s]\nk=1\nk=2\n[s]\nk=3\n"_ba << u"s"_s << u"k"_s << u"9"_s << "[s]\nk=9\nk=2\n[s]\nk=3\n"_ba;
    QTest::newRow("new key after comments, before blank lines")
        << "[a]\r\nx=1\r\n;note\r\n\r\n[b]\r\ny=2\r\n"_ba << u"A"_s << u"n"_s << u"v"_s
        << "[a]\r\nx=1\r\n;note\r\nn=v\r\n\r\n[b]\r\ny=2\r\n"_ba;
    QTest::newRow("new key in empty last section without final newline")
        << "[a]\nx=1\n[b]"_ba << u"b"_s << u"k"_s << u"v"_s << "[a]\nx=1\n[b]\nk=v\n"_ba;
    QTest::newRow("new section at the end, final newline added, LF kept")
        << "[a]\nx=1"_ba << u"b"_s << u"k"_s << u""_s << "[a]\nx=1\n[b]\nk=\n"_ba;
    QTest::newRow("new section after blank lines")
        << "[a]\r\n\r\n"_ba << u"b"_s << u"k"_s << u"1"_s << "[a]\r\n\r\n[b]\r\nk=1\r\n"_ba;
    QTest::newRow("names written trimmed")
        << QByteArray() << u" s "_s << u" k\t"_s << u"v"_s << "[s]\r\nk=v\r\n"_ba;
    QTest::newRow("GBK text") << gbk(u"[参数]\r\n"_s) << u"参数"_s << u"默认EXCEL格式"_s << u"张三"_s
                              << gbk(u"[参数]\r\n默认EXCEL格式=张三\r\n"_s);
    QTest::newRow("every other byte kept")
        << "j\xFF\xFEunk\n[s]\r\nk=1\n x \x81\r\nk2=\xFF\n"_ba << u"s"_s << u"k"_s << u"2"_s
        << "j\xFF\xFEunk\n[s]\r\nk=2\n x \x81\r\nk2=\xFF\n"_ba;
}

void IniFileTest::write() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    IniFile ini = IniFile::fromBytes(before);
    ini.setValue(section, key, value);
    QCOMPARE(ini.toBytes(), after);
    QCOMPARE(IniFile::fromBytes(after).find(section, key), std::optional<QString>(value));
}

void IniFileTest::writesOfOneDocumentAccumulate() {
    IniFile ini;
    for (int user = 1; user <= 3; ++user) {
        const QString section = u"Users_%1"_s.arg(user);
        ini.setValue(section, u"Privilege"_s, u"0"_s);
        ini.setValue(section, u"Name"_s, u"n%1"_s.arg(user));
    }
    ini.setValue(u"users_1"_s, u"FPT_0"_s, u"AB"_s);
    ini.setValue(u"Users_2"_s, u"name"_s, u"renamed"_s);
    QCOMPARE(ini.toBytes(), "[Users_1]\r\nPrivilege=0\r\nName=n1\r\nFPT_0=AB\r\n"
                            "[Users_2]\r\nPrivilege=0\r\nName=renamed\r\n"
                            "[Users_3]\r\nPrivilege=0\r\nName=n3\r\n"_ba);
    QCOMPARE(ini.sectionNames(), QStringList({u"Users_1"_s, u"Users_2"_s, u"Users_3"_s}));
    QCOMPARE(ini.value(u"Users_3"_s, u"Name"_s), u"n3"_s);
}

void IniFileTest::refusedText_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");

    QTest::newRow("NUL byte") << "[s]\nk=v\0w\n"_ba << u"INI text is not a text file: NUL byte at offset 7"_s;
    QTest::newRow("UTF-16") << "\xFF\xFE[\0s\0]\0"_ba << u"INI text is UTF-16 text; it must be GBK text"_s;
    QTest::newRow("UTF-8 BOM") << "\xEF\xBB\xBF[s]\n"_ba
                               << u"INI text is UTF-8 text with a byte-order mark; it must be GBK text"_s;
    QByteArray sections;
    for (qsizetype i = 0; i <= IniFile::MaxSections; ++i)
        sections += "[Users_" + QByteArray::number(i) + "]\n";
    QTest::newRow("too many sections") << sections << u"INI text has too many sections (at most 100000)"_s;
}

void IniFileTest::refusedText() {
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QCOMPARE(errorOf([&] { IniFile::fromBytes(file); }), error);
}

void IniFileTest::tooLargeFileIsRefusedUnread() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"big.ini"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(IniFile::MaxFileBytes + 1)); // sparse: nothing is really written
    file.close();
    QCOMPARE(errorOf([&] { IniFile::load(path); }),
             u"INI file %1 is too large: 134217729 bytes (at most 134217728)"_s.arg(path));
}

void IniFileTest::refusedWrite_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("error");

    QTest::newRow("line break in value")
        << u"s"_s << u"k"_s << u"a\nb"_s
        << u"INI value \"a\nb\" contains a line break or NUL, which the file cannot hold"_s;
    QTest::newRow("blank section") << u"  "_s << u"k"_s << u"v"_s << u"INI section name \"  \" is empty"_s;
    QTest::newRow("empty key") << u"s"_s << QString() << u"v"_s
                               << u"INI key name \"\" is empty (section s)"_s;
    QTest::newRow("equals in key")
        << u"s"_s << u"a=b"_s << u"v"_s
        << u"INI key name \"a=b\" cannot be written: it would not read back as that key"_s;
    QTest::newRow("comment key")
        << u"s"_s << u";k"_s << u"v"_s
        << u"INI key name \";k\" cannot be written: it would not read back as that key"_s;
    QTest::newRow("not GBK") << u"s"_s << u"k"_s << u"😀"_s
                             << u"INI value \"😀\" holds characters that GBK text cannot hold"_s;
    QTest::newRow("value too long") << u"s"_s << u"FPT_0"_s << QString(IniFile::MaxValueBytes + 1, u'A')
                                    << u"INI value of [s] FPT_0 is too long: 32767 bytes (at most 32766)"_s;
}

void IniFileTest::refusedWrite() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, error);

    IniFile ini = IniFile::fromBytes("[s]\nk=1\n"_ba);
    QCOMPARE(errorOf([&] { ini.setValue(section, key, value); }), error);
    QCOMPARE(ini.toBytes(), "[s]\nk=1\n"_ba);
}

void IniFileTest::writeValueReplacesFileAtomically() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.ini"_s);
    writeFile(path, "[PARAM]\r\n;keep me\r\nx=1\r\n");
    IniFile::writeValue(path, u"param"_s, u"X"_s, u"2"_s);
    QCOMPARE(readFile(path), "[PARAM]\r\n;keep me\r\nx=2\r\n"_ba);
    // The temporary file was renamed over the file, none is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({u"settings.ini"_s}));
    // A later load sees a change another program made in between.
    writeFile(path, "[PARAM]\r\nx=3\r\n");
    QCOMPARE(IniFile::load(path).value(u"PARAM"_s, u"x"_s), u"3"_s);
}

void IniFileTest::writeValueCreatesMissingFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"new.ini"_s);
    QCOMPARE(IniFile::load(path).sectionNames(), QStringList());
    IniFile::writeValue(path, u"WIN"_s, u"WIDTH"_s, u"1000"_s);
    QCOMPARE(readFile(path), "[WIN]\r\nWIDTH=1000\r\n"_ba);
}

void IniFileTest::writeFailures() {
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(u"nowhere/x.ini"_s);
    QVERIFY(errorOf([&] {
                IniFile::writeValue(missingFolder, u"s"_s, u"k"_s, u"v"_s);
            }).startsWith(u"cannot write INI file %1: "_s.arg(missingFolder)));

    const QString readOnly = dir.filePath(u"ro.ini"_s);
    writeFile(readOnly, "[s]\nk=1\n");
    QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    QCOMPARE(errorOf([&] { IniFile::writeValue(readOnly, u"s"_s, u"k"_s, u"2"_s); }),
             u"cannot write INI file %1: the file is read-only"_s.arg(readOnly));
    QCOMPARE(readFile(readOnly), "[s]\nk=1\n"_ba);

    QCOMPARE(errorOf([&] { IniFile::load(dir.path()); }), u"INI file %1 is a folder"_s.arg(dir.path()));
}

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFileTest.moc"
