// devbench through the real SDK client against the terminal emulator: a
// black-and-white terminal on a serial line (a pseudo-terminal published as
// COM1), a colour terminal on TCP, and a second serial terminal (COM2) whose
// Device ID a test changes.
#include "FakeUiServices.h"
#include "ModalDialogDriver.h"
#include "TForm1.h"
#include "TTermSdk.h"
#include "TaggedButton.h"
#include "TermSimProcess.h"
#include "TfrmSelOne.h"
#include "TfrmUser.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class EndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void serialConnectShowsTheEmulatorsStatus();
    void tcpConnectShowsTheEmulatorsStatus();
    void deviceInfoRoundTrip();
    void newDeviceIdReachesTheTerminal();
    void userDialogReadEditWriteReadBack();

private:
    // A devbench window over the real SDK client.
    struct Bench {
        FakeUiServices fakes;
        TForm1 window{fakes.services(), [] { return std::make_unique<TTermSdk>(); }};
        Bench() { window.show(); }
        QStringList lines() const { return window.Memo1->toPlainText().split(QLatin1Char('\n')); }
        void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
        void connectSerial(const QString& port, int machine)
        {
            window.edtNetAddress->setText(port);
            window.edtNetPort->setText(QString::number(machine));
            click(window.btnConnect);
        }
        void connectTcp(int tcpPort)
        {
            click(window.sbtnTCPIP);
            window.edtNetAddress->setText(QStringLiteral("127.0.0.1"));
            window.edtNetPort->setText(QString::number(tcpPort));
            click(window.btnConnect);
        }
        QString cell(int row) const { return window.vleDevInfo->item(row - 1, 1)->text(); }
        void setCell(int row, const QString& text) { window.vleDevInfo->item(row - 1, 1)->setText(text); }
    };
    QStringList traceLines() const;

    QTemporaryDir m_dir;
    TermSimProcess m_termsim;
    int m_tcpPort = 0;
};

void EndToEndTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString com1 = m_dir.filePath(QStringLiteral("com1"));
    const QString com2 = m_dir.filePath(QStringLiteral("com2"));
    qputenv("TERMSDK_COM1", com1.toLocal8Bit());
    qputenv("TERMSDK_COM2", com2.toLocal8Bit());
    QVERIFY2(m_termsim.start({QStringLiteral("--trace"), m_dir.filePath(QStringLiteral("trace.txt")),
                              QStringLiteral("--terminal"),
                              QStringLiteral("machine=1,kind=bw,serial=%1,users=12,logs=300,seed=11").arg(com1),
                              QStringLiteral("--terminal"),
                              QStringLiteral("machine=2,kind=color,tcp=0,users=25,logs=500,seed=12"),
                              QStringLiteral("--terminal"),
                              QStringLiteral("machine=4,kind=bw,serial=%1,users=3,logs=10,seed=13").arg(com2)}),
             qPrintable(m_termsim.errors()));
    m_tcpPort = m_termsim.tcpPort(2);
    QVERIFY(m_tcpPort > 0);
}

QStringList EndToEndTest::traceLines() const
{
    QFile trace(m_dir.filePath(QStringLiteral("trace.txt")));
    if (!trace.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(trace.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void EndToEndTest::serialConnectShowsTheEmulatorsStatus()
{
    Bench b;
    b.click(b.window.btnConnect); // the start-up fields: COM1, Device ID 1, 115200
    const QStringList lines = b.lines();
    QCOMPARE(lines.size(), 18);
    QCOMPARE(lines.mid(0, 4), (QStringList{"Device Connected.", "Firmware Version: Ver 5.20 2021-06-18",
                                           "Serial Number: TSB00000001", "ProductCode: TS-BW200"}));
    QVERIFY2(QRegularExpression(QStringLiteral("^DeviceTime=20\\d\\d-\\d{1,2}-\\d{1,2} \\d{1,2}:\\d{1,2}:\\d{1,2}$"))
                 .match(lines.at(4)).hasMatch(), qPrintable(lines.at(4)));
    // Seeded: 12 users, the first a super administrator and the next two administrators, 300 records;
    // a black-and-white terminal holds 10000 users and 100000 records.
    QCOMPARE(lines.at(5), QStringLiteral("Tatal administrator: 3"));
    QCOMPARE(lines.at(6), QStringLiteral("Tatal users: 12"));
    QCOMPARE(lines.at(10), QStringLiteral("Tatal In and out record: 300"));
    QCOMPARE(lines.at(12), QStringLiteral("Nominal user number: 10000"));
    QCOMPARE(lines.at(13), QStringLiteral("Nominal In and out record number: 100000"));
    QCOMPARE(lines.at(15), QStringLiteral("Remain user number: 9988"));
    QCOMPARE(lines.at(16), QStringLiteral("Remain In and out record number: 99700"));
    const auto valueOf = [&](int i) { return lines.at(i).section(QStringLiteral(": "), 1).toInt(); };
    QVERIFY(valueOf(7) >= 12); // one or two templates per user
    QCOMPARE(valueOf(11) - valueOf(7), valueOf(14));
    QCOMPARE(lines.last(), QStringLiteral(" "));
    QCOMPARE(b.window.btnConnect->Tag, 1);

    const int traced = traceLines().size();
    b.click(b.window.btnConnect);
    QCOMPARE(traceLines().mid(traced), (QStringList{"1 RefreshDeviceData(1)", "1 SetDeviceEnabled(1,1)", "1 Disconnect()"}));
    QCOMPARE(b.window.btnConnect->Tag, 0);
}

void EndToEndTest::tcpConnectShowsTheEmulatorsStatus()
{
    Bench b;
    b.connectTcp(m_tcpPort);
    const QStringList lines = b.lines();
    QCOMPARE(lines.size(), 18);
    QCOMPARE(lines.mid(0, 4), (QStringList{"Device Connected.", "Firmware Version: Ver 6.60 2023-03-02",
                                           "Serial Number: TSC00000002", "ProductCode: TS-C300"}));
    QCOMPARE(lines.at(6), QStringLiteral("Tatal users: 25"));
    QCOMPARE(lines.at(10), QStringLiteral("Tatal In and out record: 500"));
    QCOMPARE(b.window.machineNumber(), 1);
    b.click(b.window.btnConnect);

    // A port where nothing listens: the error line, and the window stays disconnected.
    Bench dead;
    dead.connectTcp(1);
    QCOMPARE(dead.lines().size(), 2);
    QVERIFY(dead.lines().first().startsWith(QLatin1String("! ConnectDevice ErrorNo.=")));
    QCOMPARE(dead.window.btnConnect->Tag, 0);
}

void EndToEndTest::deviceInfoRoundTrip()
{
    {
        Bench b;
        b.connectTcp(m_tcpPort);
        b.window.Memo1->clear();
        b.click(b.window.btnLoadDevInfo);
        QCOMPARE(b.window.Memo1->toPlainText(), QString());
        QCOMPARE(b.cell(2), QStringLiteral("2"));
        QCOMPARE(b.cell(9), QStringLiteral("115200 bps"));
        QCOMPARE(b.cell(29), QStringLiteral("AUTO"));
        b.setCell(8, QStringLiteral("7"));
        b.setCell(19, QStringLiteral("18:30"));
        b.setCell(16, QStringLiteral("Off"));
        b.click(b.window.btnSaveDevInfo);
        QCOMPARE(b.lines(), QStringList{"SetDeviceInfo OK"});
        b.click(b.window.btnConnect);
    }
    Bench again;
    again.connectTcp(m_tcpPort);
    again.click(again.window.btnLoadDevInfo);
    QCOMPARE(again.cell(8), QStringLiteral("7"));
    QCOMPARE(again.cell(19), QStringLiteral("18:30"));
    QCOMPARE(again.cell(16), QStringLiteral("Off"));
    again.click(again.window.btnConnect);
}

void EndToEndTest::newDeviceIdReachesTheTerminal()
{
    Bench b;
    b.connectSerial(QStringLiteral("COM2"), 4);
    QCOMPARE(b.window.btnConnect->Tag, 1);
    b.click(b.window.btnLoadDevInfo);
    QCOMPARE(b.cell(2), QStringLiteral("4"));
    b.window.Memo1->clear();
    b.setCell(2, QStringLiteral("9"));
    b.click(b.window.btnSaveDevInfo);
    QCOMPARE(b.lines(), QStringList{"SetDeviceInfo OK"});
    QCOMPARE(b.window.machineNumber(), 9);
    QCOMPARE(b.window.edtNetPort->text(), QStringLiteral("9"));

    const int traced = traceLines().size();
    b.click(b.window.btnSetTime);
    QCOMPARE(b.lines().at(1), QStringLiteral("SetDeviceTime OK."));
    QVERIFY(b.lines().at(2).startsWith(QLatin1String("DeviceTime=")));
    QCOMPARE(traceLines().mid(traced, 2), (QStringList{"9 SetDeviceTime(9)", "9 GetDeviceTime(9)"}));

    // The next connect takes the new ID from the field.
    b.click(b.window.btnConnect);
    b.window.Memo1->clear();
    b.click(b.window.btnConnect);
    QCOMPARE(b.lines().first(), QStringLiteral("Device Connected."));
    QCOMPARE(b.lines().at(2), QStringLiteral("Serial Number: TSB00000009"));
    b.click(b.window.btnConnect);
}

void EndToEndTest::userDialogReadEditWriteReadBack()
{
    Bench b;
    b.click(b.window.btnConnect);
    QCOMPARE(b.window.btnConnect->Tag, 1);

    QString pickedLine;
    QString readName;
    QString firstTemplate;
    QString readBack;
    QString passwordBack;
    int privilegeBack = -2;
    ModalDialogDriver userDialog([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmUser*>(window);
        QVERIFY(dialog);
        ModalDialogDriver picker([&](QWidget* pickerWindow) {
            auto* selOne = qobject_cast<TfrmSelOne*>(pickerWindow);
            QVERIFY(selOne);
            QCOMPARE(selOne->ListBox1->count(), 12);
            selOne->ListBox1->setCurrentRow(4);
            pickedLine = selOne->ListBox1->currentItem()->text();
            QTest::mouseClick(selOne->Button1, Qt::LeftButton);
        });
        QTest::mouseClick(dialog->btnLoadDev, Qt::LeftButton);
        QVERIFY(picker.hasRun());
        readName = dialog->edtName->text();
        firstTemplate = dialog->vleTemps->item(0, 1)->text();

        dialog->edtName->setText(QStringLiteral("Tester"));
        dialog->edtPwd->setText(QStringLiteral("4321"));
        dialog->cboPrivilege->setCurrentIndex(2);
        QTest::mouseClick(dialog->btnSaveDev, Qt::LeftButton);
        dialog->edtName->clear();
        dialog->edtPwd->clear();
        dialog->cboPrivilege->setCurrentIndex(-1);
        QTest::mouseClick(dialog->btnLoadDev, Qt::LeftButton);
        readBack = dialog->edtName->text();
        passwordBack = dialog->edtPwd->text();
        privilegeBack = dialog->cboPrivilege->currentIndex();
        dialog->close();
    });
    b.click(b.window.btnSetName);
    QVERIFY(userDialog.hasRun());
    QVERIFY(b.fakes.messages.shown.isEmpty());
    const QString enroll = pickedLine.left(5).trimmed();
    QVERIFY2(pickedLine.mid(7) == readName && !readName.isEmpty(), qPrintable(pickedLine + " / " + readName));
    QVERIFY(!firstTemplate.isEmpty());
    QCOMPARE(readBack, QStringLiteral("Tester"));
    QCOMPARE(passwordBack, QStringLiteral("4321"));
    QCOMPARE(privilegeBack, 2);
    const QStringList written = traceLines().filter(QStringLiteral("WriteUserInfo"));
    QVERIFY(!written.isEmpty());
    QVERIFY2(written.last().startsWith(QStringLiteral("1 WriteUserInfo(1,%1,").arg(enroll)), qPrintable(written.last()));
    b.click(b.window.btnConnect);
}

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
