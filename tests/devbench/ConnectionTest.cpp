// The test window's connection panel against the recording fake: which SDK
// calls a connect makes in which order, the lines it reports, the status
// report, disconnecting, the "Enabled" box and the SDK version at start.
#include "BenchWindowFixture.h"
#include "TaggedButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

namespace {
const QStringList kStatusCalls{"GetFirmwareVersion(%1)", "GetSerialNumber(%1)", "GetProductCode(%1)",
                               "GetDeviceTime(%1)"};

QStringList statusTrace(int machine)
{
    QStringList trace;
    for (const QString& call : kStatusCalls)
        trace << call.arg(machine);
    for (int i = 1; i <= 12; ++i)
        trace << QStringLiteral("GetDeviceStatus(%1,%2)").arg(machine).arg(i);
    return trace;
}
} // namespace

class ConnectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsDisconnectedOnTheSerialDefaults();
    void sdkVersionIsTheLabel();
    void connectCalls_data();
    void connectCalls();
    void connectReportsStatusAndConnects();
    void failedConnectReportsTheCode();
    void networkConnectLeavesMachineOneAfterFailure();
    void statusReportHasSixteenLinesWhateverFails();
    void badNumberStopsBeforeTheSdk_data();
    void badNumberStopsBeforeTheSdk();
    void disconnectMakesThreeCallsAndNoLine();
    void enabledBoxSwitchesTheTerminalWithoutLines();
    void transportSwitchRelabels();
};

void ConnectionTest::startsDisconnectedOnTheSerialDefaults()
{
    BenchWindowFixture f;
    TForm1& w = *f.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Horolux"));
    QCOMPARE(w.btnConnect->Tag, 0);
    QCOMPARE(w.btnConnect->text(), QStringLiteral("Connect"));
    QVERIFY(w.sbtnRS232->isChecked());
    QVERIFY(!w.sbtnTCPIP->isChecked());
    QCOMPARE(w.Label3->text(), QStringLiteral("IP Address:"));
    QCOMPARE(w.Label4->text(), QStringLiteral("Port:"));
    QCOMPARE(w.edtNetAddress->text(), QStringLiteral("COM1"));
    QCOMPARE(w.edtNetPort->text(), QStringLiteral("1"));
    QCOMPARE(w.edtBaudRate->text(), QStringLiteral("115200"));
    QVERIFY(w.edtPassword->text().isEmpty());
    QVERIFY(!w.chkEnabled->isChecked());
    QVERIFY(f.lines().isEmpty());
    QCOMPARE(w.machineNumber(), 0);
    // The controls keep the places of the original window.
    QCOMPARE(w.Memo1->geometry(), QRect(8, 104, 217, 393));
    QCOMPARE(w.findChild<QWidget*>("Button2")->geometry(), QRect(696, 360, 65, 25));
}

void ConnectionTest::sdkVersionIsTheLabel()
{
    {
        FakeUiServices fakes;
        TForm1 w(fakes.services(), [] {
            auto sdk = std::make_unique<FakeTermSdk>();
            sdk->setDefault(QStringLiteral("GetSdkVersion"), {true, {QStringLiteral("6.2.5")}});
            return sdk;
        });
        QCOMPARE(w.Label1->text(), QStringLiteral("6.2.5"));
    }
    FakeUiServices fakes;
    TForm1 w(fakes.services(), [] {
        auto sdk = std::make_unique<FakeTermSdk>();
        sdk->setDefault(QStringLiteral("GetSdkVersion"), {false, {QStringLiteral("junk")}});
        return sdk;
    });
    QCOMPARE(w.Label1->text(), QString());
}

void ConnectionTest::connectCalls_data()
{
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("machine");

    QTest::newRow("untouched defaults") << false << "COM1" << "1" << ""
                                        << QStringList{"CommPort(1)", "ConnectSerial(1,1,115200)"} << 1;
    QTest::newRow("lower case com2") << false << "com2" << "5" << ""
                                     << QStringList{"CommPort(2)", "ConnectSerial(2,5,115200)"} << 5;
    QTest::newRow("COM12 is port 1") << false << "COM12" << "3" << ""
                                     << QStringList{"CommPort(1)", "ConnectSerial(1,3,115200)"} << 3;
    QTest::newRow("hex device id") << false << "COM3" << "$0A" << ""
                                   << QStringList{"CommPort(3)", "ConnectSerial(3,10,115200)"} << 10;
    QTest::newRow("password zero") << false << "COM1" << "1" << "000"
                                   << QStringList{"SetCommKey(0)", "CommPort(1)", "ConnectSerial(1,1,115200)"} << 1;
    QTest::newRow("TCP defaults") << true << "192.168.1.201" << "$1112" << ""
                                  << QStringList{"ConnectNetwork(192.168.1.201,4370)"} << 1;
    QTest::newRow("TCP with key") << true << "127.0.0.1" << "4371" << "$10"
                                  << QStringList{"SetCommKey(16)", "ConnectNetwork(127.0.0.1,4371)"} << 1;
}

void ConnectionTest::connectCalls()
{
    QFETCH(bool, network);
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, password);
    QFETCH(QStringList, calls);
    QFETCH(int, machine);

    BenchWindowFixture f;
    TForm1& w = *f.window;
    if (network)
        f.click(w.sbtnTCPIP);
    w.edtNetAddress->setText(address);
    w.edtNetPort->setText(port);
    w.edtPassword->setText(password);
    f.click(w.btnConnect);

    QCOMPARE(f.sdk->callTrace().mid(0, calls.size()), calls);
    QCOMPARE(f.sdk->callTrace().mid(calls.size()), statusTrace(machine));
    QCOMPARE(w.machineNumber(), machine);
    QVERIFY(f.fakes.messages.shown.isEmpty());
}

void ConnectionTest::connectReportsStatusAndConnects()
{
    BenchWindowFixture f;
    f.sdk->setDefault(QStringLiteral("GetFirmwareVersion"), {true, {QStringLiteral("Ver 6.60 Apr 2024")}});
    f.sdk->setDefault(QStringLiteral("GetSerialNumber"), {true, {QStringLiteral("SN-0042")}});
    f.sdk->setDefault(QStringLiteral("GetProductCode"), {true, {QStringLiteral("U160")}});
    f.sdk->setDefault(QStringLiteral("GetDeviceTime"), {true, {2024, 1, 5, 8, 3, 9}});
    for (int i = 1; i <= 12; ++i)
        f.sdk->push(QStringLiteral("GetDeviceStatus"), {true, {i * 10}});
    f.click(f.window->btnConnect);

    QCOMPARE(f.lines(), (QStringList{"Device Connected.",
                                     "Firmware Version: Ver 6.60 Apr 2024",
                                     "Serial Number: SN-0042",
                                     "ProductCode: U160",
                                     "DeviceTime=2024-1-5 8:3:9",
                                     "Tatal administrator: 10",
                                     "Tatal users: 20",
                                     "Tatal FP: 30",
                                     "Tatal Password: 40",
                                     "Tatal manage record: 50",
                                     "Tatal In and out record: 60",
                                     "Nominal FP number: 70",
                                     "Nominal user number: 80",
                                     "Nominal In and out record number: 90",
                                     "Remain FP number: 100",
                                     "Remain user number: 110",
                                     "Remain In and out record number: 120",
                                     " "}));
    QCOMPARE(f.window->btnConnect->Tag, 1);
    QCOMPARE(f.window->btnConnect->text(), QStringLiteral("Disconnect"));
}

void ConnectionTest::failedConnectReportsTheCode()
{
    BenchWindowFixture f;
    f.window->edtNetAddress->setText(QStringLiteral("COM"));
    f.failAlways(QStringLiteral("ConnectSerial"), -48);
    f.click(f.window->btnConnect);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"CommPort(-48)", "ConnectSerial(-48,1,115200)", "GetLastErrorCode()"}));
    QCOMPARE(f.lines(), (QStringList{"! ConnectDevice ErrorNo.=-48", " "}));
    QCOMPARE(f.window->btnConnect->Tag, 0);
    QCOMPARE(f.window->btnConnect->text(), QStringLiteral("Connect"));
    QCOMPARE(f.window->comPort(), -48);
}

void ConnectionTest::networkConnectLeavesMachineOneAfterFailure()
{
    BenchWindowFixture f;
    f.click(f.window->sbtnTCPIP);
    f.failAlways(QStringLiteral("ConnectNetwork"), 4);
    f.click(f.window->btnConnect);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"ConnectNetwork(192.168.1.201,4370)", "GetLastErrorCode()"}));
    QCOMPARE(f.window->machineNumber(), 1);
    QCOMPARE(f.lines(), (QStringList{"! ConnectDevice ErrorNo.=4", " "}));
}

void ConnectionTest::statusReportHasSixteenLinesWhateverFails()
{
    BenchWindowFixture f;
    f.sdk->setDefault(QStringLiteral("GetSerialNumber"), {false});
    f.sdk->setDefault(QStringLiteral("GetDeviceTime"), {false});
    f.sdk->setDefault(QStringLiteral("GetDeviceStatus"), {true, {7}});
    f.sdk->push(QStringLiteral("GetDeviceStatus"), {true, {1}});
    f.sdk->push(QStringLiteral("GetDeviceStatus"), {false});
    f.sdk->setDefault(QStringLiteral("GetLastErrorCode"), {true, {-2}});
    f.window->ShowDeviceStatus();
    const QStringList lines = f.lines();
    QCOMPARE(lines.size(), 16);
    QCOMPARE(lines.mid(0, 6), (QStringList{"Firmware Version: ", "! GetSerialNumber ErrorNo.=-2", "ProductCode: ",
                                           "! GetDeviceTime ErrorNo.=-2", "Tatal administrator: 1",
                                           "! GetDeviceStatus(2) ErrorNo.=-2"}));
    QCOMPARE(lines.last(), QStringLiteral("Remain In and out record number: 7"));

    // With nothing answering at all, still 16 lines.
    BenchWindowFixture dead;
    for (const char* op : {"GetFirmwareVersion", "GetSerialNumber", "GetProductCode", "GetDeviceTime", "GetDeviceStatus"})
        dead.failAlways(QLatin1String(op), 3);
    dead.window->ShowDeviceStatus();
    QCOMPARE(dead.lines().size(), 16);
    QCOMPARE(dead.lines().first(), QStringLiteral("! GetFirmwareVersion ErrorNo.=3"));
    QCOMPARE(dead.lines().last(), QStringLiteral("! GetDeviceStatus(12) ErrorNo.=3"));
}

void ConnectionTest::badNumberStopsBeforeTheSdk_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("error");

    QTest::newRow("device id") << "x1" << "5" << "115200" << QStringList{} << "'x1' is not a valid integer value";
    QTest::newRow("password") << "1" << "12a" << "115200" << QStringList{} << "'12a' is not a valid integer value";
    QTest::newRow("baud rate") << "2" << "5" << "fast" << QStringList{"SetCommKey(5)", "CommPort(1)"}
                               << "'fast' is not a valid integer value";
}

void ConnectionTest::badNumberStopsBeforeTheSdk()
{
    QFETCH(QString, port);
    QFETCH(QString, password);
    QFETCH(QString, baud);
    QFETCH(QStringList, calls);
    QFETCH(QString, error);

    BenchWindowFixture f;
    f.window->edtNetPort->setText(port);
    f.window->edtPassword->setText(password);
    f.window->edtBaudRate->setText(baud);
    f.click(f.window->btnConnect);
    QCOMPARE(f.sdk->callTrace(), calls);
    QCOMPARE(f.fakes.messages.errors(), QStringList{error});
    QVERIFY(f.lines().isEmpty());
    QCOMPARE(f.window->btnConnect->Tag, 0);
}

void ConnectionTest::disconnectMakesThreeCallsAndNoLine()
{
    BenchWindowFixture f;
    f.window->edtNetPort->setText(QStringLiteral("9"));
    f.click(f.window->btnConnect);
    const int before = f.lines().size();
    f.sdk->calls.clear();
    f.sdk->setDefault(QStringLiteral("RefreshDeviceData"), {false});
    f.sdk->setDefault(QStringLiteral("SetDeviceEnabled"), {false});
    f.click(f.window->btnConnect);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"RefreshDeviceData(9)", "SetDeviceEnabled(9,true)", "Disconnect()"}));
    QCOMPARE(f.lines().size(), before);
    QCOMPARE(f.window->btnConnect->Tag, 0);
    QCOMPARE(f.window->btnConnect->text(), QStringLiteral("Connect"));
    QCOMPARE(f.window->machineNumber(), 9);
}

void ConnectionTest::enabledBoxSwitchesTheTerminalWithoutLines()
{
    BenchWindowFixture f;
    f.click(f.window->chkEnabled);
    f.click(f.window->chkEnabled);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"SetDeviceEnabled(0,true)", "SetDeviceEnabled(0,false)"}));
    QVERIFY(f.lines().isEmpty());
}

void ConnectionTest::transportSwitchRelabels()
{
    BenchWindowFixture f;
    TForm1& w = *f.window;
    f.click(w.sbtnTCPIP);
    QVERIFY(w.sbtnTCPIP->isChecked() && !w.sbtnRS232->isChecked());
    QCOMPARE(QStringList({w.Label3->text(), w.Label4->text(), w.edtNetAddress->text(), w.edtNetPort->text()}),
             QStringList({"IP Address:", "Port Number:", "192.168.1.201", "$1112"}));
    f.click(w.sbtnRS232);
    QCOMPARE(QStringList({w.Label3->text(), w.Label4->text(), w.edtNetAddress->text(), w.edtNetPort->text()}),
             QStringList({"Com Port:", "Device ID:", "COM1", "1"}));
    QVERIFY(f.sdk->calls.isEmpty());
}

QTEST_MAIN(ConnectionTest)
#include "ConnectionTest.moc"
