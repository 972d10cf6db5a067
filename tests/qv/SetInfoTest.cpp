#include "MainWindowFixture.h"
#include "ModalDialogDriver.h"
#include "TableRows.h"
#include "TfrmSetInfo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using namespace QvTables;

namespace {
using Texts = QList<QPair<QString, QString>>; // control name, text

void type(TfrmSetInfo* dialog, const QString& name, const QString& text)
{
    QWidget* control = dialog->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QLineEdit* line = qobject_cast<QLineEdit*>(control);
    if (!line)
        line = qobject_cast<QComboBox*>(control)->lineEdit();
    line->setFocus();
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    // Key clicks carry only Latin-1; Chinese text arrives as an input method would hand it over.
    bool latin = true;
    for (QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin)
        QTest::keyClicks(line, text);
    else
        line->insert(text);
}

void typeAll(TfrmSetInfo* dialog, const Texts& texts)
{
    for (const auto& [name, text] : texts)
        type(dialog, name, text);
}

} // namespace

class SetInfoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void entryCheck_data();
    void entryCheck();
    void addThenOkPostsTheRow();
    void restoringFromMinimisedKeepsTypedText();
    void addThenCancelOrCloseLeavesTableAsBefore_data();
    void addThenCancelOrCloseLeavesTableAsBefore();
    void modifyRestoresStoredValuesOnCancel();
    void textAnIntegerColumnCannotTakeIsRefused();
    void editorTest_data();
    void editorTest();
    void releaseComesAfterTheSuccessBoxIsClosed();
    void failedEditorTestShowsFailure();
};

void SetInfoTest::entryCheck_data()
{
    QTest::addColumn<Texts>("texts");
    QTest::addColumn<bool>("viaTest");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    QTest::newRow("device number") << Texts{{"DBEdit1", ""}} << false << "【设备号】不能为空" << "DBEdit1";
    QTest::newRow("device type empty") << Texts{{"DBComboBox5", ""}} << false << "【设备类型】不能为空" << "DBComboBox5";
    QTest::newRow("device type off list")
        << Texts{{"DBComboBox5", "液晶屏"}} << false << "【设备类型】的值只能为“黑白屏”或“彩色屏”或“面部识别”" << "DBComboBox5";
    QTest::newRow("mode empty") << Texts{{"DBComboBox1", ""}} << false << "【通讯方式】不能为空" << "DBComboBox1";
    QTest::newRow("mode off list")
        << Texts{{"DBComboBox1", "USB"}} << false << "【通讯方式】的值只能为“串口(232/485)”或“TCP/IP”" << "DBComboBox1";
    QTest::newRow("serial port") << Texts{{"DBComboBox3", ""}, {"DBComboBox2", ""}} << false << "【串口号】不能为空" << "DBComboBox3";
    QTest::newRow("baud rate") << Texts{{"DBComboBox2", ""}} << false << "【波特率】不能为空" << "DBComboBox2";
    QTest::newRow("lower-case tcp/ip takes the network branch")
        << Texts{{"DBComboBox1", "tcp/ip"}, {"DBComboBox3", ""}} << false << "【IP地址】不能为空" << "DBEdit2";
    QTest::newRow("port") << Texts{{"DBComboBox1", "TCP/IP"}, {"DBEdit2", "10.0.0.1"}, {"DBComboBox4", ""}} << false
                          << "【端口号】不能为空" << "DBComboBox4";
    QTest::newRow("password only for the test")
        << Texts{{"DBComboBox1", "TCP/IP"}, {"DBEdit2", "10.0.0.1"}} << true << "【密码】不能为空" << "DBEdit3";
    QTest::newRow("the first failing step wins")
        << Texts{{"DBEdit1", ""}, {"DBComboBox5", ""}} << true << "【设备号】不能为空" << "DBEdit1";
}

void SetInfoTest::entryCheck()
{
    QFETCH(Texts, texts);
    QFETCH(bool, viaTest);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    MainWindowFixture f;
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        QVERIFY(dialog);
        typeAll(dialog, texts);
        QTest::mouseClick(viaTest ? dialog->BT_QVJ_Test : dialog->BT_Ok, Qt::LeftButton);
        QCOMPARE(f.fakes.messages.texts(), QStringList{message});
        QVERIFY(dialog->isVisible()); // the dialog stays open with the row pending
        QCOMPARE(f.devices().state(), WorkingTable::State::Insert);
        QVERIFY(f.sdks.at(2)->calls.isEmpty()); // nothing was connected
        QWidget* control = dialog->findChild<QWidget*>(focus);
        QVERIFY(dialog->focusWidget() == control || control->isAncestorOf(dialog->focusWidget()));
        QTest::mouseClick(dialog->BT_Cancel, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
    QVERIFY(f.devices().isEmpty());
}

void SetInfoTest::restoringFromMinimisedKeepsTypedText()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 3}});
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        typeAll(dialog, {{"DBEdit1", "8"}, {"DBComboBox2", "115200"}});
        dialog->showMinimized();
        dialog->showNormal();
        QCOMPARE(dialog->DBEdit1->text(), QStringLiteral("8"));
        QTest::mouseClick(dialog->BT_Ok, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Mod);
    QVERIFY(driver.hasRun());
    QCOMPARE(tableRows(f.devices()), QStringList{QStringLiteral("8/彩色屏/串口(232/485)/1/115200//4370//")});
}

void SetInfoTest::addThenOkPostsTheRow()
{
    MainWindowFixture f;
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("考勤机设备"));
        QCOMPARE(dialog->DBComboBox2->currentText(), QStringLiteral("19200")); // the new row's defaults on show
        // A network terminal may be saved without a password; any port may be typed.
        typeAll(dialog, {{"DBEdit1", "5"}, {"DBComboBox5", "面部识别"}, {"DBComboBox1", "TCP/IP"},
                         {"DBEdit2", "192.168.1.201"}, {"DBComboBox4", "4999"}});
        QTest::mouseClick(dialog->BT_Ok, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QCOMPARE(tableRows(f.devices(), QLatin1Char(',')).join(QLatin1Char(';')), QStringLiteral("5,面部识别,TCP/IP,1,19200,192.168.1.201,4999,,"));
    QCOMPARE(f.ruledButtons(), QList<bool>(5, true));
}

void SetInfoTest::addThenCancelOrCloseLeavesTableAsBefore_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("cancel button") << 0;
    QTest::newRow("escape") << 1;
    QTest::newRow("title-bar close") << 2;
}

void SetInfoTest::addThenCancelOrCloseLeavesTableAsBefore()
{
    QFETCH(int, how);
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 3}});
    const QString before = tableRows(f.devices(), QLatin1Char(',')).join(QLatin1Char(';'));
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        typeAll(dialog, {{"DBEdit1", "8"}, {"DBComboBox2", "115200"}});
        if (how == 0)
            QTest::mouseClick(dialog->BT_Cancel, Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
    QCOMPARE(f.devices().state(), WorkingTable::State::Browse);
    QCOMPARE(tableRows(f.devices(), QLatin1Char(',')).join(QLatin1Char(';')), before);
    QCOMPARE(f.ruledButtons(), QList<bool>(5, true));
}

void SetInfoTest::modifyRestoresStoredValuesOnCancel()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 3}, {kIpAddress, QStringLiteral("10.0.0.3")}});
    const QString before = tableRows(f.devices(), QLatin1Char(',')).join(QLatin1Char(';'));
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        QCOMPARE(dialog->DBEdit2->text(), QStringLiteral("10.0.0.3")); // bound to the current row
        type(dialog, QStringLiteral("DBEdit1"), QStringLiteral("9"));
        type(dialog, QStringLiteral("DBEdit2"), QStringLiteral("10.9.9.9"));
        QTest::mouseClick(dialog->BT_Cancel, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Mod);
    QVERIFY(driver.hasRun());
    QCOMPARE(tableRows(f.devices(), QLatin1Char(',')).join(QLatin1Char(';')), before);
}

void SetInfoTest::textAnIntegerColumnCannotTakeIsRefused()
{
    MainWindowFixture f;
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        type(dialog, QStringLiteral("DBComboBox2"), QStringLiteral("fast"));
        QTest::mouseClick(dialog->BT_Ok, Qt::LeftButton);
        QCOMPARE(f.fakes.messages.shown.size(), 1);
        QVERIFY(f.fakes.messages.shown.first().text.contains(QStringLiteral("fast")));
        QVERIFY(dialog->isVisible());
        QCOMPARE(f.devices().state(), WorkingTable::State::Insert);
        type(dialog, QStringLiteral("DBComboBox2"), QStringLiteral("57600"));
        QTest::mouseClick(dialog->BT_Ok, Qt::LeftButton); // a baud rate off the list is used as typed
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
    f.devices().first();
    QCOMPARE(f.devices().fieldInteger(kBaudRate), 57600);
}

void SetInfoTest::editorTest_data()
{
    QTest::addColumn<Texts>("texts");
    QTest::addColumn<QStringList>("trace");
    QTest::newRow("serial without password: no key")
        << Texts{{"DBEdit1", "3"}, {"DBComboBox3", "2"}}
        << QStringList{"CommPort(2)", "ConnectSerial(2,3,19200)", "RefreshDeviceData(3)", "SetDeviceEnabled(3,true)", "Disconnect()"};
    QTest::newRow("network is machine 1 whatever the device number")
        << Texts{{"DBEdit1", "5"}, {"DBComboBox1", "TCP/IP"}, {"DBEdit2", "10.0.0.5"}, {"DBEdit3", "0"}}
        << QStringList{"SetCommKey(0)", "ConnectNetwork(10.0.0.5,4370)", "RefreshDeviceData(1)", "SetDeviceEnabled(1,true)", "Disconnect()"};
    QTest::newRow("a bad number stops before any call")
        << Texts{{"DBEdit3", "12a"}} << QStringList{};
}

void SetInfoTest::editorTest()
{
    QFETCH(Texts, texts);
    QFETCH(QStringList, trace);
    MainWindowFixture f;
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        typeAll(dialog, texts);
        f.fakes.messages.shown.clear(); // a bad text is also refused on leaving its control
        QTest::mouseClick(dialog->BT_QVJ_Test, Qt::LeftButton);
        QCOMPARE(f.fakes.messages.shown.size(), 1);
        if (trace.isEmpty())
            QVERIFY(f.fakes.messages.shown.first().text.contains(QStringLiteral("12a")));
        else
            QCOMPARE(f.fakes.messages.shown.first().text, QStringLiteral("测试连接成功"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(f.devices().state(), WorkingTable::State::Insert); // the test writes nothing
        QCOMPARE(f.sdks.at(2)->callTrace(), trace);
        QTest::mouseClick(dialog->BT_Cancel, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
    QVERIFY(f.sdk1().calls.isEmpty());
    QVERIFY(f.devices().isEmpty());
}

void SetInfoTest::releaseComesAfterTheSuccessBoxIsClosed()
{
    MainWindowFixture f;
    QStringList callsWhileBoxShown;
    f.fakes.messages.onShow = [&](const RecordingMessageBoxes::Box&) { callsWhileBoxShown = f.sdks.at(2)->callNames(); };
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        QTest::mouseClick(dialog->BT_QVJ_Test, Qt::LeftButton);
        QCOMPARE(f.sdks.at(2)->callNames().mid(2), (QStringList{"RefreshDeviceData", "SetDeviceEnabled", "Disconnect"}));
        QTest::mouseClick(dialog->BT_Cancel, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
    QCOMPARE(callsWhileBoxShown, (QStringList{"CommPort", "ConnectSerial"}));
}

void SetInfoTest::failedEditorTestShowsFailure()
{
    MainWindowFixture f;
    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmSetInfo*>(window);
        f.sdks.at(2)->push(QStringLiteral("ConnectSerial"), {false});
        QTest::mouseClick(dialog->BT_QVJ_Test, Qt::LeftButton);
        QCOMPARE(f.sdks.at(2)->callNames(), (QStringList{"CommPort", "ConnectSerial"})); // nothing to release
        QTest::mouseClick(dialog->BT_Cancel, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
    QCOMPARE(f.fakes.messages.shown.size(), 1);
    QCOMPARE(f.fakes.messages.shown.first().kind, QStringLiteral("error"));
    QCOMPARE(f.fakes.messages.shown.first().text, QStringLiteral("测试连接失败"));
}

QTEST_MAIN(SetInfoTest)
#include "SetInfoTest.moc"
