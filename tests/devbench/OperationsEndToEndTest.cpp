// devbench's data and device commands against the real terminal emulator:
// users backup and restore, the terminal's data backup and restore, Start
// Verify with a finger placed on the emulated sensor, and a firmware update.
#include "FakeUiServices.h"
#include "TForm1.h"
#include "TTermSdk.h"
#include "TaggedButton.h"
#include "TermSimProcess.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class OperationsEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void usersBackupClearRestore();
    void dataBackupClearRestore();
    void startVerifyWithAFingerOnTheSensor();
    void firmwareUpdateShowsInTheVersion();

private:
    // Every user with every template, as one text per user.
    QStringList terminalUsers();
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList lines() const { return m_window->Memo1->toPlainText().split(QLatin1Char('\n')); }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    QTemporaryDir m_dir;
    TermSimProcess m_sim;
    int m_port = 0;
    FakeUiServices m_fakes;
    std::unique_ptr<TForm1> m_window;
};

void OperationsEndToEndTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_sim.start({QStringLiteral("--data-dir"), path(QStringLiteral("data")), QStringLiteral("--terminal"),
                          QStringLiteral("machine=1,kind=bw,tcp=0,users=12,logs=300,seed=4")}),
             qPrintable(m_sim.errors()));
    m_port = m_sim.tcpPort(1);
    QVERIFY(m_port > 0);
    QDir::setCurrent(m_dir.path()); // fp.bmp and emfw.cfg live in the working directory
}

void OperationsEndToEndTest::init()
{
    m_window = std::make_unique<TForm1>(m_fakes.services(), [] { return std::make_unique<TTermSdk>(); });
    m_window->show();
    m_window->edtNetAddress->setText(QStringLiteral("127.0.0.1"));
    m_window->edtNetPort->setText(QString::number(m_port));
    click(m_window->btnConnect);
    QCOMPARE(m_window->btnConnect->Tag, 1);
}

void OperationsEndToEndTest::cleanup()
{
    if (m_window && m_window->btnConnect->Tag == 1)
        click(m_window->btnConnect);
    m_window.reset();
}

QStringList OperationsEndToEndTest::terminalUsers()
{
    TTermSdk sdk;
    if (!sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), m_port) || !sdk.LoadAllUserIds(1))
        return {};
    QList<int> numbers;
    QStringList users;
    int enroll = 0, privilege = 0;
    QString name, password;
    bool enabled = false;
    while (sdk.NextUserRecord(1, enroll, name, password, privilege, enabled)) {
        numbers << enroll;
        users << QStringLiteral("%1 %2 %3 %4 %5").arg(enroll).arg(name, password).arg(privilege).arg(enabled);
    }
    for (int i = 0; i < numbers.size(); ++i) {
        for (int k = 0; k < 10; ++k) {
            QByteArray buffer(2048, '\0');
            int length = 2048;
            if (sdk.ReadFingerTemplate(1, numbers[i], k, buffer, length))
                users[i] += QStringLiteral(" FPT_%1=%2").arg(k).arg(QString::fromLatin1(buffer.left(length).toHex()));
        }
    }
    users.sort();
    return users;
}

void OperationsEndToEndTest::usersBackupClearRestore()
{
    const QStringList before = terminalUsers();
    QCOMPARE(before.size(), 12);
    const QString file = path(QStringLiteral("users.dat"));
    m_fakes.files.answers << file;
    click(m_window->btnBackupUser);
    QVERIFY(QFile::exists(file));
    click(m_window->btnClearData);
    QCOMPARE(terminalUsers(), QStringList());
    m_fakes.files.answers << file;
    click(m_window->btnRestore);
    QCOMPARE(terminalUsers(), before);
    QVERIFY(lines().contains(QStringLiteral("SetEnrollData OK: User=1,FP=0")));
    QCOMPARE(m_fakes.messages.shown.size(), 0);
}

void OperationsEndToEndTest::dataBackupClearRestore()
{
    const auto counters = [this] {
        QList<int> values;
        for (int i : {2, 3, 6}) { // users, templates, attendance records (the restore itself is logged)
            int v = -1;
            m_window->TermSdk1->GetDeviceStatus(1, i, v);
            values << v;
        }
        return values;
    };
    const QList<int> before = counters();
    const QStringList users = terminalUsers();
    QVERIFY(before.at(0) > 0);
    const QString file = path(QStringLiteral("terminal.dbin"));
    m_fakes.files.answers << file;
    click(m_window->Button19);
    QCOMPARE(lines().last(), QStringLiteral("Backup Data to File: \"%1\" OK.").arg(file));
    click(m_window->btnClearData);
    QCOMPARE(counters().at(0), 0);
    m_fakes.files.answers << file;
    click(m_window->Button20);
    QCOMPARE(lines().last(), QStringLiteral("Restore Data from File: \"%1\" OK.").arg(file));
    QCOMPARE(counters(), before);
    QCOMPARE(terminalUsers(), users);
}

void OperationsEndToEndTest::startVerifyWithAFingerOnTheSensor()
{
    TTermSdk sensor;
    QVERIFY(sensor.ConnectNetwork(QStringLiteral("127.0.0.1"), m_port));
    TTermSdk::SimFingerResult result;
    // Enrol user 65530's finger 0 with finger 3 of person 7, then verify it.
    click(m_window->Button15);
    QCOMPARE(lines().last(), QStringLiteral("Start Enroll a user, UserID=65530, FingerID=0"));
    for (int press = 0; press < 3; ++press)
        QVERIFY(sensor.simulateFinger(QStringLiteral("7"), 3, 70, result));
    QCOMPARE(result.pressesLeft, 0);
    QTRY_COMPARE(lines().count(QStringLiteral("Finger Feature: 70")), 3);
    click(m_window->Button16);
    QCOMPARE(lines().last(), QStringLiteral("Start Verify a user, UserID=65530, FingerID=0"));
    QVERIFY(sensor.simulateFinger(QStringLiteral("7"), 3, 88, result));
    QTRY_COMPARE(lines().mid(lines().size() - 2), (QStringList{"Finger Feature: 88", "User Verified: 65530"}));
    click(m_window->Button16);
    QVERIFY(sensor.simulateFinger(QStringLiteral("8"), 3, 41, result));
    QTRY_COMPARE(lines().mid(lines().size() - 2), (QStringList{"Finger Feature: 41", "User Verified: -1"}));
}

void OperationsEndToEndTest::firmwareUpdateShowsInTheVersion()
{
    QFile firmware(QStringLiteral("emfw.cfg"));
    QVERIFY(firmware.open(QIODevice::WriteOnly));
    firmware.write(QByteArray(3000, 'f'));
    firmware.close();
    click(m_window->Button8);
    QCOMPARE(lines().last(), QStringLiteral("UpdateFirmware success.pls restart the devie."));
    m_window->ShowDeviceStatus();
    QVERIFY(lines().contains(QStringLiteral("Firmware Version: Ver 5.20 2021-06-18 (updated 1)")));
    QFile::remove(QStringLiteral("emfw.cfg"));
    click(m_window->Button8);
    QCOMPARE(lines().last(), QStringLiteral("UpdateFirmware fail."));
}

QTEST_MAIN(OperationsEndToEndTest)
#include "OperationsEndToEndTest.moc"
