// The SDK client against the real termsim executable, over TCP and over a
// pseudo-terminal serial line.
#include "SimSeeder.h"
#include "TTermSdk.h"
#include "TermError.h"
#include "TermSimProcess.h"
#include "WireTime.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "WireFrame.h"
#include "WireOp.h"
#include "WireWriter.h"

#include <QtEndian>

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <functional>
#include <thread>

class TermSdkClientTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void connects_data();
    void connects();
    void deadTerminalFailsWithinTimeout();
    void connectTimeoutIsOneDeadline();
    void operations_data();
    void operations();
    void bulkLoadMatchesTerminal_data();
    void bulkLoadMatchesTerminal();
    void traceShowsCallsInOrder();
    void traceEscapesTexts_data();
    void traceEscapesTexts();
    void faults_data();
    void faults();
    void serverKilledMidTransfer();
    void serialLineLostWhenServerDies();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList traceLines() const;

    QTemporaryDir m_dir;
    TermSimProcess m_sim;
    int m_colorPort = 0;
    int m_facePort = 0;
    int m_scratchPort = 0;
};

namespace {

constexpr int kFaceKey = 4321;
const QDate kLastDay(2024, 6, 30);

int lastError(TTermSdk& sdk)
{
    int code = -1;
    sdk.GetLastErrorCode(code);
    return code;
}

QByteArray templateBytes(int n, int salt)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + salt) & 0xFF);
    return b;
}

} // namespace

void TermSdkClientTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("TERMSDK_COM1", path(QStringLiteral("com1")).toLocal8Bit());
    qputenv("TERMSDK_COM9", path(QStringLiteral("no-such-line")).toLocal8Bit());
    const QStringList args{
        QStringLiteral("--trace"), path(QStringLiteral("trace.txt")),
        QStringLiteral("--terminal"),
        QStringLiteral("machine=1,kind=bw,serial=%1,baud=0,users=20,logs=20000,days=90,seed=3,end=2024-06-30")
            .arg(path(QStringLiteral("com1"))),
        QStringLiteral("--terminal"),
        QStringLiteral("machine=2,kind=color,tcp=0,users=30,logs=200000,days=365,seed=5,end=2024-06-30"),
        QStringLiteral("--terminal"), QStringLiteral("machine=3,kind=face,tcp=0,key=%1,users=5,logs=50").arg(kFaceKey),
        QStringLiteral("--terminal"), QStringLiteral("machine=4,kind=color,tcp=0,users=3,logs=10,seed=9")};
    QVERIFY2(m_sim.start(args), qPrintable(m_sim.errors()));
    m_colorPort = m_sim.tcpPort(2);
    m_facePort = m_sim.tcpPort(3);
    m_scratchPort = m_sim.tcpPort(4);
    QVERIFY(m_colorPort > 0 && m_facePort > 0 && m_scratchPort > 0);
}

QStringList TermSdkClientTest::traceLines() const
{
    QFile f(path(QStringLiteral("trace.txt")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TermSdkClientTest::connects_data()
{
    QTest::addColumn<QString>("transport"); // "tcp:<port>" or "serial:<port>,<machine>"
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("error");
    QTest::newRow("tcp") << QStringLiteral("tcp:color") << -1 << 0;
    QTest::newRow("serial line, pseudo-terminal") << QStringLiteral("serial:1,1") << -1 << 0;
    QTest::newRow("serial line, machine not on the line") << QStringLiteral("serial:1,7") << -1
                                                           << int(TermError::NoSuchMachine);
    QTest::newRow("serial port without a device") << QStringLiteral("serial:9,1") << -1
                                                  << int(TermError::ConnectionRefused);
    QTest::newRow("keyed terminal, right key") << QStringLiteral("tcp:face") << kFaceKey << 0;
    QTest::newRow("keyed terminal, wrong key") << QStringLiteral("tcp:face") << kFaceKey + 1
                                               << int(TermError::WrongCommKey);
    QTest::newRow("keyed terminal, no key") << QStringLiteral("tcp:face") << -1 << int(TermError::WrongCommKey);
    QTest::newRow("unkeyed terminal takes any key") << QStringLiteral("tcp:color") << 99 << 0;
    QTest::newRow("closed local port") << QStringLiteral("tcp:closed") << -1 << int(TermError::ConnectionRefused);
}

void TermSdkClientTest::connects()
{
    QFETCH(QString, transport);
    QFETCH(int, key);
    QFETCH(int, error);
    TTermSdk sdk;
    sdk.SetCommKey(key);
    bool ok;
    if (transport.startsWith(QLatin1String("tcp:"))) {
        const QString which = transport.mid(4);
        int port = which == QLatin1String("color") ? m_colorPort : which == QLatin1String("face") ? m_facePort : 0;
        if (port == 0) { // a port nobody listens on
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        ok = sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port);
    } else {
        const QStringList parts = transport.mid(7).split(QLatin1Char(','));
        sdk.SetCommPort(parts[0].toInt());
        ok = sdk.ConnectSerial(parts[0].toInt(), parts[1].toInt(), 19200);
    }
    QCOMPARE(ok, error == 0);
    if (!ok) {
        QCOMPARE(lastError(sdk), error);
        QVERIFY(!sdk.isConnected());
        return;
    }
    int y, mo, d, h, mi, s;
    QVERIFY(sdk.GetDeviceTime(1, y, mo, d, h, mi, s));
    QVERIFY(WireTime::valid(y, mo, d, h, mi, s));
    sdk.Disconnect();
    QVERIFY(!sdk.GetDeviceTime(1, y, mo, d, h, mi, s));
    QCOMPARE(lastError(sdk), int(TermError::NotConnected));
}

void TermSdkClientTest::deadTerminalFailsWithinTimeout()
{
    // Something accepts the connection but never answers: the connect must give up.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    TTermSdk sdk;
    sdk.setConnectTimeout(300);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), silent.serverPort()));
    QCOMPARE(lastError(sdk), int(TermError::ConnectTimeout));
    QVERIFY2(timer.elapsed() < 5000, "the connect blocked far beyond its timeout");
    QVERIFY(!sdk.isConnected());
}

void TermSdkClientTest::connectTimeoutIsOneDeadline()
{
    // A terminal slow at both steps: its listener is full, so the TCP connect
    // completes only when the client's first SYN is sent again (about 1 s
    // later), and it answers the Connect 1.5 s after accepting. Each step fits
    // in the 2 s timeout, both together do not.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0);
    QVERIFY(::listen(listener, 0) == 0);
    const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0); // fills the queue
    std::atomic<bool> answered{false};
    std::thread terminal([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::close(::accept(listener, nullptr, nullptr)); // room again, for the retried SYN
        const int peer = ::accept(listener, nullptr, nullptr);
        QByteArray in(256, 0);
        const ssize_t n = ::read(peer, in.data(), size_t(in.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        if (n >= WireFrame::HeaderSize) {
            WireWriter w;
            w.u8(1).i32(1);
            QByteArray out;
            WireFrame::appendEncoded(out, WireFrame::Reply, qFromLittleEndian<quint32>(in.constData() + 4),
                                     quint16(WireOp::Connect), 0, w.data().constData(), w.data().size());
            answered = ::write(peer, out.constData(), size_t(out.size())) == out.size();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::close(peer);
    });
    TTermSdk sdk;
    sdk.setConnectTimeout(2000);
    const bool connected = sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), ntohs(address.sin_port));
    const int error = lastError(sdk);
    terminal.join();
    ::close(filler);
    ::close(listener);
    QVERIFY(!connected);
    QCOMPARE(error, int(TermError::ConnectTimeout));
}

using OperationCheck = std::function<void(TTermSdk&, const QString& dir)>;

static const QList<QPair<QString, OperationCheck>>& operationChecks()
{
    static const QList<QPair<QString, OperationCheck>> checks = {
        {QStringLiteral("identity"),
         [](TTermSdk& sdk, const QString&) {
             QString text;
             QVERIFY(sdk.GetFirmwareVersion(1, text));
             QVERIFY(text.startsWith(QLatin1String("Ver ")));
             QVERIFY(sdk.GetSerialNumber(1, text));
             QCOMPARE(text, QStringLiteral("TSC00000004"));
             QVERIFY(sdk.GetProductCode(1, text));
             QCOMPARE(text, QStringLiteral("TS-C300"));
         }},
        {QStringLiteral("device parameters"),
         [](TTermSdk& sdk, const QString&) {
             int v = 0;
             QVERIFY(sdk.GetDeviceInfo(1, 23, v));
             QCOMPARE(v, 35);
             QVERIFY(sdk.SetDeviceInfo(1, 23, 40));
             QVERIFY(sdk.GetDeviceInfo(1, 23, v));
             QCOMPARE(v, 40);
             QVERIFY(!sdk.GetDeviceInfo(1, 36, v));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
             QVERIFY(!sdk.SetDeviceInfo(1, 2, 0));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
         }},
        {QStringLiteral("clock"),
         [](TTermSdk& sdk, const QString&) {
             int before = 0, after = 0;
             QVERIFY(sdk.GetDeviceStatus(1, 5, before));
             QVERIFY(sdk.SetDeviceTime(1));
             QVERIFY(sdk.GetDeviceStatus(1, 5, after));
             QCOMPARE(after, before + 1); // the clock change is in the management log
             int y, mo, d, h, mi, s;
             QVERIFY(sdk.GetDeviceTime(1, y, mo, d, h, mi, s));
             const QDateTime clock(QDate(y, mo, d), QTime(h, mi, s));
             QVERIFY(qAbs(clock.secsTo(QDateTime::currentDateTime())) < 600);
         }},
        {QStringLiteral("users"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.WriteUserInfo(1, 501, QStringLiteral("李雷"), QStringLiteral("8888"), 2, false));
             QString name, password;
             int privilege = -1;
             bool enabled = true;
             QVERIFY(sdk.ReadUserInfo(1, 501, name, password, privilege, enabled));
             QCOMPARE(name, QStringLiteral("李雷"));
             QCOMPARE(password, QStringLiteral("8888"));
             QCOMPARE(privilege, 2);
             QVERIFY(!enabled);
             QVERIFY(!sdk.ReadUserInfo(1, 502, name, password, privilege, enabled));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
             QVERIFY(!sdk.WriteUserInfo(1, 503, QString(70, QLatin1Char('x')), QString(), 0, true));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
         }},
        {QStringLiteral("finger templates"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.WriteUserInfo(1, 601, QStringLiteral("Ann"), QString(), 0, true));
             const QByteArray t3 = templateBytes(400, 3);
             QVERIFY(sdk.SetUserTmp(1, 601, 3, t3));
             QByteArray buffer(2048, '\0');
             int length = 2048;
             QVERIFY(sdk.ReadFingerTemplate(1, 601, 3, buffer, length));
             QCOMPARE(length, 400);
             QCOMPARE(buffer.left(length), t3);
             const QByteArray t4 = templateBytes(394, 4);
             QVERIFY(sdk.WriteFingerTemplateText(1, 601, 4, QString::fromLatin1(t4.toHex().toUpper())));
             length = 2048;
             QVERIFY(sdk.ReadFingerTemplate(1, 601, 4, buffer, length));
             QCOMPARE(buffer.left(length), t4);
             const QByteArray t0 = templateBytes(438, 0);
             QVERIFY(sdk.SetEnrollDataStr(1, 602, 1, 0, 1, QString::fromLatin1(t0.toBase64()), 0));
             QString name, password;
             int privilege = 0;
             bool enabled = false;
             QVERIFY(sdk.ReadUserInfo(1, 602, name, password, privilege, enabled));
             QCOMPARE(privilege, 1);
             length = 2048;
             QVERIFY(sdk.ReadFingerTemplate(1, 602, 0, buffer, length));
             QCOMPARE(buffer.left(length), t0);
             length = 100; // less room than the template needs
             QVERIFY(!sdk.ReadFingerTemplate(1, 601, 3, buffer, length));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
             QVERIFY(sdk.DeleteFingerTemplate(1, 601, 3));
             length = 2048;
             QVERIFY(!sdk.ReadFingerTemplate(1, 601, 3, buffer, length));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
             QVERIFY(!sdk.SetUserTmp(1, 699, 0, t3));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
             QVERIFY(!sdk.WriteFingerTemplateText(1, 601, 5, QStringLiteral("0G")));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
         }},
        {QStringLiteral("delete a user"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.WriteUserInfo(1, 701, QStringLiteral("Bob"), QString(), 0, true));
             QVERIFY(sdk.DeleteEnrollData(1, 701, 1, 12));
             QString name, password;
             int privilege;
             bool enabled;
             QVERIFY(!sdk.ReadUserInfo(1, 701, name, password, privilege, enabled));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
             QVERIFY(!sdk.DeleteEnrollData(1, 701, 1, 12));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
         }},
        {QStringLiteral("status counters"),
         [](TTermSdk& sdk, const QString&) {
             int users = 0, capacity = 0, remaining = 0, v = 0;
             QVERIFY(sdk.GetDeviceStatus(1, 2, users));
             QVERIFY(sdk.WriteUserInfo(1, 801, QStringLiteral("Cai"), QStringLiteral("1"), 0, true));
             QVERIFY(sdk.GetDeviceStatus(1, 2, v));
             QCOMPARE(v, users + 1);
             QVERIFY(sdk.GetDeviceStatus(1, 8, capacity));
             QVERIFY(sdk.GetDeviceStatus(1, 11, remaining));
             QCOMPARE(remaining, capacity - v);
             QVERIFY(!sdk.GetDeviceStatus(1, 13, v));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
         }},
        {QStringLiteral("user list"),
         [](TTermSdk& sdk, const QString&) {
             int count = 0;
             QVERIFY(sdk.GetDeviceStatus(1, 2, count));
             QVERIFY(sdk.LoadAllUserIds(1));
             QString enroll, name, password;
             int privilege;
             bool enabled;
             QStringList seen;
             while (sdk.NextUserRecordStr(1, enroll, name, password, privilege, enabled))
                 seen << enroll;
             QCOMPARE(seen.size(), count);
             QVERIFY(seen.contains(QStringLiteral("1001")));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
         }},
        {QStringLiteral("administrators cleared"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.WriteUserInfo(1, 901, QStringLiteral("Boss"), QString(), 3, true));
             int admins = 0;
             QVERIFY(sdk.GetDeviceStatus(1, 1, admins));
             QVERIFY(admins >= 1);
             QVERIFY(sdk.ClearAdministrators(1));
             QVERIFY(sdk.GetDeviceStatus(1, 1, admins));
             QCOMPARE(admins, 0);
         }},
        {QStringLiteral("management log"),
         [](TTermSdk& sdk, const QString&) {
             int count = 0;
             QVERIFY(sdk.GetDeviceStatus(1, 5, count));
             QVERIFY(sdk.LoadSuperLogs(1));
             int n = 0, tmn, en, emn, target, manipulation, p1, p2, y, mo, d, h, mi;
             while (sdk.NextSuperLogRecord(1, tmn, en, emn, target, manipulation, p1, p2, y, mo, d, h, mi)) {
                 QCOMPARE(tmn, 4);
                 ++n;
             }
             QCOMPARE(n, count);
         }},
        {QStringLiteral("attendance log for export, then cleared"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.LoadLogs(1));
             int n = 0, tmn, en, emn, verify, state, y, mo, d, h, mi;
             while (sdk.NextLogRecord(1, tmn, en, emn, verify, state, y, mo, d, h, mi)) {
                 QVERIFY(en >= 1001 && en <= 1003);
                 ++n;
             }
             QCOMPARE(n, 10);
             QVERIFY(sdk.ClearAttendanceLogs(1));
             QVERIFY(!sdk.LoadAllLogs(1));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
         }},
        {QStringLiteral("backup and restore"),
         [](TTermSdk& sdk, const QString& dir) {
             const QString file = dir + QStringLiteral("/backup.dbin");
             QVERIFY(sdk.BackupData(file));
             QFile f(file);
             QVERIFY(f.open(QIODevice::ReadOnly));
             QCOMPARE(f.read(4), QByteArray("QVTD"));
             f.close();
             QVERIFY(sdk.WriteUserInfo(1, 1101, QStringLiteral("Later"), QString(), 0, true));
             QVERIFY(sdk.RestoreData(file));
             QString name, password;
             int privilege;
             bool enabled;
             QVERIFY(!sdk.ReadUserInfo(1, 1101, name, password, privilege, enabled)); // back to the backup
             QVERIFY(sdk.ReadUserInfo(1, 601, name, password, privilege, enabled));
             QCOMPARE(name, QStringLiteral("Ann"));
             QVERIFY(f.open(QIODevice::WriteOnly));
             f.write("not a backup");
             f.close();
             QVERIFY(!sdk.RestoreData(file));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
             QVERIFY(!sdk.BackupData(dir + QStringLiteral("/no/such/dir/backup")));
             QCOMPARE(lastError(sdk), int(TermError::FileError));
         }},
        {QStringLiteral("firmware"),
         [](TTermSdk& sdk, const QString& dir) {
             const QString file = dir + QStringLiteral("/emfw.cfg");
             QFile f(file);
             QVERIFY(f.open(QIODevice::WriteOnly));
             f.write(templateBytes(700000, 1)); // more than one upload piece
             f.close();
             QVERIFY(sdk.UpdateFirmware(file));
             QString version;
             QVERIFY(sdk.GetFirmwareVersion(1, version));
             QVERIFY(version.contains(QLatin1String("updated 1")));
             QVERIFY(f.open(QIODevice::WriteOnly));
             f.close();
             QVERIFY(!sdk.UpdateFirmware(file));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
             QVERIFY(!sdk.UpdateFirmware(dir + QStringLiteral("/missing.cfg")));
             QCOMPARE(lastError(sdk), int(TermError::FileError));
         }},
        {QStringLiteral("fingerprint image"),
         [](TTermSdk& sdk, const QString& dir) {
             int width = 80, height = 0;
             QByteArray image;
             const QString file = dir + QStringLiteral("/fp.bmp");
             QVERIFY(sdk.CaptureFingerImage(true, width, height, image, file));
             QCOMPARE(width, 256);
             QCOMPARE(height, 288);
             QVERIFY(image.startsWith("BM"));
             QFile f(file);
             QVERIFY(f.open(QIODevice::ReadOnly));
             QCOMPARE(f.readAll(), image);
         }},
        {QStringLiteral("display, beeper, voices, door"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.EnableDefaultLCD(false));
             QVERIFY(sdk.WriteLCD(1, 0, QStringLiteral("Welcome to work")));
             QVERIFY(!sdk.WriteLCD(9, 0, QStringLiteral("x")));
             QCOMPARE(lastError(sdk), int(TermError::InvalidArgument));
             QVERIFY(sdk.ClearLCD());
             QVERIFY(sdk.EnableDefaultLCD(true));
             QVERIFY(sdk.Beep(1000));
             QVERIFY(!sdk.Beep(-1));
             for (int i = 0; i < 10; ++i)
                 QVERIFY(sdk.PlayVoiceByIndex(i));
             QVERIFY(!sdk.PlayVoiceByIndex(99));
             QVERIFY(sdk.PlayVoice(30, 29));
             QVERIFY(sdk.ACUnlock(1, 200));
         }},
        {QStringLiteral("enrol, verify, identify"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.CancelOperation());
             QVERIFY(sdk.StartEnroll(65530, 0));
             QVERIFY(!sdk.StartIdentify());
             QCOMPARE(lastError(sdk), int(TermError::Busy));
             QVERIFY(sdk.CancelOperation());
             QVERIFY(!sdk.StartVerify(65530, 0));
             QCOMPARE(lastError(sdk), int(TermError::NoData));
             QVERIFY(sdk.WriteUserInfo(1, 65530, QStringLiteral("Test"), QString(), 0, true));
             QVERIFY(sdk.SetUserTmp(1, 65530, 0, templateBytes(300, 9)));
             QVERIFY(sdk.StartVerify(65530, 0));
             QVERIFY(sdk.CancelOperation());
             QVERIFY(sdk.StartIdentify());
             QVERIFY(sdk.CancelOperation());
         }},
        {QStringLiteral("enable and refresh"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.SetDeviceEnabled(1, false));
             QVERIFY(sdk.RefreshDeviceData(1));
             QVERIFY(sdk.SetDeviceEnabled(1, true));
         }},
        {QStringLiteral("client-side template helpers"),
         [](TTermSdk& sdk, const QString&) {
             const QByteArray t = templateBytes(438, 2);
             QCOMPARE(sdk.FPTempLength(QString::fromLatin1(t.toBase64())), 438);
             QCOMPARE(sdk.FPTempLength(QStringLiteral("not base64!")), -1);
             QByteArray out(2048, '\0');
             int length = 0;
             QVERIFY(sdk.ConvertFingerTemplate(t, out, length));
             QCOMPARE(length, 438 + 4);
             QCOMPARE(out.at(0), char(1));
             QCOMPARE(out.mid(3, 438), t);
             QVERIFY(!sdk.ConvertFingerTemplate(QByteArray(), out, length));
         }},
        {QStringLiteral("power off ends the session"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.PowerOffDevice(1));
             int v;
             QVERIFY(!sdk.GetDeviceInfo(1, 1, v));
             QCOMPARE(lastError(sdk), int(TermError::NotConnected));
         }},
        {QStringLiteral("clear all data"),
         [](TTermSdk& sdk, const QString&) {
             QVERIFY(sdk.ClearAllData(1));
             int users = -1;
             QVERIFY(sdk.GetDeviceStatus(1, 2, users));
             QCOMPARE(users, 0);
             QVERIFY(sdk.LoadAllUserIds(1)); // an empty list loads, and has no first record
             QString enroll, name, password;
             int privilege;
             bool enabled;
             QVERIFY(!sdk.NextUserRecordStr(1, enroll, name, password, privilege, enabled));
         }},
    };
    return checks;
}

void TermSdkClientTest::operations_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < operationChecks().size(); ++i)
        QTest::newRow(qPrintable(operationChecks().at(i).first)) << i;
}

void TermSdkClientTest::operations()
{
    QFETCH(int, index);
    TTermSdk sdk;
    QString version;
    QVERIFY(sdk.GetSdkVersion(version)); // needs no connection
    QVERIFY(!version.isEmpty());
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), m_scratchPort));
    operationChecks().at(index).second(sdk, m_dir.path());
    sdk.Disconnect();
}

void TermSdkClientTest::bulkLoadMatchesTerminal_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("colour terminal, 200k records over TCP, text fetch") << false;
    QTest::newRow("black-and-white terminal over the serial line, numeric fetch") << true;
}

void TermSdkClientTest::bulkLoadMatchesTerminal()
{
    QFETCH(bool, serial);
    // The terminal's log, generated here exactly as termsim seeded it.
    SimTerminalData expected;
    SimSeeder::Options o;
    o.lastDay = kLastDay;
    if (serial) {
        expected.kind = SimKind::BlackWhite;
        o.users = 20;
        o.logs = 20000;
        o.days = 90;
        o.seed = 3;
    } else {
        expected.kind = SimKind::Color;
        o.users = 30;
        o.logs = 200000;
        o.days = 365;
        o.seed = 5;
    }
    SimSeeder::seed(expected, o);

    TTermSdk sdk;
    if (serial)
        QVERIFY(sdk.ConnectSerial(1, 1, 19200));
    else
        QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), m_colorPort));
    QVERIFY(sdk.LoadAllLogs(1));
    qsizetype i = 0;
    for (;; ++i) {
        QString enroll;
        int number = 0, tmn = 0, emn = 0, verify = -1, state = -1, y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, work = -1;
        const bool more = serial ? sdk.NextLogRecord(1, tmn, number, emn, verify, state, y, mo, d, h, mi)
                                 : sdk.NextLogRecordStr(1, enroll, verify, state, y, mo, d, h, mi, s, work);
        if (!more)
            break;
        QVERIFY(i < qsizetype(expected.logs.size()));
        const SimLogRecord& r = expected.logs[size_t(i)];
        int ey, emo, ed, eh, emi, es;
        WireTime::toFields(r.time, ey, emo, ed, eh, emi, es);
        const QString expectedEnroll = QString::fromUtf8(expected.enrollTexts.at(r.enrollId));
        if (serial) {
            QCOMPARE(number, expectedEnroll.toInt());
            QCOMPARE(tmn, 1);
            QCOMPARE(es, 0); // black-and-white terminals log to the minute
        } else {
            QCOMPARE(enroll, expectedEnroll);
            QCOMPARE(s, es);
            QCOMPARE(work, int(r.workCode));
        }
        QCOMPARE(verify, int(r.verifyMode));
        QCOMPARE(state, int(r.inOutMode));
        QCOMPARE(QDateTime(QDate(y, mo, d), QTime(h, mi)), QDateTime(QDate(ey, emo, ed), QTime(eh, emi)));
    }
    QCOMPARE(i, qsizetype(expected.logs.size()));
    QCOMPARE(lastError(sdk), int(TermError::NoData));
    sdk.Disconnect();
}

void TermSdkClientTest::traceShowsCallsInOrder()
{
    const qsizetype before = traceLines().size();
    // One terminal visit as the main window makes it, against the keyed terminal.
    TTermSdk sdk;
    sdk.SetCommKey(kFaceKey);
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), m_facePort));
    QVERIFY(sdk.LoadAllLogs(1));
    QString enroll;
    int verify, state, y, mo, d, h, mi, s, work;
    while (sdk.NextLogRecordStr(1, enroll, verify, state, y, mo, d, h, mi, s, work)) {
    }
    sdk.RefreshDeviceData(1);
    sdk.SetDeviceEnabled(1, true);
    sdk.Disconnect();
    const QStringList lines = traceLines().mid(before);
    const QStringList expected{
        QStringLiteral("3 ConnectNetwork(127.0.0.1,%1)").arg(m_facePort),
        QStringLiteral("3 LoadAllLogs(1)"),
        QStringLiteral("3 RefreshDeviceData(1)"),
        QStringLiteral("3 SetDeviceEnabled(1,1)"),
        QStringLiteral("3 Disconnect()"),
    };
    QCOMPARE(lines, expected);
}

void TermSdkClientTest::traceEscapesTexts_data()
{
    // A user name as a client sends it, and as the trace must show it: one
    // line, arguments that cannot be confused.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("traced");
    QTest::newRow("line feed that forges a request line")
        << QStringLiteral("Li\n4 Disconnect()") << QStringLiteral("Li\\n4 Disconnect\\(\\)");
    QTest::newRow("commas") << QStringLiteral("Li, Lei,2") << QStringLiteral("Li\\, Lei\\,2");
    QTest::newRow("backslash and carriage return") << QStringLiteral("a\\n\r") << QStringLiteral("a\\\\n\\r");
    QTest::newRow("Chinese name") << QStringLiteral("李雷") << QStringLiteral("李雷");
}

void TermSdkClientTest::traceEscapesTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, traced);
    const qsizetype before = traceLines().size();
    TTermSdk sdk;
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), m_scratchPort));
    QVERIFY(sdk.WriteUserInfo(1, 77, name, QString(), 0, true));
    sdk.Disconnect();
    const QStringList lines = traceLines().mid(before);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(1), QStringLiteral("4 WriteUserInfo(1,77,%1,,0,1)").arg(traced));
}

void TermSdkClientTest::faults_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("scenario");
    QTest::newRow("corrupted reply") << QStringList{QStringLiteral("--corrupt-frame"), QStringLiteral("3")}
                                     << QStringLiteral("corrupt");
    QTest::newRow("connection dropped during a bulk load")
        << QStringList{QStringLiteral("--drop-after"), QStringLiteral("1000")} << QStringLiteral("drop");
    QTest::newRow("connects refused") << QStringList{QStringLiteral("--refuse-connects")} << QStringLiteral("refuse");
    QTest::newRow("answers later than the reply timeout")
        << QStringList{QStringLiteral("--delay-ms"), QStringLiteral("800")} << QStringLiteral("slow");
}

void TermSdkClientTest::faults()
{
    QFETCH(QStringList, options);
    QFETCH(QString, scenario);
    TermSimProcess sim;
    QVERIFY2(sim.start(options + QStringList{QStringLiteral("--terminal"),
                                             QStringLiteral("machine=1,kind=color,tcp=0,users=10,logs=50000")}),
             qPrintable(sim.errors()));
    const int port = sim.tcpPort(1);
    TTermSdk sdk;
    int y, mo, d, h, mi, s;
    if (scenario == QLatin1String("refuse")) {
        QVERIFY(!sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
        QCOMPARE(lastError(sdk), int(TermError::ConnectionRefused));
        return;
    }
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    if (scenario == QLatin1String("corrupt")) {
        QVERIFY(sdk.GetDeviceTime(1, y, mo, d, h, mi, s)); // reply 2
        QVERIFY(!sdk.GetDeviceTime(1, y, mo, d, h, mi, s)); // reply 3, corrupted
        QCOMPARE(lastError(sdk), int(TermError::ProtocolError));
    } else if (scenario == QLatin1String("drop")) {
        QVERIFY(!sdk.LoadAllLogs(1));
        QCOMPARE(lastError(sdk), int(TermError::ConnectionLost));
        QString enroll;
        int verify, state, sec, work;
        QVERIFY(!sdk.NextLogRecordStr(1, enroll, verify, state, y, mo, d, h, mi, sec, work)); // nothing half-loaded
    } else if (scenario == QLatin1String("slow")) {
        sdk.setReplyTimeout(200);
        QVERIFY(!sdk.GetDeviceTime(1, y, mo, d, h, mi, s));
        QCOMPARE(lastError(sdk), int(TermError::ReplyTimeout));
        // The late reply of that call must not be taken for the next one's.
        sdk.setReplyTimeout(5000);
        int v = 0;
        QVERIFY(sdk.GetDeviceInfo(1, 2, v));
        QCOMPARE(v, 1);
        return;
    }
    QVERIFY(!sdk.isConnected());
    // The client recovers: it connects again and works.
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    QVERIFY(sdk.GetDeviceTime(1, y, mo, d, h, mi, s));
}

void TermSdkClientTest::serverKilledMidTransfer()
{
    const QString trace = path(QStringLiteral("kill-trace.txt"));
    TermSimProcess sim;
    QStringList args{QStringLiteral("--trace"), trace, QStringLiteral("--delay-ms"), QStringLiteral("150"),
                     QStringLiteral("--terminal"), QStringLiteral("machine=1,kind=color,tcp=0,users=10,logs=200000")};
    QVERIFY2(sim.start(args), qPrintable(sim.errors()));
    const int port = sim.tcpPort(1);
    const qint64 pid = sim.pid();
    // Kill the server once it has started serving the load (its answers come 150 ms late).
    std::atomic<bool> killed{false};
    std::thread killer([&] {
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            QFile f(trace);
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains("LoadAllLogs")) {
                ::kill(pid_t(pid), SIGKILL);
                killed = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    TTermSdk sdk;
    const bool connected = sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port);
    const bool loaded = connected && sdk.LoadAllLogs(1);
    killer.join();
    QVERIFY(connected);
    QVERIFY(killed);
    QVERIFY(!loaded);
    QCOMPARE(lastError(sdk), int(TermError::ConnectionLost));
    QVERIFY(!sdk.isConnected());
    sim.killHard(); // reap

    // The same client connects to the restarted terminal and loads everything.
    TermSimProcess again;
    args[args.size() - 1] = QStringLiteral("machine=1,kind=color,tcp=%1,users=10,logs=200000").arg(port);
    QVERIFY2(again.start(args), qPrintable(again.errors()));
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    QVERIFY(sdk.LoadAllLogs(1));
}

void TermSdkClientTest::serialLineLostWhenServerDies()
{
    const QString link = path(QStringLiteral("com2"));
    qputenv("TERMSDK_COM2", link.toLocal8Bit());
    const QStringList args{QStringLiteral("--terminal"),
                           QStringLiteral("machine=5,kind=bw,serial=%1,baud=0,users=5,logs=100").arg(link)};
    TermSimProcess sim;
    QVERIFY2(sim.start(args), qPrintable(sim.errors()));
    TTermSdk sdk;
    sdk.setReplyTimeout(2000);
    QVERIFY(sdk.ConnectSerial(2, 5, 115200));
    int v = 0;
    QVERIFY(sdk.GetDeviceInfo(5, 2, v));
    QCOMPARE(v, 5);
    sim.killHard();
    QVERIFY(!sdk.GetDeviceInfo(5, 2, v));
    QCOMPARE(lastError(sdk), int(TermError::ConnectionLost));
    // The detail says what happened to the line, not the last system call's text.
    QVERIFY2(sdk.lastErrorDetail().startsWith(QStringLiteral("serial line %1 lost").arg(link)),
             qPrintable(sdk.lastErrorDetail()));
    QVERIFY(!sdk.isConnected());
    QVERIFY(!sdk.ConnectSerial(2, 5, 115200)); // the line is gone with its server
    TermSimProcess again;
    QVERIFY2(again.start(args), qPrintable(again.errors()));
    QVERIFY(sdk.ConnectSerial(2, 5, 115200));
    QVERIFY(sdk.GetDeviceInfo(5, 2, v));
}

QTEST_GUILESS_MAIN(TermSdkClientTest)
#include "TermSdkClientTest.moc"
