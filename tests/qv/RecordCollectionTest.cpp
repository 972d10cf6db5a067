#include "MainWindowFixture.h"
#include "ModalDialogDriver.h"
#include "TableRows.h"
#include "THVDateEdit.h"
#include "TfrmhvDateArea.h"

#include <QGroupBox>
#include <QtTest>

#include <memory>

using namespace QvTables;

namespace {
// Answers the date-range prompt: saves the given dates, or leaves by Esc when start is null.
std::unique_ptr<ModalDialogDriver> answerPrompt(const QString& start, const QString& end)
{
    return std::make_unique<ModalDialogDriver>([start, end](QWidget* window) {
        auto* prompt = qobject_cast<TfrmhvDateArea*>(window);
        QVERIFY(prompt);
        if (start.isNull()) {
            QTest::keyClick(prompt, Qt::Key_Escape);
            return;
        }
        prompt->D1->setText(start);
        prompt->D2->setText(end);
        QTest::mouseClick(prompt->BitBtn1, Qt::LeftButton);
    });
}

// Outputs of the numeric fetch: -, enroll, -, verify, state, y, m, d, h, n.
QVariantList numericLog(int enroll, int state, int y, int m, int d, int h, int n)
{
    return {1, enroll, 1, 1, state, y, m, d, h, n};
}

// Outputs of the text fetch: enroll, verify, state, y, m, d, h, n, s, work code.
QVariantList textLog(const QString& enroll, int state, int y, int m, int d, int h, int n, int s)
{
    return {enroll, 1, state, y, m, d, h, n, s, 0};
}
} // namespace

class RecordCollectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timeTextsAndStateWords();
    void rangeEnds_data();
    void rangeEnds();
    void cancelledPromptKeepsPreviousRecords();
    void droppedTerminalKeepsPostedRowsAndIsReleased();
    void failedConnectShowsMessageAndWalkGoesOn();
    void runShowsProgressAndLocksTheButtons();
};

void RecordCollectionTest::timeTextsAndStateWords()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}, {kDeviceType, kBlackWhite}});
    f.addDevice({{kDeviceNo, 2}, {kDeviceType, kColour}, {kCommMode, kNetworkMode}, {kIpAddress, QStringLiteral("10.0.0.2")}});
    FakeTermSdk& sdk = f.sdk2();
    sdk.pushRecord(QStringLiteral("NextLogRecord"), numericLog(7, 0, 2024, 5, 3, 8, 5));
    sdk.pushRecord(QStringLiteral("NextLogRecord"), numericLog(8, 6, 2024, 5, 3, 17, 30));
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("A7"), 3, 2024, 5, 3, 8, 5, 9));
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("A8"), 5, 2024, 5, 2, 23, 0, 0));
    const int pumpsBefore = f.fakes.events.pumps;
    auto prompt = answerPrompt(QStringLiteral("2024-05-01"), QStringLiteral("2024-05-31"));
    f.click(f.window->BT_QV_NewData);
    QVERIFY(prompt->hasRun());

    QCOMPARE(tableRows(f.records()), (QStringList{"1/8//2024-05-03 17:30/",
                                                   "2/A7//2024-05-03 08:05:09/外出返回",
                                                   "1/7//2024-05-03 08:05/上班",
                                                   "2/A8//2024-05-02 23:00:00/加班签退"}));
    // Numeric fetch: one pump after the terminal's last record; text fetch: one per record.
    QCOMPARE(f.fakes.events.pumps - pumpsBefore, 1 + 2);
    QVERIFY(f.sdk1().calls.isEmpty());
    const QStringList trace = sdk.callTrace();
    QCOMPARE(trace.filter(QStringLiteral("LoadAllLogs")), (QStringList{"LoadAllLogs(1)", "LoadAllLogs(1)"}));
    QCOMPARE(trace.filter(QStringLiteral("Disconnect")).size(), 2);
}

void RecordCollectionTest::rangeEnds_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QStringList>("kept"); // enroll numbers
    QTest::newRow("both ends inclusive, whatever the time")
        << "2024-05-03" << "2024-05-05" << QStringList{"last", "first"};
    QTest::newRow("one day") << "2024-05-05" << "2024-05-05" << QStringList{"last"};
    QTest::newRow("start after end keeps nothing") << "2024-05-05" << "2024-05-03" << QStringList{};
    QTest::newRow("an unreadable start keeps nothing") << "2024-13-01" << "2024-05-05" << QStringList{};
}

void RecordCollectionTest::rangeEnds()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QStringList, kept);
    MainWindowFixture f;
    f.addDevice({});
    FakeTermSdk& sdk = f.sdk2();
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("before"), 0, 2024, 5, 2, 23, 59, 59));
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("first"), 0, 2024, 5, 3, 0, 0, 0));
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("last"), 0, 2024, 5, 5, 23, 59, 59));
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("after"), 0, 2024, 5, 6, 0, 0, 0));
    auto prompt = answerPrompt(start, end);
    f.click(f.window->BT_QV_NewData);
    QStringList enrolls;
    for (f.records().first(); !f.records().eof(); f.records().next())
        enrolls << f.records().fieldText(kEnrollNo);
    QCOMPARE(enrolls, kept);
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QCOMPARE(sdk.callNames().count(QStringLiteral("Disconnect")), 1);
}

void RecordCollectionTest::cancelledPromptKeepsPreviousRecords()
{
    MainWindowFixture f;
    f.addDevice({});
    f.sdk2().pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("1"), 0, 2026, 12, 1, 8, 0, 0));
    {
        // The prompt offers the current month; saving it as it stands keeps this month's records.
        ModalDialogDriver prompt([](QWidget* window) {
            auto* dialog = qobject_cast<TfrmhvDateArea*>(window);
            QCOMPARE(dialog->D1->text(), QStringLiteral("2026-12-01"));
            QCOMPARE(dialog->D2->text(), QStringLiteral("2026-12-31"));
            QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        });
        f.click(f.window->BT_QV_NewData);
        QVERIFY(prompt.hasRun());
    }
    QCOMPARE(f.records().recordCount(), 1);
    const int callsBefore = f.sdk2().calls.size();
    auto cancel = answerPrompt(QString(), QString());
    f.click(f.window->BT_QV_NewData);
    QVERIFY(cancel->hasRun());
    QCOMPARE(f.records().recordCount(), 1);
    QCOMPARE(f.sdk2().calls.size(), callsBefore); // no terminal was visited
}

void RecordCollectionTest::droppedTerminalKeepsPostedRowsAndIsReleased()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}});
    f.addDevice({{kDeviceNo, 2}});
    FakeTermSdk& sdk = f.sdk2();
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("1"), 0, 2024, 5, 3, 8, 0, 0));
    sdk.push(QStringLiteral("NextLogRecordStr"), {false, {}, true}); // the line drops mid-transfer
    sdk.pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("2"), 1, 2024, 5, 4, 8, 0, 0));
    auto prompt = answerPrompt(QStringLiteral("2024-05-01"), QStringLiteral("2024-05-31"));
    f.click(f.window->BT_QV_NewData);
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QCOMPARE(tableRows(f.records()), (QStringList{"2/2//2024-05-04 08:00:00/下班", "1/1//2024-05-03 08:00:00/上班"}));
    QCOMPARE(sdk.callNames().count(QStringLiteral("Disconnect")), 2);
    QCOMPARE(f.records().state(), WorkingTable::State::Browse);
}

void RecordCollectionTest::failedConnectShowsMessageAndWalkGoesOn()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 12}, {kCommMode, kNetworkMode}, {kIpAddress, QStringLiteral("10.0.0.12")}});
    f.addDevice({{kDeviceNo, 13}});
    f.sdk2().push(QStringLiteral("ConnectNetwork"), {false});
    f.sdk2().pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("9"), 2, 2026, 12, 2, 9, 0, 0));
    auto prompt = answerPrompt(QStringLiteral("2026-12-01"), QStringLiteral("2026-12-31"));
    f.click(f.window->BT_QV_NewData);
    QCOMPARE(f.fakes.messages.texts(), QStringList{QStringLiteral("连接设备(设备号：12)失败")});
    QCOMPARE(tableRows(f.records()), QStringList{QStringLiteral("13/9//2026-12-02 09:00:00/外出")});
    QCOMPARE(f.fakes.events.pauses, (QList<int>{100, 100}));
}

void RecordCollectionTest::runShowsProgressAndLocksTheButtons()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 4}});
    f.sdk2().pushRecord(QStringLiteral("NextLogRecordStr"), textLog(QStringLiteral("1"), 0, 2024, 5, 3, 8, 0, 0));
    QString captionDuringRun;
    bool anyButtonEnabled = false;
    f.fakes.events.onPump = [&] {
        captionDuringRun = f.window->GroupBox2->title();
        for (QPushButton* b : {f.window->BT_QVJ_Add, f.window->BT_QVJ_Mod, f.window->BT_QVJ_Del, f.window->BT_QVJ_Test,
                               f.window->BT_PE_Get, f.window->BT_QV_NewData})
            anyButtonEnabled = anyButtonEnabled || b->isEnabled();
        // A second run asked for meanwhile does not start.
        f.window->BT_PE_GetClick();
    };
    auto prompt = answerPrompt(QStringLiteral("2024-05-01"), QStringLiteral("2024-05-31"));
    f.click(f.window->BT_QV_NewData);
    QVERIFY(captionDuringRun.startsWith(QStringLiteral("数据采集")));
    QVERIFY2(captionDuringRun.contains(QStringLiteral("设备号 4")), qPrintable(captionDuringRun));
    QVERIFY(!anyButtonEnabled);
    QVERIFY(f.sdk1().calls.isEmpty());
    QCOMPARE(f.window->GroupBox2->title(), QStringLiteral("数据采集"));
    QCOMPARE(f.ruledButtons(), QList<bool>(5, true));
}

QTEST_MAIN(RecordCollectionTest)
#include "RecordCollectionTest.moc"
