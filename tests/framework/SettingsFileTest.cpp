#include "HalvernSettingsFixture.h"
#include "IniFile.h"
#include "InstalledInputMethods.h"
#include "THV.h"
#include "THalvern.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace TestFiles;

namespace {

const QString Missing = u"INI文件不存在,请先指定要访问的INI文件"_s;

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readiness_data();
    void readiness();
    void missingFileAfterValidPathFailsEveryOperation();
    void fileCreatedAfterPathWasSet();
    void typedReads_data();
    void typedReads();
    void writesGoToDiskAsGbkText();
    void everyReadSeesTheFileOnDisk();
    void loadingFillsSettings_data();
    void loadingFillsSettings();
    void loadingAnEmptyFileWritesItsFallbacks();
    void loadingWithoutSettingsFileChangesNothing();
    void unitNumberNullKeepsEarlierValue();
    void inputMethodsDiscovered();
};

void SettingsFileTest::readiness_data() {
    QTest::addColumn<QString>("path"); // "%1" is the existing file
    QTest::addColumn<bool>("ready");

    QTest::newRow("existing file") << u"%1"_s << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank") << u"   "_s << false;
    QTest::newRow("missing file") << u"%1.missing"_s << false;
    QTest::newRow("folder") << u"%1/.."_s << false;
}

void SettingsFileTest::readiness() {
    QFETCH(QString, path);
    QFETCH(bool, ready);
    HalvernSettingsFixture f("[s]\r\nk=1\r\n");
    f.component.setIni_IniFilePath(path.contains(u"%1") ? path.arg(f.path) : path);
    QCOMPARE(f.component.hv_INI_IsReady(), ready);
    QCOMPARE(errorOf([&] { f.component.hv_INI_ReadString(u"s"_s, u"k"_s); }), ready ? QString() : Missing);
}

void SettingsFileTest::missingFileAfterValidPathFailsEveryOperation() {
    HalvernSettingsFixture f("[s]\r\nk=1\r\n");
    QCOMPARE(f.component.hv_INI_ReadInteger(u"s"_s, u"k"_s), 1);
    f.component.setIni_IniFilePath(f.dir.filePath(u"gone.ini"_s));
    QCOMPARE(f.component.Ini_IniFilePath(), f.dir.filePath(u"gone.ini"_s));
    THalvern& c = f.component;
    const QList<std::function<void()>> operations = {
        [&] { c.hv_INI_ReadString(u"s"_s, u"k"_s); },      [&] { c.hv_INI_ReadInteger(u"s"_s, u"k"_s); },
        [&] { c.hv_INI_ReadBool(u"s"_s, u"k"_s); },        [&] { c.hv_INI_WriteInteger(u"s"_s, u"k"_s, 2); },
        [&] { c.hv_INI_WriteBool(u"s"_s, u"k"_s, true); }, [&] { c.hv_SYS_WIN_GetWinShowAbbInfo(); },
        [&] { c.hv_SYS_WIN_SetWinShowAbbInfo(); },
    };
    for (const auto& operation : operations)
        QCOMPARE(errorOf(operation), Missing);
    QCOMPARE(readFile(f.path), "[s]\r\nk=1\r\n"_ba);
    QVERIFY(!QFile::exists(f.dir.filePath(u"gone.ini"_s)));
}

void SettingsFileTest::fileCreatedAfterPathWasSet() {
    HalvernSettingsFixture f("[s]\r\nk=old\r\n");
    const QString later = f.dir.filePath(u"later.ini"_s);
    f.component.setIni_IniFilePath(u" "_s + later + u" "_s);
    QVERIFY(!f.component.hv_INI_IsReady());
    writeFile(later, "[s]\r\nk=new\r\n");
    f.component.setIni_IniFilePath(later);
    QVERIFY(f.component.hv_INI_IsReady());
    // The operations work on the file now at the path, not on the earlier one.
    const QString evenLater = f.dir.filePath(u"evenlater.ini"_s);
    f.component.setIni_IniFilePath(evenLater);
    writeFile(evenLater, "[s]\r\nk=newest\r\n");
    QCOMPARE(f.component.hv_INI_ReadString(u"s"_s, u"k"_s), u"newest"_s);
    f.component.hv_INI_WriteInteger(u"s"_s, u"n"_s, 5);
    QCOMPARE(readFile(evenLater), "[s]\r\nk=newest\r\nn=5\r\n"_ba);
    QCOMPARE(readFile(f.path), "[s]\r\nk=old\r\n"_ba);
}

void SettingsFileTest::typedReads_data() {
    QTest::addColumn<QByteArray>("line"); // in section [s]; the key read is "k"
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("integer");
    QTest::addColumn<bool>("boolean");

    QTest::newRow("absent") << "x=1"_ba << QString() << -1 << false;
    QTest::newRow("empty") << "k="_ba << QString() << -1 << false;
    QTest::newRow("decimal with blanks") << "K = 12 "_ba << u"12"_s << 12 << true;
    QTest::newRow("negative") << "k=-5"_ba << u"-5"_s << -5 << true;
    QTest::newRow("zero") << "k=0"_ba << u"0"_s << 0 << false;
    QTest::newRow("hexadecimal") << "k=$10"_ba << u"$10"_s << 16 << true;
    QTest::newRow("trailing letters") << "k=12abc"_ba << u"12abc"_s << -1 << false;
    QTest::newRow("not a number") << "k=abc"_ba << u"abc"_s << -1 << false;
    QTest::newRow("too large") << "k=4294967296"_ba << u"4294967296"_s << -1 << false;
    QTest::newRow("quoted") << "k=\"7\""_ba << u"7"_s << 7 << true;
}

void SettingsFileTest::typedReads() {
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QFETCH(int, integer);
    QFETCH(bool, boolean);
    HalvernSettingsFixture f("[S]\r\n" + line + "\r\n");
    QCOMPARE(f.component.hv_INI_ReadString(u"s"_s, u"k"_s), text);
    QCOMPARE(f.component.hv_INI_ReadInteger(u"s"_s, u"k"_s), integer);
    QCOMPARE(f.component.hv_INI_ReadBool(u"s"_s, u"k"_s), boolean);
}

void SettingsFileTest::writesGoToDiskAsGbkText() {
    HalvernSettingsFixture f(gbk(u"[PARAM]\r\n默认输入法=x\r\n"_s));
    f.component.hv_INI_WriteBool(u"param"_s, u"默认显示图形菜单"_s, true);
    f.component.hv_INI_WriteInteger(u"DATALISTWIN"_s, u"ROWHEIGHT"_s, -7);
    f.component.hv_INI_WriteBool(u"PARAM"_s, u"默认显示图形菜单"_s, false);
    QCOMPARE(readFile(f.path),
             gbk(u"[PARAM]\r\n默认输入法=x\r\n默认显示图形菜单=0\r\n[DATALISTWIN]\r\nROWHEIGHT=-7\r\n"_s));
}

void SettingsFileTest::everyReadSeesTheFileOnDisk() {
    HalvernSettingsFixture f("[s]\r\nk=1\r\n");
    QCOMPARE(f.component.hv_INI_ReadInteger(u"s"_s, u"k"_s), 1);
    writeFile(f.path, "[s]\r\nk=2\r\n");
    QCOMPARE(f.component.hv_INI_ReadInteger(u"s"_s, u"k"_s), 2);
}

void SettingsFileTest::loadingFillsSettings_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("fileAfter"); // empty: the file is unchanged

    const QString full =
        u"[PARAM]\r\n默认输入法=%1\r\n单位编号=U01\r\n操作机编号=%2\r\n默认EXCEL格式=%3\r\n"
        "默认显示图形菜单=1\r\n默认启动不显示系统提醒=0\r\n"
        "[DATAINFOWIN]\r\nWINHEIGHT=%4\r\n[DATALISTWIN]\r\nROWHEIGHT=%5\r\n[HALVERN]\r\nREMEM_TIME=%6\r\n"
        "[SEARCH]\r\nISAUTOSEARCH=1\r\n"
        "[WIN]\r\nISAUTOMAX=0\r\nWIDTH=900\r\nHEIGHT=700\r\nLEFT=10\r\nTOP=20\r\n"_s;
    const QStringList plain = {u"pinyin"_s, u"05"_s, u"xlsx"_s, u"600"_s, u"20"_s, u"60"_s};
    auto settings = [&](int index, const QString& value) {
        QStringList values = plain;
        values[index] = value;
        QString text = full;
        for (const QString& v : values)
            text = text.arg(v);
        return text;
    };
    QTest::newRow("input method installed")
        << settings(0, u"PinYin"_s) << u"defaultInputMethod"_s << QVariant(u"PinYin"_s) << QString();
    QTest::newRow("input method not installed")
        << settings(0, u"wubi"_s) << u"defaultInputMethod"_s << QVariant(QString()) << QString();
    QTest::newRow("operator machine number")
        << settings(1, u"05"_s) << u"operatorMachineNumber"_s << QVariant(u"U0105"_s) << QString();
    QTest::newRow("operator machine number NULL")
        << settings(1, u"NULL"_s) << u"operatorMachineNumber"_s << QVariant(u"U01"_s) << QString();
    QTest::newRow("Excel format") << settings(2, u"xlsx"_s) << u"defaultExcelFormat"_s << QVariant(u"xlsx"_s)
                                  << QString();
    QTest::newRow("Excel format NULL")
        << settings(2, u"NULL"_s) << u"defaultExcelFormat"_s << QVariant(u"xls"_s) << QString();
    QTest::newRow("window height") << settings(3, u"600"_s) << u"dataInfoWindowHeight"_s << QVariant(600)
                                   << QString();
    QTest::newRow("window height 0") << settings(3, u"0"_s) << u"dataInfoWindowHeight"_s << QVariant(1004)
                                     << QString();
    QTest::newRow("row height 4 kept")
        << settings(4, u"4"_s) << u"dataListRowHeight"_s << QVariant(4) << QString();
    QTest::newRow("row height 3 written back")
        << settings(4, u"3"_s) << u"dataListRowHeight"_s << QVariant(4) << settings(4, u"4"_s);
    QTest::newRow("row height unreadable")
        << settings(4, u"tall"_s) << u"dataListRowHeight"_s << QVariant(4) << settings(4, u"4"_s);
    QTest::newRow("reminder time 49")
        << settings(5, u"49"_s) << u"reminderTime"_s << QVariant(50) << settings(5, u"50"_s);
    QTest::newRow("reminder time 50")
        << settings(5, u"50"_s) << u"reminderTime"_s << QVariant(50) << QString();
    QTest::newRow("graphical menu") << settings(0, u"x"_s) << u"showGraphicalMenu"_s << QVariant(true)
                                    << QString();
    QTest::newRow("no reminder") << settings(0, u"x"_s) << u"noSystemReminderAtStart"_s << QVariant(false)
                                 << QString();
    QTest::newRow("search") << settings(0, u"x"_s) << u"searchAutomatically"_s << QVariant(true) << QString();
    QTest::newRow("print templates") << settings(0, u"x"_s) << u"printTemplateFolder"_s
                                     << QVariant(u"/opt/host/bin//PrintTemplate/"_s) << QString();
    QTest::newRow("placement") << settings(0, u"x"_s) << u"placement"_s << QVariant(u"0 900 700 10 20"_s)
                               << QString();
}

void SettingsFileTest::loadingFillsSettings() {
    QFETCH(QString, settings);
    QFETCH(QString, setting);
    QFETCH(QVariant, value);
    QFETCH(QString, fileAfter);
    HalvernSettingsFixture f(gbk(settings));
    f.host.inputMethods = {u"Intelligent Pinyin"_s, u"pinyin"_s};
    f.component.GetDefineIniValues();
    const THalvern& c = f.component;
    const THalvern::WindowPlacement& p = c.windowPlacement();
    const QHash<QString, QVariant> settingValues = {
        {u"defaultInputMethod"_s, c.defaultInputMethod()},
        {u"operatorMachineNumber"_s, c.operatorMachineNumber()},
        {u"defaultExcelFormat"_s, c.defaultExcelFormat()},
        {u"dataInfoWindowHeight"_s, c.dataInfoWindowHeight()},
        {u"dataListRowHeight"_s, c.dataListRowHeight()},
        {u"reminderTime"_s, c.reminderTime()},
        {u"showGraphicalMenu"_s, c.showGraphicalMenu()},
        {u"noSystemReminderAtStart"_s, c.noSystemReminderAtStart()},
        {u"searchAutomatically"_s, c.searchAutomatically()},
        {u"printTemplateFolder"_s, c.printTemplateFolder()},
        {u"placement"_s,
         u"%1 %2 %3 %4 %5"_s.arg(p.maximised).arg(p.width).arg(p.height).arg(p.left).arg(p.top)},
    };
    QCOMPARE(settingValues.value(setting), value);
    QCOMPARE(readFile(f.path), gbk(fileAfter.isEmpty() ? settings : fileAfter));
}

// Keys that are absent: the fallbacks, and exactly these keys written back.
void SettingsFileTest::loadingAnEmptyFileWritesItsFallbacks() {
    HalvernSettingsFixture f(QByteArray{});
    f.component.GetDefineIniValues();
    QCOMPARE(f.component.defaultExcelFormat(), QString());
    QCOMPARE(f.component.operatorMachineNumber(), QString());
    QCOMPARE(f.component.dataInfoWindowHeight(), 1004);
    QCOMPARE(f.component.dataListRowHeight(), 4);
    QCOMPARE(f.component.reminderTime(), 50);
    QCOMPARE(readFile(f.path),
             "[DATALISTWIN]\r\nROWHEIGHT=4\r\n[HALVERN]\r\nREMEM_TIME=50\r\n"
             "[WIN]\r\nISAUTOMAX=1\r\nWIDTH=1000\r\nHEIGHT=800\r\nLEFT=400\r\nTOP=140\r\n"_ba);
}

void SettingsFileTest::loadingWithoutSettingsFileChangesNothing() {
    FakeHostSystem host;
    THalvern component(nullptr, {});
    component.setHostSystem(&host);
    component.setSys_DatabaseClass(u"mssql"_s);
    QCOMPARE(errorOf([&] { component.GetDefineIniValues(); }), Missing);
    QCOMPARE(component.defaultExcelFormat(), u"xls"_s);
    QCOMPARE(component.reminderTime(), 0);
    // The full loading stops there too, after it has set the database kind.
    QCOMPARE(errorOf([&] { component.hv_Sys_GetDefineParam(); }), Missing);
    QCOMPARE(component.hv()->databaseKind(), u"S"_s);
    QCOMPARE(component.defaultExcelFormat(), u"xls"_s);
}

void SettingsFileTest::unitNumberNullKeepsEarlierValue() {
    HalvernSettingsFixture f(gbk(u"[PARAM]\r\n单位编号=U01\r\n操作机编号=05\r\n"_s));
    f.component.GetDefineIniValues();
    writeFile(f.path, gbk(u"[PARAM]\r\n单位编号=NULL\r\n操作机编号=07\r\n"_s));
    f.component.GetDefineIniValues();
    QCOMPARE(f.component.unitNumber(), u"U01"_s);
    QCOMPARE(f.component.operatorMachineNumber(), u"U0107"_s);
}

void SettingsFileTest::inputMethodsDiscovered() {
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(QDir(first.path()).mkpath(u"ibus/component"_s));
    QVERIFY(QDir(second.path()).mkpath(u"fcitx5/inputmethod"_s));
    writeFile(first.filePath(u"ibus/component/pinyin.xml"_s),
              "<?xml version=\"1.0\"?><component><name>org.example.Pinyin</name><engines>"
              "<engine><name>pinyin</name><longname>Intelligent Pinyin</longname></engine>"
              "<engine><name>bopomofo</name></engine></engines></component>");
    writeFile(second.filePath(u"fcitx5/inputmethod/wbx.conf"_s),
              "[InputMethod]\nName[zh_CN]=\xE4\xBA\x94\xE7\xAC\x94\nName=Wubi\nIcon=wubi\n");
    writeFile(second.filePath(u"fcitx5/inputmethod/broken.conf"_s), "no section\nName=Ignored\n");
    QCOMPARE(installedInputMethodsIn({first.path(), second.path()}),
             QStringList({u"Intelligent Pinyin"_s, u"bopomofo"_s, u"Wubi"_s}));
    QCOMPARE(installedInputMethodsIn({first.path() + u"/nothing-here"_s}), QStringList());

    FakeHostSystem host;
    host.inputMethods = {u"Wubi"_s};
    THalvern component(nullptr, {});
    component.setHostSystem(&host);
    QCOMPARE(component.hv_SYS_GetImeList(), QStringList({u"Wubi"_s}));
}

QTEST_MAIN(SettingsFileTest)
#include "SettingsFileTest.moc"
