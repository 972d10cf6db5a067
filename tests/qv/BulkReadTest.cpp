// What the two bulk reads (registered users, attendance records) share: how
// a run ends, what it says about terminals it could not read, and the
// progress text in the panel caption.
#include "MainWindowFixture.h"
#include "ModalDialogDriver.h"
#include "THVDateEdit.h"
#include "TfrmhvDateArea.h"

#include <QGroupBox>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QtTest>

#include <memory>

using namespace QvTables;

namespace {
// The parts of the window and the SDK script that differ between the two reads.
struct Read {
    QString name;
    QString loadCall;
    QString fetchCall;
    QString caption;
    QString dataName;

    static Read of(const QString& name)
    {
        if (name == QLatin1String("users"))
            return {name, QStringLiteral("LoadAllUserIds"), QStringLiteral("NextUserRecordStr"),
                    QStringLiteral("注册人员信息："), QStringLiteral("人员信息")};
        return {name, QStringLiteral("LoadAllLogs"), QStringLiteral("NextLogRecordStr"), QStringLiteral("数据采集"),
                QStringLiteral("考勤记录")};
    }
    FakeTermSdk& sdk(MainWindowFixture& f) const { return name == QLatin1String("users") ? f.sdk1() : f.sdk2(); }
    QGroupBox* box(MainWindowFixture& f) const
    {
        return name == QLatin1String("users") ? f.window->GroupBox1 : f.window->GroupBox2;
    }
    WorkingTable& target(MainWindowFixture& f) const { return name == QLatin1String("users") ? f.persons() : f.records(); }
    // Queues one user or one in-range record.
    void pushRecord(MainWindowFixture& f, const QString& enroll) const
    {
        if (name == QLatin1String("users"))
            sdk(f).pushRecord(fetchCall, {enroll, QStringLiteral("u"), QString(), 0, false});
        else
            sdk(f).pushRecord(fetchCall, {enroll, 1, 0, 2024, 5, 3, 8, 0, 0, 0});
    }
    // Clicks the read's button; the record collection's prompt is answered with May 2024.
    void run(MainWindowFixture& f) const
    {
        if (name == QLatin1String("users")) {
            f.click(f.window->BT_PE_Get);
            return;
        }
        ModalDialogDriver prompt([](QWidget* window) {
            auto* dialog = qobject_cast<TfrmhvDateArea*>(window);
            QVERIFY(dialog);
            dialog->D1->setText(QStringLiteral("2024-05-01"));
            dialog->D2->setText(QStringLiteral("2024-05-31"));
            QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        });
        f.click(f.window->BT_QV_NewData);
        QVERIFY(prompt.hasRun());
    }
};

void addReadColumn()
{
    QTest::addColumn<QString>("read");
}

// Where the style draws a group box's caption, in the box's coordinates.
QRect captionRect(QGroupBox* box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
}
} // namespace

class BulkReadTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runStoppedByAnErrorRestoresCaptionAndHonoursClose_data();
    void runStoppedByAnErrorRestoresCaptionAndHonoursClose();
    void terminalsThatCouldNotBeLoadedAreNamedAfterTheRun_data();
    void terminalsThatCouldNotBeLoadedAreNamedAfterTheRun();
    void progressIsCurrentWhileABoxIsUpAndStaysInItsPanel_data();
    void progressIsCurrentWhileABoxIsUpAndStaysInItsPanel();
};

void BulkReadTest::runStoppedByAnErrorRestoresCaptionAndHonoursClose_data()
{
    addReadColumn();
    QTest::addColumn<bool>("closeDuringRun");
    for (const char* read : {"users", "records"}) {
        QTest::addRow("%s: a password that is no number", read) << QString::fromLatin1(read) << false;
        QTest::addRow("%s: the control fails at a connect, close pending", read) << QString::fromLatin1(read) << true;
    }
}

void BulkReadTest::runStoppedByAnErrorRestoresCaptionAndHonoursClose()
{
    QFETCH(QString, read);
    QFETCH(bool, closeDuringRun);
    const Read r = Read::of(read);
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1}});
    f.addDevice({{kDeviceNo, 2}, {kCommPassword, closeDuringRun ? QStringLiteral("5") : QStringLiteral("x9")}});
    r.pushRecord(f, QStringLiteral("1"));
    if (closeDuringRun) {
        // The user closes the window while the second terminal is being connected, and the control then fails.
        int connects = 0;
        r.sdk(f).onCall = [&](const FakeTermSdk::Call& call) {
            if (call.name == QLatin1String("ConnectSerial") && ++connects == 2)
                QVERIFY(!f.window->close());
        };
        r.sdk(f).push(QStringLiteral("ConnectSerial"), {true});
        r.sdk(f).push(QStringLiteral("ConnectSerial"), {false, {}, true});
    }
    r.run(f);

    QCOMPARE(f.fakes.messages.errors().size(), 1); // the default error report
    QVERIFY2(f.fakes.messages.errors().first().contains(closeDuringRun ? QStringLiteral("ConnectSerial")
                                                                         : QStringLiteral("x9")),
             qPrintable(f.fakes.messages.errors().first()));
    QCOMPARE(r.box(f)->title(), r.caption);
    QCOMPARE(r.target(f).recordCount(), 1);
    QCOMPARE(f.window->isVisible(), !closeDuringRun);
    QVERIFY(!f.window->isRunning());
    QCOMPARE(f.ruledButtons(), QList<bool>(5, true));
}

void BulkReadTest::terminalsThatCouldNotBeLoadedAreNamedAfterTheRun_data()
{
    addReadColumn();
    QTest::newRow("users") << QStringLiteral("users");
    QTest::newRow("records") << QStringLiteral("records");
}

void BulkReadTest::terminalsThatCouldNotBeLoadedAreNamedAfterTheRun()
{
    QFETCH(QString, read);
    const Read r = Read::of(read);
    MainWindowFixture f;
    for (int device : {1, 2, 3, 4})
        f.addDevice({{kDeviceNo, device}});
    FakeTermSdk& sdk = r.sdk(f);
    // 1 reads one row; 2 loses its connection; 3 has nothing to read; 4 refuses the load.
    sdk.push(r.loadCall, {true});
    r.pushRecord(f, QStringLiteral("7"));
    sdk.push(r.loadCall, {false});
    sdk.push(QStringLiteral("GetLastErrorCode"), {true, {7}});
    sdk.push(r.loadCall, {false});
    sdk.push(QStringLiteral("GetLastErrorCode"), {true, {9}});
    sdk.push(r.loadCall, {false});
    sdk.push(QStringLiteral("GetLastErrorCode"), {true, {11}});
    int disconnectsWhenShown = -1;
    f.fakes.messages.onShow = [&](const RecordingMessageBoxes::Box&) {
        disconnectsWhenShown = sdk.callNames().count(QStringLiteral("Disconnect"));
    };
    r.run(f);

    QCOMPARE(f.fakes.messages.errors(),
             QStringList{QStringLiteral("以下考勤机的%1未能读取：\n设备号 2：通讯中断（错误号 7）\n"
                                        "设备号 4：设备拒绝或不支持该操作（错误号 11）")
                             .arg(r.dataName)});
    QCOMPARE(disconnectsWhenShown, 4); // one message, after the whole walk
    QCOMPARE(r.target(f).recordCount(), 1);
}

void BulkReadTest::progressIsCurrentWhileABoxIsUpAndStaysInItsPanel_data()
{
    addReadColumn();
    QTest::newRow("users") << QStringLiteral("users");
    QTest::newRow("records") << QStringLiteral("records");
}

void BulkReadTest::progressIsCurrentWhileABoxIsUpAndStaysInItsPanel()
{
    QFETCH(QString, read);
    const Read r = Read::of(read);
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 1234567890}});
    f.addDevice({{kDeviceNo, 1234567891}});
    r.sdk(f).push(QStringLiteral("ConnectSerial"), {true});
    r.sdk(f).push(QStringLiteral("ConnectSerial"), {false});
    for (int i = 0; i < 3; ++i)
        r.pushRecord(f, QString::number(100000 + i));
    QGroupBox* box = r.box(f);
    QStringList captionsInRun;
    f.fakes.events.onPump = [&] { captionsInRun << box->title(); };
    QString captionAtBox;
    f.fakes.messages.onShow = [&](const RecordingMessageBoxes::Box&) {
        captionAtBox = box->toolTip().isEmpty() ? box->title() : box->toolTip();
        captionsInRun << box->title();
    };
    r.run(f);

    QCOMPARE(f.fakes.messages.errors(), QStringList{QStringLiteral("连接设备(设备号：1234567891)失败")});
    QVERIFY2(captionAtBox.contains(QStringLiteral("设备号 1234567891")), qPrintable(captionAtBox));
    QVERIFY(!captionsInRun.isEmpty());
    for (const QString& caption : std::as_const(captionsInRun)) {
        QVERIFY2(caption.startsWith(r.caption), qPrintable(caption));
        box->setTitle(caption);
        const QRect drawn = captionRect(box);
        // Clear of the panel's right edge, so that it never meets the neighbouring panel's caption.
        QVERIFY2(drawn.right() + 8 <= box->width(), qPrintable(QStringLiteral("%1: %2 of %3").arg(caption).arg(drawn.right()).arg(box->width())));
    }
}

QTEST_MAIN(BulkReadTest)
#include "BulkReadTest.moc"
