#include "MainWindowFixture.h"

#include <QtTest>

using namespace QvTables;

namespace {
QStringList linkStates(WorkingTable& devices)
{
    QStringList states;
    for (devices.first(); !devices.eof(); devices.next())
        states << devices.fieldText(kLinkState);
    return states;
}
} // namespace

class ConnectionTestTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void callSequencePerTransport();
    void commKeyRule_data();
    void commKeyRule();
    void badKeyStopsTheRunAtThatRow();
    void failedConnectIsNotReleasedAndWalkGoesOn();
    void sameDeviceNumberTwice();
};

void ConnectionTestTest::callSequencePerTransport()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 2}, {kSerialPort, 3}, {kBaudRate, 115200}, {kCommPassword, QStringLiteral("12")}});
    f.addDevice({{kDeviceNo, 5}, {kCommMode, kNetworkMode}, {kIpAddress, QStringLiteral("10.1.2.3")}, {kTcpPort, 4371}});
    f.click(f.window->BT_QVJ_Test);

    QCOMPARE(f.sdk1().callTrace(), (QStringList{
        "SetCommKey(12)", "CommPort(3)", "ConnectSerial(3,2,115200)",
        "RefreshDeviceData(2)", "SetDeviceEnabled(2,true)", "Disconnect()",
        // A network terminal is machine 1 whatever its 设备号, and CommPort is left alone.
        "ConnectNetwork(10.1.2.3,4371)", "RefreshDeviceData(1)", "SetDeviceEnabled(1,true)", "Disconnect()"}));
    QVERIFY(f.sdk2().calls.isEmpty());
    QCOMPARE(linkStates(f.devices()), (QStringList{"成功", "成功"}));
    QCOMPARE(f.fakes.events.pauses, (QList<int>{100, 100}));
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QCOMPARE(f.window->visitState.machineNumber, 1);
    QCOMPARE(f.window->visitState.ipAddress, QStringLiteral("10.1.2.3"));
    QCOMPARE(f.window->visitState.baudRate, 115200); // a network visit leaves the baud rate alone
}

void ConnectionTestTest::commKeyRule_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("keyCalls");
    QTest::newRow("empty: no key") << kSerialMode << "" << QStringList{};
    QTest::newRow("zero is a key") << kSerialMode << "0" << QStringList{"SetCommKey(0)"};
    QTest::newRow("minus one means no key") << kNetworkMode << "-1" << QStringList{};
    QTest::newRow("a key on the network") << kNetworkMode << "808" << QStringList{"SetCommKey(808)"};
    QTest::newRow("any other mode text is the network") << "" << "7" << QStringList{"SetCommKey(7)"};
}

void ConnectionTestTest::commKeyRule()
{
    QFETCH(QString, mode);
    QFETCH(QString, password);
    QFETCH(QStringList, keyCalls);
    MainWindowFixture f;
    f.addDevice({{kCommMode, mode}, {kIpAddress, QStringLiteral("127.0.0.1")}, {kCommPassword, password}});
    f.click(f.window->BT_QVJ_Test);
    QStringList calls = f.sdk1().callTrace();
    QCOMPARE(calls.filter(QStringLiteral("SetCommKey")), keyCalls);
    const bool serial = mode == kSerialMode;
    QCOMPARE(calls.contains(QStringLiteral("ConnectSerial(1,1,19200)")), serial);
    QCOMPARE(calls.contains(QStringLiteral("ConnectNetwork(127.0.0.1,4370)")), !serial);
}

void ConnectionTestTest::badKeyStopsTheRunAtThatRow()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}});
    f.addDevice({{kDeviceNo, 2}, {kCommPassword, QStringLiteral("abc")}, {kLinkState, QStringLiteral("成功")}});
    f.addDevice({{kDeviceNo, 3}});
    f.click(f.window->BT_QVJ_Test);

    QCOMPARE(f.fakes.messages.shown.size(), 1);
    QVERIFY(f.fakes.messages.shown.first().text.contains(QStringLiteral("abc")));
    // Row 1 was visited; row 2 made no call at all; row 3 was never reached.
    QCOMPARE(f.sdk1().callNames().count(QStringLiteral("ConnectSerial")), 1);
    QCOMPARE(linkStates(f.devices()), (QStringList{"成功", "成功", ""}));
}

void ConnectionTestTest::failedConnectIsNotReleasedAndWalkGoesOn()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}});
    f.addDevice({{kDeviceNo, 2}});
    f.sdk1().push(QStringLiteral("ConnectSerial"), {false});
    f.click(f.window->BT_QVJ_Test);
    QCOMPARE(f.sdk1().callNames(), (QStringList{"CommPort", "ConnectSerial", "CommPort", "ConnectSerial",
                                                "RefreshDeviceData", "SetDeviceEnabled", "Disconnect"}));
    QCOMPARE(linkStates(f.devices()), (QStringList{"失败", "成功"}));
    QVERIFY(f.fakes.messages.shown.isEmpty()); // the test shows no box
}

void ConnectionTestTest::sameDeviceNumberTwice()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 7}, {kSerialPort, 1}});
    f.addDevice({{kDeviceNo, 7}, {kSerialPort, 2}});
    f.sdk1().push(QStringLiteral("ConnectSerial"), {true});
    f.sdk1().push(QStringLiteral("ConnectSerial"), {false});
    f.click(f.window->BT_QVJ_Test);
    QCOMPARE(f.sdk1().callTrace().filter(QStringLiteral("ConnectSerial")),
             (QStringList{"ConnectSerial(1,7,19200)", "ConnectSerial(2,7,19200)"}));
    QCOMPARE(linkStates(f.devices()), (QStringList{"成功", "失败"}));
}

QTEST_MAIN(ConnectionTestTest)
#include "ConnectionTestTest.moc"
