#include "MainWindowFixture.h"
#include "TableRows.h"

#include <QtTest>

using namespace QvTables;

class UserRetrievalTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numericAndTextFetch();
    void failedConnectShowsMessageAndWalkGoesOn();
    void errorWhileReadingKeepsPostedRowsAndReleases();
    void runningAgainEmptiesFirst();
    void closingDuringARunStopsItThenCloses();
};

void UserRetrievalTest::numericAndTextFetch()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}, {kDeviceType, kBlackWhite}});
    f.addDevice({{kDeviceNo, 2}, {kDeviceType, kFace}, {kCommMode, kNetworkMode}, {kIpAddress, QStringLiteral("10.0.0.2")}});
    FakeTermSdk& sdk = f.sdk1();
    sdk.pushRecord(QStringLiteral("NextUserRecord"), {7, QStringLiteral("张三"), QStringLiteral("123"), 0, true});
    sdk.pushRecord(QStringLiteral("NextUserRecord"), {10, QStringLiteral("李四"), QStringLiteral(""), 14, false});
    sdk.pushRecord(QStringLiteral("NextUserRecordStr"), {QStringLiteral("A009"), QStringLiteral("Ann"), QStringLiteral("9"), 3, false});
    const int pumpsBefore = f.fakes.events.pumps;
    f.click(f.window->BT_PE_Get);

    QCOMPARE(tableRows(f.persons()), (QStringList{"1/10/李四//14/false", "1/7/张三/123/0/true", "2/A009/Ann/9/3/false"}));
    const QStringList trace = f.sdk1().callTrace();
    QCOMPARE(trace.filter(QStringLiteral("LoadAllUserIds")), (QStringList{"LoadAllUserIds(1)", "LoadAllUserIds(1)"}));
    // The black-and-white terminal is read by number, the face terminal by text, each until the fetch says no more.
    QCOMPARE(trace.filter(QStringLiteral("NextUserRecord(")).size(), 3);
    QCOMPARE(trace.filter(QStringLiteral("NextUserRecordStr(")).size(), 2);
    QCOMPARE(f.fakes.events.pumps - pumpsBefore, 3); // once after every user
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QVERIFY(f.sdk2().calls.isEmpty());
}

void UserRetrievalTest::failedConnectShowsMessageAndWalkGoesOn()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 3}});
    f.addDevice({{kDeviceNo, 4}, {kSerialPort, 2}});
    f.sdk1().push(QStringLiteral("ConnectSerial"), {false});
    f.sdk1().pushRecord(QStringLiteral("NextUserRecordStr"), {QStringLiteral("1"), QStringLiteral("x"), QString(), 0, true});
    f.click(f.window->BT_PE_Get);
    QCOMPARE(f.fakes.messages.texts(), QStringList{QStringLiteral("连接设备(设备号：3)失败")});
    QCOMPARE(f.fakes.messages.shown.first().kind, QStringLiteral("error"));
    QCOMPARE(tableRows(f.persons()), QStringList{QStringLiteral("4/1/x//0/true")});
    QCOMPARE(f.sdk1().callNames().count(QStringLiteral("Disconnect")), 1);
}

void UserRetrievalTest::errorWhileReadingKeepsPostedRowsAndReleases()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}});
    f.addDevice({{kDeviceNo, 2}});
    FakeTermSdk& sdk = f.sdk1();
    sdk.pushRecord(QStringLiteral("NextUserRecordStr"), {QStringLiteral("1"), QStringLiteral("a"), QString(), 0, false});
    sdk.push(QStringLiteral("NextUserRecordStr"), {false, {}, true}); // the control fails mid-list
    sdk.pushRecord(QStringLiteral("NextUserRecordStr"), {QStringLiteral("5"), QStringLiteral("b"), QString(), 0, false});
    f.click(f.window->BT_PE_Get);

    QVERIFY(f.fakes.messages.shown.isEmpty()); // swallowed silently
    QCOMPARE(tableRows(f.persons()), (QStringList{"1/1/a//0/false", "2/5/b//0/false"}));
    QCOMPARE(sdk.callNames().count(QStringLiteral("Disconnect")), 2); // both terminals given back
    QCOMPARE(f.persons().state(), WorkingTable::State::Browse);
}

void UserRetrievalTest::runningAgainEmptiesFirst()
{
    MainWindowFixture f;
    f.addDevice({});
    f.sdk1().pushRecord(QStringLiteral("NextUserRecordStr"), {QStringLiteral("1"), QStringLiteral("a"), QString(), 0, false});
    f.click(f.window->BT_PE_Get);
    QCOMPARE(f.persons().recordCount(), 1);
    f.sdk1().push(QStringLiteral("LoadAllUserIds"), {false}); // nothing to read this time
    f.click(f.window->BT_PE_Get);
    QVERIFY(f.persons().isEmpty());
    QCOMPARE(f.ruledButtons(), QList<bool>(5, true));
}

void UserRetrievalTest::closingDuringARunStopsItThenCloses()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}});
    f.addDevice({{kDeviceNo, 2}});
    for (int i = 0; i < 3; ++i)
        f.sdk1().pushRecord(QStringLiteral("NextUserRecordStr"), {QString::number(i), QStringLiteral("u"), QString(), 0, false});
    bool refused = false;
    f.fakes.events.onPump = [&] {
        if (!refused)
            refused = !f.window->close(); // the window stays while a terminal is being read
    };
    f.click(f.window->BT_PE_Get);
    QVERIFY(refused);
    QVERIFY(!f.window->isVisible());
    // The run ended after the record being read: the first terminal was given back, the second never visited.
    QCOMPARE(f.persons().recordCount(), 1);
    QCOMPARE(f.sdk1().callNames().count(QStringLiteral("ConnectSerial")), 1);
    QCOMPARE(f.sdk1().callNames().count(QStringLiteral("Disconnect")), 1);
}

QTEST_MAIN(UserRetrievalTest)
#include "UserRetrievalTest.moc"
