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
    void damagedDataFileIsReported_data();
    void damagedDataFileIsReported();
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
        // No goodbye: the terminal dies right after its last acknowledgement.
        sim.killHard();
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

void SimPersistenceTest::damagedDataFileIsReported_data()
{
    QTest::addColumn<int>("damage");
    QTest::newRow("truncated") << 0;
    QTest::newRow("a flipped bit") << 1;
    QTest::newRow("not a data file") << 2;
}

void SimPersistenceTest::damagedDataFileIsReported()
{
    QFETCH(int, damage);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        TermSimProcess sim;
        QVERIFY2(sim.start(termsimArgs(dir.path(), 0)), qPrintable(sim.errors()));
        sim.stop();
    }
    const QString file = dir.filePath(QStringLiteral("terminal-1.dat"));
    QByteArray bytes = fileBytes(file);
    QVERIFY(bytes.size() > 100);
    if (damage == 0)
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

QTEST_GUILESS_MAIN(SimPersistenceTest)
#include "SimPersistenceTest.moc"
