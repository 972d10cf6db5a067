// The device-control column and the other operations bound to their buttons,
// against the recording fake: calls and lines, the WriteLCD box between its
// halves, Play Vioce's questions, the data backup dialogs, the terminal
// events, and the two sample templates.
#include "BenchWindowFixture.h"
#include "FingerTemplate.h"
#include "SampleTemplates.h"

#include <QRegularExpression>
#include <QtTest>

class DeviceControlTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<BenchWindowFixture>(); }
    void commands_data();
    void commands();
    void writeLcdWaitsInTheBoxBetweenItsHalves();
    void playVoiceStopsOnNo_data();
    void playVoiceStopsOnNo();
    void backupAndRestoreData();
    void setEnrollDataStrLines();
    void terminalEventsAreLines();
    void sampleTemplatesAreTheGeneratedOnes();

private:
    std::unique_ptr<BenchWindowFixture> f;
};

void DeviceControlTest::commands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failing"); // operation that fails with code 12, or empty
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<QStringList>("lines");
    const QStringList capture{"CaptureFingerImage(true,fp.bmp)"};
    QTest::newRow("Capture Image") << "Button7" << "" << capture << QStringList{"Captured an image."};
    QTest::newRow("Capture Image fails") << "Button7" << "CaptureFingerImage" << capture
                                         << QStringList{"Capture image fail."};
    QTest::newRow("Update firmware") << "Button8" << "" << QStringList{"UpdateFirmware(emfw.cfg)"}
                                     << QStringList{"UpdateFirmware success.pls restart the devie."};
    QTest::newRow("Update firmware fails") << "Button8" << "UpdateFirmware" << QStringList{"UpdateFirmware(emfw.cfg)"}
                                           << QStringList{"UpdateFirmware fail."};
    QTest::newRow("Clear LCD") << "Button12" << "ClearLCD" << QStringList{"ClearLCD()"} << QStringList{};
    QTest::newRow("Beep") << "Button14" << "Beep" << QStringList{"Beep(1000)"} << QStringList{};
    QTest::newRow("Button2") << "Button2" << "WriteUserInfo"
                             << QStringList{"WriteUserInfo(1,1,aaa,,0,true)",
                                            QStringLiteral("WriteFingerTemplateText(1,1,0,%1)")
                                                .arg(QLatin1String(SampleTemplates::Hex394))}
                             << QStringList{};
    const QStringList enroll{"CancelOperation()", "DeleteFingerTemplate(1,65530,0)", "StartEnroll(65530,0)"};
    QTest::newRow("Start Enroll") << "Button15" << "" << enroll
                                  << QStringList{"Start Enroll a user, UserID=65530, FingerID=0"};
    QTest::newRow("Start Enroll fails") << "Button15" << "StartEnroll" << enroll
                                        << QStringList{"StartEnroll Error, Code=12"};
    const QStringList verify{"CancelOperation()", "StartVerify(65530,0)"};
    QTest::newRow("Start Verify") << "Button16" << "" << verify
                                  << QStringList{"Start Verify a user, UserID=65530, FingerID=0"};
    QTest::newRow("Start Verify fails") << "Button16" << "StartVerify" << verify
                                        << QStringList{"StartVerify Error, Code=12"};
    const QStringList identify{"CancelOperation()", "StartIdentify()"};
    QTest::newRow("Start Identify") << "Button17" << "" << identify << QStringList{"StartIdentify user."};
    QTest::newRow("Start Identify fails") << "Button17" << "StartIdentify" << identify
                                          << QStringList{"StartIdentify Error, Code=12"};
    QTest::newRow("Cancel Operation") << "Button18" << "" << QStringList{"CancelOperation()"}
                                      << QStringList{"CancelOperation OK."};
    QTest::newRow("Cancel Operation fails") << "Button18" << "CancelOperation" << QStringList{"CancelOperation()"}
                                            << QStringList{"CancelOperation Error, Code=12"};
}

void DeviceControlTest::commands()
{
    QFETCH(QString, button);
    QFETCH(QString, failing);
    QFETCH(QStringList, trace);
    QFETCH(QStringList, lines);
    if (!failing.isEmpty())
        f->failAlways(failing, 12);
    f->click(f->window->findChild<QPushButton*>(button));
    QStringList calls = f->sdk->callTrace();
    calls.removeAll(QStringLiteral("GetLastErrorCode()"));
    QCOMPARE(calls, trace);
    QCOMPARE(f->lines(), lines);
}

void DeviceControlTest::writeLcdWaitsInTheBoxBetweenItsHalves()
{
    QStringList atTheBox;
    f->fakes.messages.onShow = [&](const RecordingMessageBoxes::Box&) { atTheBox = f->sdk->callTrace(); };
    f->failAlways(QStringLiteral("WriteLCD"), 1); // not connected: nothing changes
    f->click(f->window->Button11);
    const QStringList before{"EnableDefaultLCD(false)", "WriteLCD(0,0,        ***          )",
                             "WriteLCD(1,0,Welcome to work)", "WriteLCD(2,0,        ***          )",
                             "WriteLCD(3,0,        )"};
    QCOMPARE(atTheBox, before);
    QCOMPARE(f->sdk->callTrace(), before + QStringList{"EnableDefaultLCD(true)"});
    QCOMPARE(f->fakes.messages.shown.size(), 1);
    QCOMPARE(f->fakes.messages.shown.first().kind, QStringLiteral("information"));
    QCOMPARE(f->fakes.messages.shown.first().text, QStringLiteral("Close this window to restore lcd display"));
    QCOMPARE(f->lines(), QStringList());
}

void DeviceControlTest::playVoiceStopsOnNo_data()
{
    QTest::addColumn<int>("noAt"); // the question answered No (1-based), 0: all Yes
    QTest::addColumn<QStringList>("trace");
    QStringList all;
    for (int i = 0; i <= 9; ++i)
        all << QStringLiteral("PlayVoiceByIndex(%1)").arg(i);
    QTest::newRow("all Yes") << 0 << all + QStringList{"PlayVoice(30,29)"};
    QTest::newRow("No at the third") << 3 << all.mid(0, 3);
    QTest::newRow("No at the tenth") << 10 << all;
}

void DeviceControlTest::playVoiceStopsOnNo()
{
    QFETCH(int, noAt);
    QFETCH(QStringList, trace);
    int asked = 0;
    f->fakes.messages.onShow = [&](const RecordingMessageBoxes::Box& box) {
        QCOMPARE(box.text, QStringLiteral("Continue next voice?"));
        f->fakes.messages.answerYes = ++asked != noAt;
    };
    f->click(f->window->Button13);
    QCOMPARE(f->sdk->callTrace(), trace);
    QCOMPARE(asked, noAt == 0 ? 10 : noAt);
}

void DeviceControlTest::backupAndRestoreData()
{
    f->fakes.files.answers << QStringLiteral("/tmp/t/terminal.dbin");
    f->click(f->window->Button19);
    QCOMPARE(f->fakes.files.shown.last().defaultSuffix, QStringLiteral("dbin"));
    QCOMPARE(f->lines().last(), QStringLiteral("Backup Data to File: \"/tmp/t/terminal.dbin\" OK."));
    // The open dialog, without a name of its own yet, offers that one.
    f->click(f->window->Button20); // cancelled
    QCOMPARE(f->fakes.files.shown.last().kind, QStringLiteral("open"));
    QCOMPARE(f->fakes.files.shown.last().offered, QStringLiteral("/tmp/t/terminal.dbin"));
    f->failAlways(QStringLiteral("RestoreData"), 10);
    f->fakes.files.answers << QStringLiteral("/tmp/t/other.dbin");
    f->click(f->window->Button20);
    QCOMPARE(f->lines().last(), QStringLiteral("RestoreData Error, Code=10"));
    f->failAlways(QStringLiteral("BackupData"), 13);
    f->fakes.files.answers << QStringLiteral("/tmp/t/second.dbin");
    f->click(f->window->Button19);
    QCOMPARE(f->lines().last(), QStringLiteral("BackupData Error, Code=13"));
    QCOMPARE(f->window->OpenDialog2.FileName, QStringLiteral("/tmp/t/other.dbin"));
    QCOMPARE(f->sdk->callNames().filter(QRegularExpression(QStringLiteral("Data$"))),
             (QStringList{"BackupData", "RestoreData", "BackupData"}));
}

void DeviceControlTest::setEnrollDataStrLines()
{
    f->sdk->setDefault(QStringLiteral("FPTempLength"), {true, {}, false, 438});
    f->click(f->window->Button1);
    const QString sample = QLatin1String(SampleTemplates::Base64_438);
    QCOMPARE(f->sdk->callTrace(),
             (QStringList{QStringLiteral("FPTempLength(%1)").arg(sample),
                          QStringLiteral("SetEnrollDataStr(0,1,0,0,1,%1,0)").arg(sample)}));
    QCOMPARE(f->lines(), (QStringList{"FPTempLength=438", "SetEnrollDataStr OK"}));
    f->failAlways(QStringLiteral("SetEnrollDataStr"), 10);
    f->click(f->window->Button1);
    QCOMPARE(f->lines().last(), QStringLiteral("SetEnrollDataStr Fail."));
}

void DeviceControlTest::terminalEventsAreLines()
{
    QVERIFY(f->sdk->hasEventHandler());
    f->sdk->raiseEvent({TermEvent::Kind::FingerFeature, 80, {}});
    f->sdk->raiseEvent({TermEvent::Kind::Verify, 65530, QStringLiteral("65530")});
    f->sdk->raiseEvent({TermEvent::Kind::Verify, -1, {}});
    QCOMPARE(f->lines(), (QStringList{"Finger Feature: 80", "User Verified: 65530", "User Verified: -1"}));
}

void DeviceControlTest::sampleTemplatesAreTheGeneratedOnes()
{
    const QString hex = QLatin1String(SampleTemplates::Hex394);
    QCOMPARE(hex.size(), 788);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]+$")).match(hex).hasMatch());
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    QCOMPARE(bytes, FingerTemplate::forFinger(QStringLiteral("1"), 0, 394));
    QVERIFY(FingerTemplate::isWellFormed(bytes));

    const QByteArray base64 = QByteArray(SampleTemplates::Base64_438);
    QCOMPARE(base64.size(), 584);
    const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    QVERIFY(decoded);
    QCOMPARE(decoded.decoded, FingerTemplate::forFinger(QStringLiteral("1"), 0, 438));
    QVERIFY(FingerTemplate::isWellFormed(decoded.decoded));
}

QTEST_MAIN(DeviceControlTest)
#include "DeviceControlTest.moc"
