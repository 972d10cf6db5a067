// Terminal events end to end: a program's TTermSdk starts an enrol, verify or
// identify on termsim, a second connection places a finger on the emulated
// sensor (as `termctl sim-finger` does), and the events reach the first
// program's handler from its event loop, after its calls, in order.
#include "FingerTemplate.h"
#include "TTermSdk.h"
#include "TermError.h"
#include "TermSimProcess.h"

#include "WireFrame.h"
#include "WireOp.h"
#include "WireWriter.h"

#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

class TermEventTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void fingerOnTheSensor_data();
    void fingerOnTheSensor();
    void enrolStoresTheFingerAfterThreePresses();
    void eventsWaitForTheCallAndKeepTheirOrder();
    void idleTerminalRefusesTheFinger();
    void eventsOnASerialLine();
    void garbageWhileIdleFailsTheNextCall();

private:
    bool connectTcp(TTermSdk& sdk) { return sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), m_port); }

    QTemporaryDir m_dir;
    TermSimProcess m_sim;
    int m_port = 0;
};

namespace {

QByteArray frame(quint8 kind, quint32 sequence, quint16 op, const QByteArray& payload)
{
    WireFrame f;
    f.kind = kind;
    f.sequence = sequence;
    f.op = op;
    f.payload = payload;
    return f.encode();
}

int lastError(TTermSdk& sdk)
{
    int code = -1;
    sdk.GetLastErrorCode(code);
    return code;
}

// Records the events as "F<score>" and "V<user id>".
struct EventLog {
    QStringList lines;
    void attach(TTermSdk& sdk)
    {
        sdk.SetEventHandler([this](const TermEvent& e) {
            lines << (e.kind == TermEvent::Kind::FingerFeature ? QStringLiteral("F%1") : QStringLiteral("V%1"))
                         .arg(e.value);
        });
    }
};

bool place(TTermSdk& finger, const QString& enroll, int index, int score,
           TTermSdk::SimFingerResult* result = nullptr)
{
    TTermSdk::SimFingerResult r;
    const bool ok = finger.simulateFinger(enroll, index, score, r);
    if (result)
        *result = r;
    return ok;
}

} // namespace

void TermEventTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("TERMSDK_COM1", m_dir.filePath(QStringLiteral("com1")).toLocal8Bit());
    // Seeded users 1..3 each have a template for finger 0.
    QVERIFY2(m_sim.start({QStringLiteral("--terminal"),
                          QStringLiteral("machine=1,kind=bw,tcp=0,serial=%1,users=3,logs=0,seed=2")
                              .arg(m_dir.filePath(QStringLiteral("com1")))}),
             qPrintable(m_sim.errors()));
    m_port = m_sim.tcpPort(1);
    QVERIFY(m_port > 0);
}

void TermEventTest::init()
{
    TTermSdk sdk;
    QVERIFY(connectTcp(sdk));
    sdk.CancelOperation();
}

void TermEventTest::fingerOnTheSensor_data()
{
    QTest::addColumn<QString>("start"); // "verify" (user 1, finger 0) or "identify"
    QTest::addColumn<QString>("finger"); // "<enroll>/<index>"
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("matched");
    QTest::newRow("verify, the right finger") << "verify" << "1/0" << QStringList{"F77", "V1"} << "1";
    QTest::newRow("verify, another person") << "verify" << "2/0" << QStringList{"F77", "V-1"} << "";
    QTest::newRow("verify, another finger") << "verify" << "1/4" << QStringList{"F77", "V-1"} << "";
    QTest::newRow("identify finds the person") << "identify" << "3/0" << QStringList{"F77", "V3"} << "3";
    QTest::newRow("identify, unknown finger") << "identify" << "9/9" << QStringList{"F77", "V-1"} << "";
}

void TermEventTest::fingerOnTheSensor()
{
    QFETCH(QString, start);
    QFETCH(QString, finger);
    QFETCH(QStringList, events);
    QFETCH(QString, matched);
    TTermSdk program, sensor;
    EventLog log;
    log.attach(program);
    QVERIFY(connectTcp(program));
    QVERIFY(connectTcp(sensor));
    QVERIFY(start == QLatin1String("verify") ? program.StartVerify(1, 0) : program.StartIdentify());
    TTermSdk::SimFingerResult result;
    const QStringList f = finger.split(QLatin1Char('/'));
    QVERIFY(place(sensor, f[0], f[1].toInt(), 77, &result));
    QCOMPARE(result.matchedEnroll, matched);
    QVERIFY(result.eventsSent);
    QTRY_COMPARE(log.lines, events);
    // The operation ended with that finger: a second one is refused.
    QVERIFY(!place(sensor, f[0], f[1].toInt(), 77));
    QCOMPARE(lastError(sensor), int(TermError::Refused));
}

void TermEventTest::enrolStoresTheFingerAfterThreePresses()
{
    TTermSdk program, sensor;
    EventLog log;
    log.attach(program);
    QVERIFY(connectTcp(program));
    QVERIFY(connectTcp(sensor));
    program.DeleteEnrollData(1, 65530, 1, 12);
    QVERIFY(program.StartEnroll(65530, 0));
    TTermSdk::SimFingerResult result;
    for (int left : {2, 1, 0}) {
        QVERIFY(place(sensor, QStringLiteral("7"), 3, 60 + left, &result));
        QCOMPARE(result.pressesLeft, left);
    }
    QTRY_COMPARE(log.lines, (QStringList{"F62", "F61", "F60"}));
    QByteArray buffer(2048, '\0');
    int length = 2048;
    QVERIFY(program.ReadFingerTemplate(1, 65530, 0, buffer, length));
    const QByteArray stored = buffer.left(length);
    QVERIFY(FingerTemplate::isWellFormed(stored));
    QCOMPARE(stored, FingerTemplate::forFinger(QStringLiteral("7"), 3, int(stored.size())));
    // The template is the placed finger's: the new user's own index does not
    // match it, the finger that was placed does.
    log.lines.clear();
    QVERIFY(program.StartVerify(65530, 0));
    QVERIFY(place(sensor, QStringLiteral("65530"), 0, 50));
    QVERIFY(program.StartVerify(65530, 0));
    QVERIFY(place(sensor, QStringLiteral("7"), 3, 50));
    QTRY_COMPARE(log.lines, (QStringList{"F50", "V-1", "F50", "V65530"}));
}

void TermEventTest::eventsWaitForTheCallAndKeepTheirOrder()
{
    TTermSdk program, sensor;
    QStringList seen;
    bool inCall = false;
    program.SetEventHandler([&](const TermEvent& e) {
        QVERIFY2(!inCall, "an event was handed over inside an SDK call");
        seen << QString::number(e.value);
    });
    QVERIFY(connectTcp(program));
    QVERIFY(connectTcp(sensor));
    QVERIFY(program.StartIdentify());
    QVERIFY(place(sensor, QStringLiteral("2"), 0, 40));
    // The event frames are on the wire before this call's reply; the reply
    // still answers the call and the events wait for the event loop.
    inCall = true;
    QString serial;
    QVERIFY(program.GetSerialNumber(1, serial));
    QCOMPARE(serial, QStringLiteral("TSB00000001"));
    inCall = false;
    QCOMPARE(seen, QStringList());
    QTRY_COMPARE(seen, (QStringList{"40", "2"}));
}

void TermEventTest::idleTerminalRefusesTheFinger()
{
    TTermSdk sensor;
    QVERIFY(connectTcp(sensor));
    QVERIFY(!place(sensor, QStringLiteral("1"), 0, 80));
    QCOMPARE(lastError(sensor), int(TermError::Refused));
    QVERIFY(!place(sensor, QStringLiteral("1"), 10, 80));
    QCOMPARE(lastError(sensor), int(TermError::InvalidArgument));
}

void TermEventTest::eventsOnASerialLine()
{
    TTermSdk program, sensor;
    EventLog log;
    log.attach(program);
    program.SetCommPort(1);
    QVERIFY(program.ConnectSerial(1, 1, 115200));
    QVERIFY(connectTcp(sensor));
    QVERIFY(program.StartVerify(2, 0));
    QVERIFY(place(sensor, QStringLiteral("2"), 0, 90));
    QTRY_COMPARE(log.lines, (QStringList{"F90", "V2"}));
    program.Disconnect();
}

void TermEventTest::garbageWhileIdleFailsTheNextCall()
{
    // A terminal in its own thread that answers the connect, sends one event,
    // then noise while the program makes no call.
    QSemaphore listening, eventSeen, noiseSent;
    quint16 port = 0;
    std::thread terminal([&] {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        port = server.serverPort();
        listening.release();
        if (!server.waitForNewConnection(5000))
            return;
        QTcpSocket* peer = server.nextPendingConnection();
        peer->waitForReadyRead(5000);
        peer->readAll();
        WireWriter w;
        w.u8(0).i32(1);
        peer->write(frame(WireFrame::Reply, 1, quint16(WireOp::Connect), w.data()));
        WireWriter score;
        score.i32(55);
        peer->write(frame(WireFrame::Event, 1, quint16(WireEvent::FingerFeature), score.data()));
        peer->waitForBytesWritten(5000);
        eventSeen.tryAcquire(1, 5000);
        peer->write(QByteArray(20, 'x'));
        peer->waitForBytesWritten(5000);
        noiseSent.release();
        peer->waitForDisconnected(5000);
    });
    listening.acquire();
    TTermSdk program;
    EventLog log;
    log.attach(program);
    const bool connected = program.ConnectNetwork(QStringLiteral("127.0.0.1"), port);
    const bool eventDelivered = connected && QTest::qWaitFor([&] { return !log.lines.isEmpty(); }, 5000);
    eventSeen.release();
    noiseSent.tryAcquire(1, 5000);
    QTest::qWait(50); // the noise reaches the idle link through the event loop
    QString serial;
    const bool answered = program.GetSerialNumber(1, serial);
    const int code = lastError(program);
    program.Disconnect();
    terminal.join();
    QVERIFY(connected);
    QVERIFY(eventDelivered);
    QCOMPARE(log.lines, QStringList{"F55"});
    QVERIFY(!answered);
    QCOMPARE(code, int(TermError::ProtocolError));
}

QTEST_GUILESS_MAIN(TermEventTest)
#include "TermEventTest.moc"
