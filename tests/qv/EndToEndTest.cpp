// QV's three terminal operations through the real SDK client against the
// terminal emulator: a black-and-white terminal on a serial line (a pseudo
// terminal published as COM1) and a colour terminal on TCP.
#include "FakeUiServices.h"
#include "ModalDialogDriver.h"
#include "QvTables.h"
#include "TTermSdk.h"
#include "TermSimProcess.h"
#include "TfrmMain.h"
#include "THVDateEdit.h"
#include "TfrmhvDateArea.h"
#include "WorkingTable.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace QvTables;

class EndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void connectionTestMarksEveryTerminal();
    void usersOfEveryTerminal();
    void recordsOfTheRange();
    void deadTerminalIsReportedAndTheRunGoesOn();

private:
    struct Window {
        FakeUiServices fakes;
        TfrmMain window{fakes.services(), [] { return std::make_unique<TTermSdk>(); }};
        Window() { window.show(); }
    };
    void addTerminals(TfrmMain& window, int tcpPort);
    QStringList traceLines() const;

    QTemporaryDir m_dir;
    TermSimProcess m_termsim;
    int m_tcpPort = 0;
};

void EndToEndTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString com1 = m_dir.filePath(QStringLiteral("com1"));
    qputenv("TERMSDK_COM1", com1.toLocal8Bit());
    QVERIFY2(m_termsim.start({QStringLiteral("--trace"), m_dir.filePath(QStringLiteral("trace.txt")),
                              QStringLiteral("--terminal"),
                              QStringLiteral("machine=1,kind=bw,serial=%1,baud=0,users=12,logs=3000,days=30,seed=11,end=2024-05-31").arg(com1),
                              QStringLiteral("--terminal"),
                              QStringLiteral("machine=2,kind=color,tcp=0,users=25,logs=5000,days=30,seed=12,end=2024-05-31")}),
             qPrintable(m_termsim.errors()));
    m_tcpPort = m_termsim.tcpPort(2);
    QVERIFY(m_tcpPort > 0);
}

void EndToEndTest::addTerminals(TfrmMain& window, int tcpPort)
{
    WorkingTable& devices = *window.Ado_DataSet_QVJ;
    devices.append(); // the defaults: serial, COM1, machine 1, 19200
    devices.setFieldValue(kDeviceType, kBlackWhite);
    devices.post();
    devices.append();
    devices.setFieldValue(kDeviceNo, 7);
    devices.setFieldValue(kCommMode, kNetworkMode);
    devices.setFieldValue(kIpAddress, QStringLiteral("127.0.0.1"));
    devices.setFieldValue(kTcpPort, tcpPort);
    devices.post();
}

QStringList EndToEndTest::traceLines() const
{
    QFile trace(m_dir.filePath(QStringLiteral("trace.txt")));
    if (!trace.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(trace.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void EndToEndTest::connectionTestMarksEveryTerminal()
{
    Window w;
    addTerminals(w.window, m_tcpPort);
    const int traced = traceLines().size();
    QTest::mouseClick(w.window.BT_QVJ_Test, Qt::LeftButton);
    WorkingTable& devices = *w.window.Ado_DataSet_QVJ;
    QStringList states;
    for (devices.first(); !devices.eof(); devices.next())
        states << devices.fieldText(kLinkState);
    QCOMPARE(states, (QStringList{"成功", "成功"}));
    // The terminals saw each visit in order: connect, refresh, re-enable, disconnect.
    const QStringList served = traceLines().mid(traced);
    QCOMPARE(served, (QStringList{"1 ConnectSerial(1,1,19200)", "1 RefreshDeviceData(1)", "1 SetDeviceEnabled(1,1)",
                                  "1 Disconnect()", QStringLiteral("2 ConnectNetwork(127.0.0.1,%1)").arg(m_tcpPort),
                                  "2 RefreshDeviceData(1)", "2 SetDeviceEnabled(1,1)", "2 Disconnect()"}));
}

void EndToEndTest::usersOfEveryTerminal()
{
    Window w;
    addTerminals(w.window, m_tcpPort);
    QTest::mouseClick(w.window.BT_PE_Get, Qt::LeftButton);
    QVERIFY(w.fakes.messages.shown.isEmpty());
    WorkingTable& persons = *w.window.ADO_DataSet_Pe;
    QCOMPARE(persons.recordCount(), 12 + 25);
    QMap<int, int> perDevice;
    bool numericOnBlackWhite = true;
    for (persons.first(); !persons.eof(); persons.next()) {
        ++perDevice[persons.fieldInteger(kDeviceNo)];
        if (persons.fieldInteger(kDeviceNo) == 1) {
            bool ok = false;
            persons.fieldText(kEnrollNo).toInt(&ok);
            numericOnBlackWhite = numericOnBlackWhite && ok && !persons.fieldText(kEnrollNo).startsWith(QLatin1Char('0'));
        }
    }
    QCOMPARE(perDevice.value(1), 12);
    QCOMPARE(perDevice.value(7), 25); // rows carry 设备号, not the network machine number 1
    QVERIFY(numericOnBlackWhite);
}

void EndToEndTest::recordsOfTheRange()
{
    Window w;
    addTerminals(w.window, m_tcpPort);
    // What the terminals hold in the range, read directly.
    int expected = 0;
    for (int device : {1, 2}) {
        TTermSdk sdk;
        const bool connected = device == 1 ? (sdk.SetCommPort(1), sdk.ConnectSerial(1, 1, 19200))
                                           : sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), m_tcpPort);
        QVERIFY(connected);
        QVERIFY(sdk.LoadAllLogs(1));
        QString enroll;
        int v, s, y, mo, d, h, mi, sec, wc;
        while (sdk.NextLogRecordStr(1, enroll, v, s, y, mo, d, h, mi, sec, wc))
            expected += QDate(y, mo, d) >= QDate(2024, 5, 10) && QDate(y, mo, d) <= QDate(2024, 5, 20);
        sdk.Disconnect();
    }
    QVERIFY(expected > 0);

    ModalDialogDriver prompt([](QWidget* window) {
        auto* dialog = qobject_cast<TfrmhvDateArea*>(window);
        QVERIFY(dialog);
        dialog->D1->setText(QStringLiteral("2024-05-10"));
        dialog->D2->setText(QStringLiteral("2024-05-20"));
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    });
    QTest::mouseClick(w.window.BT_QV_NewData, Qt::LeftButton);
    QVERIFY(prompt.hasRun());
    QVERIFY(w.fakes.messages.shown.isEmpty());

    WorkingTable& records = *w.window.Ado_DataSet_QV;
    QCOMPARE(records.recordCount(), expected);
    QString previous = QStringLiteral("9999");
    for (records.first(); !records.eof(); records.next()) {
        const QString time = records.fieldText(kTime);
        const bool blackWhite = records.fieldInteger(kDeviceNo) == 1;
        QCOMPARE(time.size(), blackWhite ? 16 : 19); // minutes only from the black-and-white terminal
        QVERIFY(time >= QLatin1String("2024-05-10") && time < QLatin1String("2024-05-21"));
        QVERIFY(time <= previous); // newest first
        previous = time;
    }
}

void EndToEndTest::deadTerminalIsReportedAndTheRunGoesOn()
{
    Window w;
    WorkingTable& devices = *w.window.Ado_DataSet_QVJ;
    devices.append();
    devices.setFieldValue(kDeviceNo, 9);
    devices.setFieldValue(kCommMode, kNetworkMode);
    devices.setFieldValue(kIpAddress, QStringLiteral("127.0.0.1"));
    devices.setFieldValue(kTcpPort, 1); // nothing listens there
    devices.post();
    addTerminals(w.window, m_tcpPort);
    QTest::mouseClick(w.window.BT_PE_Get, Qt::LeftButton);
    QCOMPARE(w.fakes.messages.texts(), QStringList{QStringLiteral("连接设备(设备号：9)失败")});
    QCOMPARE(w.window.ADO_DataSet_Pe->recordCount(), 12 + 25);
}

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
