// The main window's and the terminal editor's layout: every control with its
// caption, place and size and whether it starts enabled; every grid column;
// and the order the Tab key walks.
#include "BandHeaderView.h"
#include "DataGrid.h"
#include "MainWindowFixture.h"
#include "ModalDialogDriver.h"
#include "TfrmSetInfo.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace QvTables;

namespace {
// The text a control shows as its caption: a button's or label's text, a
// panel's title, a combo box's list; nothing for edits and grids.
QString captionOf(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(control))
        return box->title();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join(QLatin1Char(','));
    }
    return {};
}

// A control by object name, or a label by its text (labels carry no names).
QWidget* control(QWidget* window, const QString& name)
{
    if (name.startsWith(QLatin1String("label:"))) {
        for (QLabel* label : window->findChildren<QLabel*>())
            if (label->text() == name.mid(6))
                return label;
        return nullptr;
    }
    return window->findChild<QWidget*>(name);
}

void addControlColumns()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry"); // in the parent's coordinates
    QTest::addColumn<bool>("enabled");
}

void checkControl(QWidget* window)
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    QFETCH(bool, enabled);
    QWidget* found = control(window, name);
    QVERIFY2(found, qPrintable(name));
    QCOMPARE(captionOf(found), caption);
    QCOMPARE(found->geometry(), geometry);
    QCOMPARE(found->isEnabled(), enabled);
}

// Presses Tab (or Shift+Tab) from each control in turn and checks where the focus lands.
void walkTabOrder(QWidget* window, const QStringList& order)
{
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    for (int i = 0; i < order.size(); ++i) {
        QWidget* from = window->findChild<QWidget*>(order.at(i));
        QWidget* next = window->findChild<QWidget*>(order.at((i + 1) % order.size()));
        from->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), from);
        QTest::keyClick(from, Qt::Key_Tab);
        QVERIFY2(QApplication::focusWidget() == next,
                 qPrintable(QStringLiteral("Tab from %1 reached %2, not %3")
                                .arg(order.at(i), QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                                             : QStringLiteral("nothing"),
                                     order.at((i + 1) % order.size()))));
        QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY2(QApplication::focusWidget() == from, qPrintable(QStringLiteral("Shift+Tab back to %1").arg(order.at(i))));
    }
}
} // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mainWindowControls_data();
    void mainWindowControls();
    void editorControls_data();
    void editorControls();
    void gridColumns_data();
    void gridColumns();
    void mainWindowTabOrderLeavesTheGrids();
    void arrowKeysMoveInsideAGrid();
    void editorTabOrder();
};

void LayoutTest::mainWindowControls_data()
{
    addControlColumns();
    const auto row = [](const char* name, const QString& caption, QRect geometry, bool enabled) {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << geometry << enabled;
    };
    row("GroupBox_QVJ", "考勤机设备列表：", {11, 8, 807, 242}, true);
    row("DBGridEh_QVJ", "", {16, 20, 773, 176}, true);
    row("BT_QVJ_Add", "添加(&N)", {16, 200, 100, 28}, true);
    row("BT_QVJ_Mod", "修改(&M)", {119, 200, 100, 28}, false);
    row("BT_QVJ_Del", "删除(&D)", {224, 200, 100, 28}, false);
    row("BT_QVJ_Test", "测试设备(&L)", {662, 200, 129, 28}, false);
    row("GroupBox1", "注册人员信息：", {11, 255, 294, 478}, true);
    row("DBGridEh_PE", "", {16, 20, 260, 412}, true);
    row("BT_PE_Get", "取得考勤机已注册人员信息(&G)", {16, 436, 261, 28}, false);
    row("GroupBox2", "数据采集", {312, 255, 505, 478}, true);
    row("DBGridEh_QV", "", {15, 20, 473, 411}, true);
    row("BT_QV_NewData", "采集新的考勤数据信息(&E)", {15, 436, 474, 28}, false);
}

void LayoutTest::mainWindowControls()
{
    MainWindowFixture f;
    QCOMPARE(f.window->size(), QSize(831, 742));
    checkControl(f.window.get());
}

void LayoutTest::editorControls_data()
{
    addControlColumns();
    const auto row = [](const char* name, const QString& caption, QRect geometry) {
        QTest::newRow(name) << QString::fromUtf8(name) << caption << geometry << true;
    };
    row("GroupBox1", "", {8, 4, 519, 268});
    row("label:设 备 号：", "设 备 号：", {16, 24, 0, 0});
    row("DBEdit1", "", {90, 20, 120, 22});
    row("label:设备类型：", "设备类型：", {280, 24, 0, 0});
    row("DBComboBox5", "黑白屏,彩色屏,面部识别", {354, 20, 140, 22});
    row("label:通讯方式：", "通讯方式：", {16, 54, 0, 0});
    row("DBComboBox1", "串口(232/485),TCP/IP", {90, 50, 140, 22});
    row("label:1、串口通信方式：", "1、串口通信方式：", {16, 96, 0, 0});
    row("label:  串口号：", "  串口号：", {16, 122, 0, 0});
    row("label:COM", "COM", {92, 122, 0, 0});
    row("DBComboBox3", "1,2,3,4,5,6,7,8,9", {122, 118, 88, 22});
    row("label:波 特 率：", "波 特 率：", {280, 122, 0, 0});
    row("DBComboBox2", "115200,19200", {354, 118, 140, 22});
    row("label:2、TCP/IP通信方式：", "2、TCP/IP通信方式：", {16, 154, 0, 0});
    row("label:  IP地址：", "  IP地址：", {16, 180, 0, 0});
    row("DBEdit2", "", {90, 176, 140, 22});
    row("label:端 口 号：", "端 口 号：", {280, 180, 0, 0});
    row("DBComboBox4", "4370", {354, 176, 140, 22});
    row("label:通讯密码：", "通讯密码：", {16, 232, 0, 0});
    row("DBEdit3", "", {90, 228, 140, 22});
    row("BT_QVJ_Test", "测试设备(&L)", {8, 282, 116, 28});
    row("BT_Ok", "确定(&O)", {333, 282, 92, 28});
    row("BT_Cancel", "取消(&C)", {435, 282, 92, 28});
}

void LayoutTest::editorControls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    MainWindowFixture f;
    TfrmSetInfo dialog(f.fakes.services(), [] { return std::make_unique<FakeTermSdk>(); }, f.window.get());
    QCOMPARE(dialog.size(), QSize(535, 320));
    if (name.startsWith(QLatin1String("label:"))) {
        // A label is as wide as its text: only its place is fixed.
        QWidget* label = control(&dialog, name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->pos(), geometry.topLeft());
        QFETCH(QString, caption);
        QCOMPARE(captionOf(label), caption);
        return;
    }
    checkControl(&dialog);
}

void LayoutTest::gridColumns_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("width"); // -1: not shown
    QTest::addColumn<QString>("title");
    const auto row = [](const char* grid, const QString& field, int width, const QString& title) {
        QTest::addRow("%s %s", grid, qPrintable(field)) << QString::fromLatin1(grid) << field << width << title;
    };
    row("DBGridEh_QVJ", kDeviceNo, 50, kDeviceNo);
    row("DBGridEh_QVJ", kDeviceType, 80, kDeviceType);
    row("DBGridEh_QVJ", kCommMode, 80, kCommMode);
    row("DBGridEh_QVJ", kSerialPort, 60, "串口通讯方式|串口号");
    row("DBGridEh_QVJ", kBaudRate, 80, "串口通讯方式|波特率");
    row("DBGridEh_QVJ", kIpAddress, 120, "TCP/IP通讯方式|IP地址");
    row("DBGridEh_QVJ", kTcpPort, 60, "TCP/IP通讯方式|端口号");
    row("DBGridEh_QVJ", kCommPassword, 100, kCommPassword);
    row("DBGridEh_QVJ", kLinkState, 80, kLinkState);
    row("DBGridEh_PE", kDeviceNo, 60, kDeviceNo);
    row("DBGridEh_PE", kEnrollNo, 60, kEnrollNo);
    row("DBGridEh_PE", kName, 80, kName);
    row("DBGridEh_PE", kPassword, -1, kPassword);
    row("DBGridEh_PE", kKind, -1, kKind);
    row("DBGridEh_PE", kDisabled, -1, kDisabled);
    row("DBGridEh_QV", kDeviceNo, 60, kDeviceNo);
    row("DBGridEh_QV", kEnrollNo, 60, kEnrollNo);
    row("DBGridEh_QV", kName, 80, kName);
    row("DBGridEh_QV", kTime, 140, kTime);
    row("DBGridEh_QV", kKind, 70, kKind);
}

void LayoutTest::gridColumns()
{
    QFETCH(QString, grid);
    QFETCH(QString, field);
    QFETCH(int, width);
    QFETCH(QString, title);
    MainWindowFixture f;
    auto* shown = f.window->findChild<DataGrid*>(grid);
    QVERIFY(shown);
    const int column = shown->table()->fieldIndex(field);
    QVERIFY(column >= 0);
    QCOMPARE(shown->isColumnHidden(column), width < 0);
    if (width >= 0)
        QCOMPARE(shown->columnWidth(column), width);
    QCOMPARE(shown->bandHeader()->title(column), title);
}

void LayoutTest::mainWindowTabOrderLeavesTheGrids()
{
    MainWindowFixture f;
    // Rows in every grid: a grid with rows must still hand Tab on.
    f.addDevice({{kDeviceNo, 1}});
    f.addDevice({{kDeviceNo, 2}});
    for (WorkingTable* table : {&f.persons(), &f.records()}) {
        table->append();
        table->setFieldValue(kDeviceNo, 1);
        table->post();
        table->append();
        table->setFieldValue(kDeviceNo, 2);
        table->post();
        table->flushPending();
    }
    f.devices().flushPending();
    walkTabOrder(f.window.get(), {"DBGridEh_QVJ", "BT_QVJ_Add", "BT_QVJ_Mod", "BT_QVJ_Del", "BT_QVJ_Test",
                                  "DBGridEh_PE", "BT_PE_Get", "DBGridEh_QV", "BT_QV_NewData"});
}

void LayoutTest::arrowKeysMoveInsideAGrid()
{
    MainWindowFixture f;
    for (int device : {1, 2, 3})
        f.addDevice({{kDeviceNo, device}});
    f.devices().flushPending();
    DataGrid* grid = f.window->DBGridEh_QVJ;
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    grid->setFocus();
    grid->selectRow(0);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(f.devices().fieldInteger(kDeviceNo), 3);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(f.devices().fieldInteger(kDeviceNo), 2);
    QCOMPARE(QApplication::focusWidget(), grid);
    QTest::keyClick(grid, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.window->BT_QVJ_Add);
    QCOMPARE(f.devices().fieldInteger(kDeviceNo), 2); // Tab did not move the row
}

void LayoutTest::editorTabOrder()
{
    MainWindowFixture f;
    ModalDialogDriver driver([&](QWidget* window) {
        // A combo box takes the focus into its line edit; its focus proxy is the box itself.
        walkTabOrder(window, {"DBEdit1", "DBComboBox1", "DBComboBox3", "DBComboBox2", "DBEdit2", "DBComboBox4",
                              "DBEdit3", "DBComboBox5", "BT_QVJ_Test", "BT_Ok", "BT_Cancel"});
        QTest::mouseClick(qobject_cast<TfrmSetInfo*>(window)->BT_Cancel, Qt::LeftButton);
    });
    f.click(f.window->BT_QVJ_Add);
    QVERIFY(driver.hasRun());
}

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
