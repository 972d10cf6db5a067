// The "Data Manager" commands against the recording fake: their calls and
// lines, the users backup file and the log exports byte for byte, the
// automatic test loop, and restores of damaged or hostile files.
#include "BenchWindowFixture.h"
#include "TaggedButton.h"
#include "UsersBackupFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class DataManagerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void commands_data();
    void commands();
    void backupWritesTheFileByteForByte();
    void backupOfNoUsersLeavesNoFile();
    void restoreWritesUsersAndTemplates();
    void hostileRestore_data();
    void hostileRestore();
    void logExports_data();
    void logExports();
    void saveDialogIsSharedAndOpensInHome();
    void autoTestStopsOnNestedClickAfterItsPass();
    void autoTestEndsAtOnce_data();
    void autoTestEndsAtOnce();
    void profileIntegers_data();
    void profileIntegers();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    static QByteArray fixture(const QString& name);
    static QStringList linesAfter(const QStringList& all, int from) { return all.mid(from); }

    QTemporaryDir m_dir;
    std::unique_ptr<BenchWindowFixture> f;
};

QByteArray DataManagerTest::fixture(const QString& name)
{
    QFile file(QStringLiteral(FIXTURES_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void DataManagerTest::init()
{
    f = std::make_unique<BenchWindowFixture>();
}

void DataManagerTest::commands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("trace");
    QTest::newRow("Clear Data") << "btnClearData" << QStringList{"ClearAllData(0)"};
    QTest::newRow("Clear Att Log") << "Button5" << QStringList{"ClearAttendanceLogs(0)"};
    QTest::newRow("Clear Admin") << "Button6" << QStringList{"ClearAdministrators(0)"};
    QTest::newRow("Delete Users") << "btnDeleteUser"
                                  << QStringList{"DeleteEnrollData(0,69,0,0)", "DeleteEnrollData(0,69,0,1)"};
    QTest::newRow("ACUnlock") << "btnACUnlock" << QStringList{"ACUnlock(0,200)"};
    QTest::newRow("Delete FP does nothing") << "Button10" << QStringList{};
    QTest::newRow("Set SMS does nothing") << "btnSMS" << QStringList{};
}

void DataManagerTest::commands()
{
    QFETCH(QString, button);
    QFETCH(QStringList, trace);
    // Failing results are not reported either.
    f->failAlways(QStringLiteral("ClearAllData"), 5);
    f->click(f->window->findChild<QPushButton*>(button));
    QCOMPARE(f->sdk->callTrace(), trace);
    QCOMPARE(f->lines(), QStringList());
    QCOMPARE(f->fakes.messages.shown.size(), 0);
}

namespace {
void queueTwoUsers(FakeTermSdk& sdk)
{
    sdk.pushRecord(QStringLiteral("NextUserRecord"), {1, QStringLiteral("张三"), QStringLiteral("123"), 0, true});
    sdk.pushRecord(QStringLiteral("NextUserRecord"), {23, QStringLiteral("李四"), QString(), 3, false});
    const QString read = QStringLiteral("ReadFingerTemplate");
    for (int user = 0; user < 2; ++user) {
        for (int k = 0; k < 10; ++k) {
            if (user == 0 && k == 0)
                sdk.push(read, {true, {QByteArray::fromHex("0AFF10").leftJustified(2048, '\0'), 3}});
            else if (user == 1 && k == 1)
                sdk.push(read, {true, {QByteArray::fromHex("ABCD"), 2}});
            else if (user == 1 && k == 9)
                sdk.push(read, {true, {QByteArray(1, '\0'), 1}});
            else
                sdk.push(read, {false});
        }
    }
}
} // namespace

void DataManagerTest::backupWritesTheFileByteForByte()
{
    const QString file = path(QStringLiteral("backup.dat"));
    queueTwoUsers(*f->sdk);
    f->fakes.files.answers << file;
    f->click(f->window->btnBackupUser);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), fixture(QStringLiteral("users_backup.ini")));
    QCOMPARE(f->lines(), QStringList());
    QCOMPARE(f->sdk->callNames().first(), QStringLiteral("LoadAllUserIds"));
}

void DataManagerTest::backupOfNoUsersLeavesNoFile()
{
    const QString file = path(QStringLiteral("old.dat"));
    for (bool loadFails : {true, false}) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[Users_9]\r\n");
        old.close();
        f->sdk->setDefault(QStringLiteral("LoadAllUserIds"), {!loadFails});
        f->fakes.files.answers << file;
        f->click(f->window->btnBackupUser);
        QVERIFY2(!QFile::exists(file), loadFails ? "LoadAllUserIds failed" : "no users");
    }
}

void DataManagerTest::restoreWritesUsersAndTemplates()
{
    const QString file = path(QStringLiteral("restore.ini"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    // The fixture, plus what the restore must skip or default.
    out.write(fixture(QStringLiteral("users_backup.ini")));
    out.write("[Users_0]\r\nName=zero\r\n[Users_65535]\r\nName=big\r\n[Other]\r\nName=x\r\n"
              "[users_7]\r\nPassword=-1\r\n");
    out.close();
    f->sdk->setDefault(QStringLiteral("SetUserTmp"), {true});
    f->sdk->push(QStringLiteral("SetUserTmp"), {true});
    f->sdk->push(QStringLiteral("SetUserTmp"), {false});
    f->sdk->setDefault(QStringLiteral("GetLastErrorCode"), {true, {11}});
    f->fakes.files.answers << file;
    f->click(f->window->btnRestore);
    QStringList writes;
    QList<QByteArray> templates;
    for (const FakeTermSdk::Call& call : f->sdk->calls) {
        if (call.name == QLatin1String("WriteUserInfo"))
            writes << QStringLiteral("%1,%2,%3,%4,%5")
                          .arg(call.args[1].toInt())
                          .arg(call.args[2].toString(), call.args[3].toString())
                          .arg(call.args[4].toInt())
                          .arg(call.args[5].toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        if (call.name == QLatin1String("SetUserTmp"))
            templates << call.args[3].toByteArray();
    }
    QCOMPARE(writes, (QStringList{"1,张三,123,0,true", "7,,,0,true", "23,李四,,3,false"}));
    QCOMPARE(templates, (QList<QByteArray>{QByteArray::fromHex("0AFF10"), QByteArray::fromHex("ABCD"),
                                           QByteArray(1, '\0')}));
    QCOMPARE(f->lines(), (QStringList{"SetEnrollData OK: User=1,FP=0", "SetEnrollData Fail: User=23,FP=1, Error=11",
                                      "SetEnrollData OK: User=23,FP=9"}));
    QCOMPARE(f->fakes.events.pumps, 3);
}

void DataManagerTest::hostileRestore_data()
{
    QTest::addColumn<QByteArray>("content"); // "@dir" for a folder in place of the file
    QTest::addColumn<QStringList>("lines");  // %1: the file
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("usersWritten");
    const QByteArray good = "[Users_1]\r\nFPT_0=0AFF\r\n";
    const QString stop = QStringLiteral("! Restore Users stopped at user 2: ");
    QTest::newRow("value over the limit")
        << good + "[Users_2]\r\nName=n\r\nFPT_0=" + QByteArray(4098, 'A') + "\r\n"
        << QStringList{"SetEnrollData OK: User=1,FP=0",
                       stop + "FPT_0 of [Users_2] is 4098 characters long, more than the 4096 a backup holds; "
                              "1 user(s) restored before it; user 2 written with 0 template(s)"}
        << "FPT_0 of [Users_2] is 4098 characters long, more than the 4096 a backup holds" << 2;
    QTest::newRow("name over the limit")
        << good + "[Users_2]\r\nName=" + QByteArray(5000, 'n') + "\r\n"
        << QStringList{"SetEnrollData OK: User=1,FP=0",
                       stop + "Name of [Users_2] is 5000 characters long, more than the 4096 a backup holds; "
                              "1 user(s) restored before it; nothing of user 2 written"}
        << "Name of [Users_2] is 5000 characters long, more than the 4096 a backup holds" << 1;
    QTest::newRow("invalid hexadecimal")
        << good + "[Users_2]\r\nFPT_0=0AFF\r\nFPT_1=G0\r\n[Users_3]\r\nName=never\r\n"
        << QStringList{"SetEnrollData OK: User=1,FP=0", "SetEnrollData OK: User=2,FP=0",
                       stop + "Error of Integer: G; 1 user(s) restored before it; user 2 written with 1 template(s)"}
        << "Error of Integer: G" << 2;
    QTest::newRow("file cut in a template")
        << good + "[Users_2]\r\nFPT_0=0AF"
        << QStringList{"SetEnrollData OK: User=1,FP=0",
                       stop + "FPT_0 of [Users_2] has an odd number of hexadecimal digits (3): the file is cut "
                              "short or damaged; 1 user(s) restored before it; user 2 written with 0 template(s)"}
        << "FPT_0 of [Users_2] has an odd number of hexadecimal digits (3): the file is cut short or damaged" << 2;
    QByteArray many;
    for (int n = 1; n <= 70000; ++n)
        many += "[Users_" + QByteArray::number(n) + "]\r\n";
    QTest::newRow("70000 sections")
        << many
        << QStringList{"! Restore Users: %1 has 70000 sections, more than the 65536 a users backup holds; "
                       "nothing restored"}
        << "%1 has 70000 sections, more than the 65536 a users backup holds" << 0;
    QTest::newRow("binary file")
        << QByteArray("[Users_1]\r\nName=a\0\x01\x02\xFF", 21)
        << QStringList{"! Restore Users: INI file %1 is not a text file: NUL byte at offset 17; nothing restored"}
        << "INI file %1 is not a text file: NUL byte at offset 17" << 0;
    QTest::newRow("a folder, no file")
        << QByteArray("@dir")
        << QStringList{"! Restore Users: %1 is no file that can be read; nothing restored"}
        << "%1 is no file that can be read" << 0;
}

void DataManagerTest::hostileRestore()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QFETCH(QString, box);
    QFETCH(int, usersWritten);
    const QString file = path(QStringLiteral("hostile-%1").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-')));
    if (content == "@dir") {
        QVERIFY(QDir().mkpath(file));
    } else {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    f->fakes.files.answers << file;
    f->click(f->window->btnRestore);
    for (QString& line : lines)
        line = line.arg(file);
    QCOMPARE(f->lines(), lines);
    QCOMPARE(f->fakes.messages.errors(), QStringList{box.arg(file)});
    QCOMPARE(f->sdk->callNames().count(QStringLiteral("WriteUserInfo")), usersWritten);
}

void DataManagerTest::logExports_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fixtureName");
    QTest::newRow("Read Att Log") << "Button9" << "att_log.txt";
    QTest::newRow("Read Manage Log") << "btnReadManageLog" << "manage_log.txt";
}

void DataManagerTest::logExports()
{
    QFETCH(QString, button);
    QFETCH(QString, fixtureName);
    f->sdk->pushRecord(QStringLiteral("NextLogRecord"), {1, 1, 1, 1, 0, 2024, 1, 5, 8, 3});
    f->sdk->pushRecord(QStringLiteral("NextLogRecord"), {1, 12345, 1, 15, 1, 2024, 12, 31, 17, 45});
    f->sdk->pushRecord(QStringLiteral("NextSuperLogRecord"), {1, 0, 1, 23, 2, 1, 0, 2024, 3, 7, 9, 5});
    const QString file = path(fixtureName);
    f->fakes.files.answers << file;
    f->click(f->window->findChild<QPushButton*>(button));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), fixture(fixtureName));
    QCOMPARE(f->lines(), QStringList());

    // A failing load leaves the file there, empty.
    f->sdk->setDefault(button == QLatin1String("Button9") ? QStringLiteral("LoadLogs") : QStringLiteral("LoadSuperLogs"),
                       {false});
    f->fakes.files.answers << file;
    f->click(f->window->findChild<QPushButton*>(button));
    QCOMPARE(QFileInfo(file).size(), 0);
}

void DataManagerTest::saveDialogIsSharedAndOpensInHome()
{
    f->click(f->window->btnBackupUser); // cancelled
    QCOMPARE(f->fakes.files.shown.last().offered, QDir::home().filePath(QStringLiteral("backup11b.dat")));
    f->fakes.files.answers << path(QStringLiteral("chosen.txt"));
    f->click(f->window->Button9);
    f->click(f->window->btnBackupUser);
    QCOMPARE(f->fakes.files.shown.last().offered, path(QStringLiteral("chosen.txt")));
    f->click(f->window->btnRestore);
    QCOMPARE(f->fakes.files.shown.last().offered, QDir::home().filePath(QStringLiteral("backup148.dat")));
    QCOMPARE(f->sdk->callNames(), (QStringList{"LoadLogs", "NextLogRecord"}));
}

void DataManagerTest::autoTestStopsOnNestedClickAfterItsPass()
{
    const QString file = path(QStringLiteral("auto.ini"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("[Users_5]\r\nFPT_0=0AFF\r\n");
    out.close();
    f->window->OpenDialog1.FileName = file;
    // The first time pending messages run (inside the first restore), the
    // button is clicked again.
    int clicks = 0;
    f->fakes.events.onPump = [&] {
        if (clicks++ == 0)
            f->click(f->window->btnAutoTest);
    };
    f->click(f->window->btnAutoTest);
    QCOMPARE(f->window->Testing, false);
    QCOMPARE(f->window->btnAutoTest->text(), QStringLiteral("Start Test"));
    QCOMPARE(f->window->btnConnect->Tag, 0);
    const QStringList lines = f->lines();
    QCOMPARE(lines.count(QStringLiteral("-----------Testing 0--------")), 1);
    QVERIFY(!lines.join(QLatin1Char('\n')).contains(QLatin1String("Testing 1")));
    QCOMPARE(lines.count(QStringLiteral("SetEnrollData OK: User=5,FP=0")), 2);
    QCOMPARE(lines.count(QStringLiteral("Clear Data...")), 2);
    QCOMPARE(lines.last(), QStringLiteral("Disconnect..."));
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("Clear Data..."));
    QCOMPARE(f->fakes.events.pauses, QList<int>{2000});
    QCOMPARE(f->sdk->callNames().count(QStringLiteral("ClearAllData")), 2);
    QCOMPARE(f->sdk->callNames().count(QStringLiteral("DeleteEnrollData")), 2);
    QCOMPARE(f->sdk->callNames().last(), QStringLiteral("Disconnect"));
}

void DataManagerTest::autoTestEndsAtOnce_data()
{
    QTest::addColumn<bool>("connectedBefore");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("started while connected: the first click disconnects")
        << true << QStringList{"-----------Testing 0--------"};
    QTest::newRow("no terminal answers")
        << false << QStringList{"-----------Testing 0--------", "! ConnectDevice ErrorNo.=3", " "};
}

void DataManagerTest::autoTestEndsAtOnce()
{
    QFETCH(bool, connectedBefore);
    QFETCH(QStringList, lines);
    if (connectedBefore)
        f->click(f->window->btnConnect);
    else
        f->failAlways(QStringLiteral("ConnectSerial"), 3);
    const int before = f->lines().size();
    f->click(f->window->btnAutoTest);
    QCOMPARE(linesAfter(f->lines(), before), lines);
    QCOMPARE(f->window->Testing, false);
    QCOMPARE(f->window->btnAutoTest->text(), QStringLiteral("Start Test"));
    QCOMPARE(f->window->btnConnect->Tag, 0);
}

void DataManagerTest::profileIntegers_data()
{
    QTest::addColumn<QString>("value"); // "<missing>" for no key
    QTest::addColumn<int>("result");
    QTest::newRow("missing") << "<missing>" << 77;
    QTest::newRow("empty") << "" << 77;
    QTest::newRow("plain") << " 12 " << 12;
    QTest::newRow("digits then junk") << "12abc" << 12;
    QTest::newRow("no digits") << "abc" << 0;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("hexadecimal prefix") << "0x10" << 16;
    QTest::newRow("upper-case prefix is no prefix") << "0X1f" << 0;
    QTest::newRow("wraps") << "4294967296" << 0;
}

void DataManagerTest::profileIntegers()
{
    QFETCH(QString, value);
    QFETCH(int, result);
    const std::optional<QString> v = value == QLatin1String("<missing>") ? std::nullopt : std::optional(value);
    QCOMPARE(UsersBackupFile::profileInteger(v, 77), result);
}

QTEST_MAIN(DataManagerTest)
#include "DataManagerTest.moc"
