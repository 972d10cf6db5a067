#include "BandHeaderView.h"
#include "DataGrid.h"
#include "MainWindowFixture.h"
#include "ModalDialogDriver.h"
#include "TfrmSetInfo.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QtTest>

using namespace QvTables;

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsEmptyWithOnlyAddEnabled();
    void buttonRuleFollowsTheDeviceTable();
    void deleteRemovesCurrentRowWithoutPrompt();
    void newDeviceRowDefaults();
    void modifyOnEmptyTableDoesNothing();
    void gridsShowTheirColumnsAndBands();
    void gridClickMovesTheTableCursor();
    void findDialogSelectsMatchingRow();
    void escapingErrorIsShownAndProgramGoesOn();
    void showingAgainEmptiesTheTables();
};

void MainWindowTest::startsEmptyWithOnlyAddEnabled()
{
    MainWindowFixture f;
    TfrmMain& w = *f.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("澄岳时代 - 考勤机 接口处理"));
    QCOMPARE(w.size(), QSize(831, 742));
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.devices().isEmpty() && f.persons().isEmpty() && f.records().isEmpty());
    QVERIFY(w.BT_QVJ_Add->isEnabled());
    QCOMPARE(f.ruledButtons(), QList<bool>(5, false));
    QCOMPARE(w.BT_PE_Get->text(), QStringLiteral("取得考勤机已注册人员信息(&G)"));
    QCOMPARE(w.palette().color(QPalette::Window), QColor(255, 216, 181));
    QCOMPARE(f.sdks.size(), size_t(2));
}

void MainWindowTest::buttonRuleFollowsTheDeviceTable()
{
    MainWindowFixture f;
    f.devices().append();
    QCOMPARE(f.ruledButtons(), QList<bool>(5, false)); // a pending append does not count
    f.devices().post();
    QCOMPARE(f.ruledButtons(), QList<bool>(5, true));

    // Events of the person table run the rule too, and it still looks at the device table only.
    f.persons().append();
    f.persons().post();
    f.devices().first();
    f.devices().deleteCurrent();
    QCOMPARE(f.ruledButtons(), QList<bool>(5, false));
    f.persons().emptyTable();
    QCOMPARE(f.ruledButtons(), QList<bool>(5, false));
    QVERIFY(f.window->BT_QVJ_Add->isEnabled());
}

void MainWindowTest::deleteRemovesCurrentRowWithoutPrompt()
{
    MainWindowFixture f;
    for (int device : {1, 2, 3})
        f.addDevice({{kDeviceNo, device}});
    QTRY_COMPARE(f.window->DBGridEh_QVJ->model()->rowCount(), 3); // shown at the next tick
    f.window->DBGridEh_QVJ->selectRow(1);
    QCOMPARE(f.devices().fieldInteger(kDeviceNo), 2);
    f.click(f.window->BT_QVJ_Del);
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QCOMPARE(f.devices().recordCount(), 2);
    QStringList left;
    for (f.devices().first(); !f.devices().eof(); f.devices().next())
        left << f.devices().fieldText(kDeviceNo);
    QCOMPARE(left, (QStringList{"1", "3"}));
    f.click(f.window->BT_QVJ_Del);
    f.click(f.window->BT_QVJ_Del);
    QVERIFY(f.devices().isEmpty());
    QCOMPARE(f.ruledButtons(), QList<bool>(5, false));
}

void MainWindowTest::newDeviceRowDefaults()
{
    MainWindowFixture f;
    f.devices().append();
    const QStringList fields{kDeviceNo, kDeviceType, kCommMode, kSerialPort, kBaudRate,
                             kIpAddress, kTcpPort, kCommPassword, kLinkState};
    QStringList values;
    for (const QString& field : fields) {
        QVERIFY2(!f.devices().fieldIsNull(field), qPrintable(field)); // empty texts, not missing values
        values << f.devices().fieldText(field);
    }
    QCOMPARE(values, (QStringList{"1", "彩色屏", "串口(232/485)", "1", "19200", "", "4370", "", ""}));
    f.devices().cancel();
}

void MainWindowTest::modifyOnEmptyTableDoesNothing()
{
    MainWindowFixture f;
    ModalDialogDriver driver([](QWidget* w) { w->close(); });
    f.window->BT_QVJ_ModClick();
    QVERIFY(!driver.hasRun());
    QCOMPARE(f.devices().state(), WorkingTable::State::Browse);
}

void MainWindowTest::gridsShowTheirColumnsAndBands()
{
    MainWindowFixture f;
    DataGrid* devices = f.window->DBGridEh_QVJ;
    BandHeaderView* header = devices->bandHeader();
    QVERIFY(header->hasTwoRows());
    const int port = f.devices().fieldIndex(kSerialPort);
    const int baud = f.devices().fieldIndex(kBaudRate);
    const int ip = f.devices().fieldIndex(kIpAddress);
    const int tcp = f.devices().fieldIndex(kTcpPort);
    QCOMPARE(header->title(port), QStringLiteral("串口通讯方式|串口号"));
    // Adjacent columns with the same upper part share one upper cell.
    QCOMPARE(header->bandSpan(port), qMakePair(header->visualIndex(port), header->visualIndex(baud)));
    QCOMPARE(header->bandSpan(tcp), qMakePair(header->visualIndex(ip), header->visualIndex(tcp)));
    QCOMPARE(header->bandSpan(0), qMakePair(0, 0));
    // Moving a column out of its band splits the band.
    header->moveSection(header->visualIndex(baud), 0);
    QCOMPARE(header->bandSpan(port), qMakePair(header->visualIndex(port), header->visualIndex(port)));
    QCOMPARE(devices->columnWidth(ip), 120);

    DataGrid* persons = f.window->DBGridEh_PE;
    QVERIFY(!persons->bandHeader()->hasTwoRows());
    QVERIFY(persons->isColumnHidden(f.persons().fieldIndex(kPassword)));
    QVERIFY(persons->isColumnHidden(f.persons().fieldIndex(kDisabled)));
    QVERIFY(!persons->isColumnHidden(f.persons().fieldIndex(kName)));
    QCOMPARE(persons->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(persons->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(f.window->DBGridEh_QV->columnWidth(f.records().fieldIndex(kTime)), 140);
}

void MainWindowTest::gridClickMovesTheTableCursor()
{
    MainWindowFixture f;
    for (int device : {4, 5, 6})
        f.addDevice({{kDeviceNo, device}});
    f.devices().flushPending();
    DataGrid* grid = f.window->DBGridEh_QVJ;
    const QRect cell = grid->visualRect(grid->model()->index(2, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(f.devices().fieldInteger(kDeviceNo), 6);
    QCOMPARE(grid->verticalHeader()->model()->headerData(2, Qt::Vertical).toInt(), 3); // record numbers
}

void MainWindowTest::findDialogSelectsMatchingRow()
{
    MainWindowFixture f;
    for (int device : {1, 2, 3})
        f.addDevice({{kDeviceNo, device}, {kIpAddress, QStringLiteral("10.0.0.%1").arg(device)}});
    f.devices().flushPending();
    DataGrid* grid = f.window->DBGridEh_QVJ;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
    auto* text = grid->findChild<QLineEdit*>(QStringLiteral("findText"));
    QVERIFY(text && text->isVisible());
    text->setText(QStringLiteral("10.0.0.3"));
    QTest::mouseClick(grid->findChild<QPushButton*>(QStringLiteral("findNext")), Qt::LeftButton);
    QCOMPARE(grid->currentIndex().row(), 2);
    QCOMPARE(f.devices().fieldInteger(kDeviceNo), 3);
}

void MainWindowTest::escapingErrorIsShownAndProgramGoesOn()
{
    MainWindowFixture f;
    f.addDevice({{kCommPassword, QStringLiteral("abc")}});
    f.click(f.window->BT_QVJ_Test);
    QCOMPARE(f.fakes.messages.shown.size(), 1);
    QCOMPARE(f.fakes.messages.shown.first().kind, QStringLiteral("error"));
    QVERIFY(f.fakes.messages.shown.first().text.contains(QStringLiteral("abc")));
    QVERIFY(f.window->BT_QVJ_Test->isEnabled()); // the run lock is given back
    QVERIFY(f.window->isVisible());
}

void MainWindowTest::showingAgainEmptiesTheTables()
{
    MainWindowFixture f;
    f.addDevice({});
    f.window->hide();
    f.window->show();
    QVERIFY(f.devices().isEmpty());
    QCOMPARE(f.ruledButtons(), QList<bool>(5, false));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
