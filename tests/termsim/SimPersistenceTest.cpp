// termsim keeps every acknowledged change on disk, and refuses a damaged data file.
#include "TTermSdk.h"
#include "TermError.h"
#include "TermSimProcess.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

class SimPersistenceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void acknowledgedChangesSurviveKill();
    void killDuringCompactionLosesNothing_data();
    void killDuringCompactionLosesNothing();
    void refusedStorageLeavesNoTrace();
    void damagedDataFileIsReported_data();
    void damagedDataFileIsReported();
    void secondProcessOnDataDirectoryIsRefused();
};

namespace {

QStringList termsimArgs(const QString& dataDir, int port)
{
    return {QStringLiteral("--data-dir"), dataDir, QStringLiteral("--terminal"),
            QStringLiteral("machine=1,kind=color,tcp=%1,users=5,logs=300,seed=2").arg(port)};
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void SimPersistenceTest::acknowledgedChangesSurviveKill()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TermSimProcess sim;
    QVERIFY2(sim.start(termsimArgs(dir.path(), 0)), qPrintable(sim.errors()));
    const int port = sim.tcpPort(1);
    const QByteArray templ(500, 'T');
    {
        TTermSdk sdk;
        QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
        QVERIFY(sdk.WriteUserInfo(1, 4242, QStringLiteral("持久"), QStringLiteral("77"), 1, true));
        QVERIFY(sdk.SetUserTmp(1, 4242, 6, templ));
        QVERIFY(sdk.SetDeviceInfo(1, 23, 44));
        QVERIFY(sdk.DeleteEnrollData(1, 1001, 1, 12));
        QVERIFY(sdk.ClearAttendanceLogs(1));
        // No goodbye: the terminal dies right after its last acknowledgement,
        // in the middle of appending a change it never acknowledged.
        sim.killHard();
        QFile journal(dir.filePath(QStringLiteral("terminal-1.journal")));
        QVERIFY(journal.open(QIODevice::Append));
        journal.write(QByteArray("\x30\0\0\0\x11\x22\x33", 7));
    }
    TermSimProcess restarted;
    QVERIFY2(restarted.start(termsimArgs(dir.path(), port)), qPrintable(restarted.errors()));
    QVERIFY(restarted.output().contains(QLatin1String("loaded")));
    TTermSdk sdk;
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    QString name, password;
    int privilege = 0;
    bool enabled = false;
    QVERIFY(sdk.ReadUserInfo(1, 4242, name, password, privilege, enabled));
    QCOMPARE(name, QStringLiteral("持久"));
    QCOMPARE(password, QStringLiteral("77"));
    QCOMPARE(privilege, 1);
    QByteArray buffer(2048, '\0');
    int length = 2048;
    QVERIFY(sdk.ReadFingerTemplate(1, 4242, 6, buffer, length));
    QCOMPARE(buffer.left(length), templ);
    QVERIFY(!sdk.ReadUserInfo(1, 1001, name, password, privilege, enabled));
    int v = 0;
    QVERIFY(sdk.GetDeviceInfo(1, 23, v));
    QCOMPARE(v, 44);
    QVERIFY(sdk.GetDeviceStatus(1, 2, v));
    QCOMPARE(v, 5); // 5 seeded, one deleted, one added: the seed was not applied again
    QVERIFY(sdk.GetDeviceStatus(1, 6, v));
    QCOMPARE(v, 0);
}

void SimPersistenceTest::killDuringCompactionLosesNothing_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("new data file written, not in place") << 1;
    QTest::newRow("data file in place, journal not emptied") << 2;
    QTest::newRow("empty journal written, not in place") << 3;
}

// Changes acknowledged and journalled, then a kill -9 at each step of the
// compaction that folds the journal into the data file on the next start.
void SimPersistenceTest::killDuringCompactionLosesNothing()
{
    QFETCH(int, step);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    int port = 0;
    for (int round = 0; round < 2; ++round) {
        TermSimProcess sim;
        QVERIFY2(sim.start(termsimArgs(dir.path(), port)), qPrintable(sim.errors()));
        port = sim.tcpPort(1);
        TTermSdk sdk;
        QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
        for (int i = 0; i < 20; ++i)
            QVERIFY(sdk.WriteUserInfo(1, 5000 + round * 100 + i, QStringLiteral("r%1").arg(round), QString(), 0, true));
        QVERIFY(sdk.SetDeviceInfo(1, 23, 40 + round));
        sim.killHard();
        TermSimProcess crashing;
        QCOMPARE(crashing.runToExit(termsimArgs(dir.path(), port) +
                                    QStringList{QStringLiteral("--crash-in-compaction"), QString::number(step)}),
                 -1);
    }
    TermSimProcess restarted;
    QVERIFY2(restarted.start(termsimArgs(dir.path(), port)), qPrintable(restarted.errors()));
    TTermSdk sdk;
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    int v = 0;
    QVERIFY(sdk.GetDeviceStatus(1, 2, v));
    QCOMPARE(v, 5 + 40); // every user written in both rounds, none twice
    QVERIFY(sdk.GetDeviceStatus(1, 5, v));
    QCOMPARE(v, 5 + 2 * 21); // the management log: seeded, then one per change, none replayed twice
    QVERIFY(sdk.GetDeviceInfo(1, 23, v));
    QCOMPARE(v, 41);
    QString name, password;
    int privilege = 0;
    bool enabled = false;
    QVERIFY(sdk.ReadUserInfo(1, 5119, name, password, privilege, enabled));
    QCOMPARE(name, QStringLiteral("r1"));
}

// A change the terminal cannot store is answered StorageError and leaves no
// trace: not in what later requests see, not after a restart.
void SimPersistenceTest::refusedStorageLeavesNoTrace()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    int port = 0;
    {
        TermSimProcess sim;
        QVERIFY2(sim.start(termsimArgs(dir.path(), 0)), qPrintable(sim.errors()));
        port = sim.tcpPort(1);
        sim.stop();
    }
    auto state = [](TTermSdk& sdk) {
        QStringList s;
        for (int i : {2, 3, 4, 5, 6}) {
            int v = -1;
            sdk.GetDeviceStatus(1, i, v);
            s << QString::number(v);
        }
        int v = -1;
        sdk.GetDeviceInfo(1, 23, v);
        s << QString::number(v);
        QString name, password;
        int privilege = 0;
        bool enabled = false;
        s << (sdk.ReadUserInfo(1, 1001, name, password, privilege, enabled) ? name + password : QStringLiteral("-"));
        s << (sdk.ReadUserInfo(1, 4242, name, password, privilege, enabled) ? name : QStringLiteral("-"));
        return s.join(QLatin1Char(' '));
    };
    QString before;
    {
        TermSimProcess full;
        full.setFileSizeLimit(20); // the data files are there; no change fits any more
        QVERIFY2(full.start(termsimArgs(dir.path(), port)), qPrintable(full.errors()));
        TTermSdk sdk;
        QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
        before = state(sdk);
        int code = 0;
        QVERIFY(!sdk.WriteUserInfo(1, 4242, QStringLiteral("新"), QStringLiteral("1"), 0, true));
        sdk.GetLastErrorCode(code);
        QCOMPARE(code, int(TermError::StorageError));
        QVERIFY(!sdk.SetDeviceInfo(1, 23, 44));
        QVERIFY(!sdk.SetUserTmp(1, 1001, 9, QByteArray(400, 'x')));
        QVERIFY(!sdk.DeleteEnrollData(1, 1001, 1, 10));
        QVERIFY(!sdk.DeleteEnrollData(1, 1001, 1, 12));
        QVERIFY(!sdk.ClearAttendanceLogs(1));
        QVERIFY(!sdk.ClearAllData(1));
        sdk.GetLastErrorCode(code);
        QCOMPARE(code, int(TermError::StorageError));
        QCOMPARE(state(sdk), before);
        full.stop();
    }
    TermSimProcess restarted;
    QVERIFY2(restarted.start(termsimArgs(dir.path(), port)), qPrintable(restarted.errors()));
    TTermSdk sdk;
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    QCOMPARE(state(sdk), before);
    QVERIFY(sdk.WriteUserInfo(1, 4242, QStringLiteral("新"), QStringLiteral("1"), 0, true));
}

void SimPersistenceTest::damagedDataFileIsReported_data()
{
    QTest::addColumn<int>("damage");
    QTest::newRow("truncated") << 0;
    QTest::newRow("a flipped bit") << 1;
    QTest::newRow("not a data file") << 2;
    QTest::newRow("journal: an entry before the last damaged") << 3;
}

void SimPersistenceTest::damagedDataFileIsReported()
{
    QFETCH(int, damage);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        TermSimProcess sim;
        QVERIFY2(sim.start(termsimArgs(dir.path(), 0)), qPrintable(sim.errors()));
        if (damage == 3) {
            TTermSdk sdk;
            QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), sim.tcpPort(1)));
            QVERIFY(sdk.SetDeviceInfo(1, 23, 41));
            QVERIFY(sdk.SetDeviceInfo(1, 23, 42));
        }
        sim.stop();
    }
    const QString file = dir.filePath(damage == 3 ? QStringLiteral("terminal-1.journal") : QStringLiteral("terminal-1.dat"));
    QByteArray bytes = fileBytes(file);
    QVERIFY(bytes.size() > 60);
    if (damage == 3)
        bytes[16 + 16 + 3] = char(bytes.at(16 + 16 + 3) ^ 0x01); // inside the first of two entries
    else if (damage == 0)
        bytes.truncate(bytes.size() - 10);
    else if (damage == 1)
        bytes[bytes.size() / 2] = char(bytes.at(bytes.size() / 2) ^ 0x20);
    else
        bytes = "terminal data, but not really\n";
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    TermSimProcess sim;
    const int rc = sim.runToExit(termsimArgs(dir.path(), 0));
    QCOMPARE(rc, 2);
    QVERIFY2(sim.errors().contains(file), qPrintable(sim.errors()));
    QCOMPARE(fileBytes(file), bytes); // left as it was, never replaced
}

void SimPersistenceTest::secondProcessOnDataDirectoryIsRefused()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TermSimProcess first;
    QVERIFY2(first.start(termsimArgs(dir.path(), 0)), qPrintable(first.errors()));
    TermSimProcess second;
    QCOMPARE(second.runToExit(termsimArgs(dir.path(), 0)), 2);
    QVERIFY2(second.errors().contains(dir.path()) && second.errors().contains(QString::number(first.pid())),
             qPrintable(second.errors()));
    // The holder goes on serving; once it is gone, the directory is free again.
    TTermSdk sdk;
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), first.tcpPort(1)));
    QVERIFY(sdk.WriteUserInfo(1, 77, QStringLiteral("a"), QString(), 0, true));
    sdk.Disconnect();
    first.killHard();
    TermSimProcess third;
    QVERIFY2(third.start(termsimArgs(dir.path(), 0)), qPrintable(third.errors()));
}

QTEST_GUILESS_MAIN(SimPersistenceTest)
#include "SimPersistenceTest.moc"
