// Device information, clock and power off against the recording fake: the
// lines of a load and a save, which rows a save writes and where it stops,
// the Device ID becoming the machine number, and setting the clock.
#include "BenchWindowFixture.h"
#include "TaggedButton.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

class DeviceInfoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gridHasTheThirtyFiveKeys();
    void loadWithoutTerminalReportsEveryRow();
    void loadShowsValuesByKind();
    void editingInTheGridFlagsTheRow();
    void loadDiscardsEdits();
    void saveWritesOnlyEditedRows();
    void saveStopsAtTheFirstFailure();
    void saveStopsAtATextThatIsNoNumber_data();
    void saveStopsAtATextThatIsNoNumber();
    void saveWithoutEditsOnlyReports();
    void editBeforeTheFirstLoadIsSaved();
    void deviceIdShowsInThePortFieldOnlyOnSerial_data();
    void deviceIdShowsInThePortFieldOnlyOnSerial();
    void setTimeReadsTheClockBack();
    void failedSetTimeAddsOneLine();
    void powerOffReportsNothing();

private:
    QString cell(BenchWindowFixture& f, int row) { return f.window->vleDevInfo->item(row - 1, 1)->text(); }
    void setCell(BenchWindowFixture& f, int row, const QString& text)
    {
        f.window->vleDevInfo->item(row - 1, 1)->setText(text);
    }
    // Loads values 0 for every row except the given ones.
    void load(BenchWindowFixture& f, const QMap<int, int>& values)
    {
        for (int r = 1; r <= 35; ++r)
            f.sdk->push(QStringLiteral("GetDeviceInfo"), {true, {values.value(r, 0)}});
        f.click(f.window->btnLoadDevInfo);
    }
};

void DeviceInfoTest::gridHasTheThirtyFiveKeys()
{
    BenchWindowFixture f;
    QTableWidget* grid = f.window->vleDevInfo;
    QCOMPARE(grid->rowCount(), 35);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Registrable administrators number"));
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("Device ID"));
    QCOMPARE(grid->item(28, 0)->text(), QStringLiteral("Net Speed"));
    QCOMPARE(grid->item(29, 0)->text(), QStringLiteral("Must registe card"));
    QCOMPARE(grid->item(34, 0)->text(), QStringLiteral("Only 1:1"));
    QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));
    QVERIFY(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Item"));
    QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Value"));
}

void DeviceInfoTest::loadWithoutTerminalReportsEveryRow()
{
    BenchWindowFixture f;
    setCell(f, 4, QStringLiteral("77"));
    QVERIFY(f.window->rowChanged(4));
    f.failAlways(QStringLiteral("GetDeviceInfo"), -1);
    f.click(f.window->btnLoadDevInfo);
    const QStringList lines = f.lines();
    QCOMPARE(lines.size(), 35);
    QCOMPARE(lines.first(), QStringLiteral("! GetDeviceInfo(1) ErrorNo.=-1"));
    QCOMPARE(lines.last(), QStringLiteral("! GetDeviceInfo(35) ErrorNo.=-1"));
    QCOMPARE(cell(f, 4), QStringLiteral("77"));
    QVERIFY(!f.window->rowChanged(4));
}

void DeviceInfoTest::loadShowsValuesByKind()
{
    BenchWindowFixture f;
    f.window->edtNetPort->setText(QStringLiteral("3"));
    f.click(f.window->btnConnect);
    f.sdk->calls.clear();
    f.window->Memo1->clear();
    f.sdk->push(QStringLiteral("GetDeviceInfo"), {true, {10}});
    f.sdk->push(QStringLiteral("GetDeviceInfo"), {true, {3}});
    f.sdk->push(QStringLiteral("GetDeviceInfo"), {false}); // row 3 keeps its text
    for (int r = 4; r <= 35; ++r) {
        const int value = r == 9 ? 3 : r == 19 ? 2053 : r == 20 ? -1 : r == 29 ? 2 : r == 13 ? 1 : 0;
        f.sdk->push(QStringLiteral("GetDeviceInfo"), {true, {value}});
    }
    f.sdk->setDefault(QStringLiteral("GetLastErrorCode"), {true, {-9}});
    f.click(f.window->btnLoadDevInfo);
    QCOMPARE(f.lines(), QStringList{"! GetDeviceInfo(3) ErrorNo.=-9"});
    QCOMPARE(f.sdk->callTrace().first(), QStringLiteral("GetDeviceInfo(3,1)"));
    QCOMPARE(cell(f, 1), QStringLiteral("10"));
    QCOMPARE(cell(f, 2), QStringLiteral("3"));
    QCOMPARE(cell(f, 3), QString());
    QCOMPARE(cell(f, 9), QStringLiteral("9600 bps"));
    QCOMPARE(cell(f, 13), QStringLiteral("On"));
    QCOMPARE(cell(f, 19), QStringLiteral("8:5"));
    QCOMPARE(cell(f, 20), QStringLiteral("No"));
    QCOMPARE(cell(f, 29), QStringLiteral("10M_H"));
    for (int r = 1; r <= 35; ++r)
        QVERIFY(!f.window->rowChanged(r));
}

void DeviceInfoTest::editingInTheGridFlagsTheRow()
{
    BenchWindowFixture f;
    load(f, {{3, 1}, {8, 4}});
    QTableWidget* grid = f.window->vleDevInfo;

    // A number row: type into the cell's editor, then move to another cell.
    grid->setCurrentCell(7, 1);
    grid->editItem(grid->item(7, 1));
    auto* edit = grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(edit);
    edit->setText(QStringLiteral("9"));
    grid->setCurrentCell(8, 1);
    QCOMPARE(cell(f, 8), QStringLiteral("9"));
    QVERIFY(f.window->rowChanged(8));

    // A choice row offers its pick list.
    grid->setCurrentCell(2, 1);
    grid->editItem(grid->item(2, 1));
    auto* box = grid->viewport()->findChild<QComboBox*>();
    QVERIFY(box);
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(2), QStringLiteral("Traditional Chinese"));
    QCOMPARE(box->currentText(), QStringLiteral("Simplified Chinese"));
    box->setCurrentIndex(0);
    grid->setCurrentCell(3, 1);
    QCOMPARE(cell(f, 3), QStringLiteral("English"));
    QVERIFY(f.window->rowChanged(3));

    // Leaving a cell without changing it flags nothing.
    grid->setCurrentCell(10, 1);
    grid->editItem(grid->item(10, 1));
    grid->setCurrentCell(11, 1);
    QVERIFY(!f.window->rowChanged(11));
    QVERIFY(f.sdk->callNames().filter(QStringLiteral("SetDeviceInfo")).isEmpty());
}

void DeviceInfoTest::loadDiscardsEdits()
{
    BenchWindowFixture f;
    load(f, {});
    setCell(f, 5, QStringLiteral("12"));
    load(f, {{5, 4}});
    QCOMPARE(cell(f, 5), QStringLiteral("4"));
    f.sdk->calls.clear();
    f.click(f.window->btnSaveDevInfo);
    QCOMPARE(f.sdk->callTrace(), QStringList());
}

void DeviceInfoTest::saveWritesOnlyEditedRows()
{
    BenchWindowFixture f;
    f.window->edtNetPort->setText(QStringLiteral("1"));
    load(f, {{2, 1}, {3, 5}});
    f.window->Memo1->clear();
    setCell(f, 29, QStringLiteral("auto"));
    setCell(f, 2, QStringLiteral("5"));
    setCell(f, 19, QStringLiteral("8:5"));
    setCell(f, 3, QStringLiteral("Klingon"));
    f.sdk->calls.clear();
    f.click(f.window->btnSaveDevInfo);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"SetDeviceInfo(0,2,5)", "SetDeviceInfo(5,3,0)",
                                              "SetDeviceInfo(5,19,2053)", "SetDeviceInfo(5,29,0)"}));
    QCOMPARE(f.lines(), QStringList{"SetDeviceInfo OK"});
    QCOMPARE(f.window->machineNumber(), 5);
    for (int r : {2, 3, 19, 29})
        QVERIFY(!f.window->rowChanged(r));
    // Later commands address the terminal under its new number.
    f.sdk->calls.clear();
    f.click(f.window->btnSetTime);
    QCOMPARE(f.sdk->callTrace().first(), QStringLiteral("SetDeviceTime(5)"));
}

void DeviceInfoTest::saveStopsAtTheFirstFailure()
{
    BenchWindowFixture f;
    load(f, {});
    f.window->Memo1->clear();
    setCell(f, 1, QStringLiteral("3"));
    setCell(f, 4, QStringLiteral("30"));
    setCell(f, 6, QStringLiteral("60"));
    f.sdk->push(QStringLiteral("SetDeviceInfo"), {true});
    f.sdk->push(QStringLiteral("SetDeviceInfo"), {false});
    f.sdk->push(QStringLiteral("GetLastErrorCode"), {true, {-12}});
    f.sdk->calls.clear();
    f.click(f.window->btnSaveDevInfo);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"SetDeviceInfo(0,1,3)", "SetDeviceInfo(0,4,30)", "GetLastErrorCode()"}));
    QCOMPARE(f.lines(), QStringList{"! SetDeviceInfo(4) ErrorNo.=-12"});
    QVERIFY(!f.window->rowChanged(1));
    QVERIFY(f.window->rowChanged(4));
    QVERIFY(f.window->rowChanged(6));
    // The next save starts again at the failed row.
    f.sdk->calls.clear();
    f.click(f.window->btnSaveDevInfo);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"SetDeviceInfo(0,4,30)", "SetDeviceInfo(0,6,60)"}));
    QCOMPARE(f.lines().last(), QStringLiteral("SetDeviceInfo OK"));
}

void DeviceInfoTest::saveStopsAtATextThatIsNoNumber_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("number row") << 4 << "abc" << "'abc' is not a valid integer value";
    QTest::newRow("time row") << 21 << "No" << "'No' is not a valid time (hour:minute)";
}

void DeviceInfoTest::saveStopsAtATextThatIsNoNumber()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QString, error);
    BenchWindowFixture f;
    load(f, {});
    f.window->Memo1->clear();
    setCell(f, 1, QStringLiteral("12"));
    setCell(f, row, text);
    setCell(f, 30, QStringLiteral("3"));
    f.sdk->calls.clear();
    f.click(f.window->btnSaveDevInfo);
    QCOMPARE(f.sdk->callTrace(), QStringList{"SetDeviceInfo(0,1,12)"});
    QCOMPARE(f.fakes.messages.errors(), QStringList{error});
    QVERIFY(f.lines().isEmpty());
    QVERIFY(!f.window->rowChanged(1));
    QVERIFY(f.window->rowChanged(row));
    QVERIFY(f.window->rowChanged(30));
}

void DeviceInfoTest::saveWithoutEditsOnlyReports()
{
    BenchWindowFixture f;
    load(f, {});
    f.sdk->calls.clear();
    f.window->Memo1->clear();
    f.click(f.window->btnSaveDevInfo);
    QVERIFY(f.sdk->calls.isEmpty());
    QCOMPARE(f.lines(), QStringList{"SetDeviceInfo OK"});
}

void DeviceInfoTest::editBeforeTheFirstLoadIsSaved()
{
    BenchWindowFixture f;
    setCell(f, 8, QStringLiteral("2"));
    f.click(f.window->btnSaveDevInfo);
    QCOMPARE(f.sdk->callTrace(), QStringList{"SetDeviceInfo(0,8,2)"});
    QCOMPARE(f.lines(), QStringList{"SetDeviceInfo OK"});
}

void DeviceInfoTest::deviceIdShowsInThePortFieldOnlyOnSerial_data()
{
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("portField");
    QTest::newRow("serial") << false << "7";
    QTest::newRow("TCP/IP") << true << "$1112";
}

void DeviceInfoTest::deviceIdShowsInThePortFieldOnlyOnSerial()
{
    QFETCH(bool, network);
    QFETCH(QString, portField);
    BenchWindowFixture f;
    if (network)
        f.click(f.window->sbtnTCPIP);
    load(f, {{2, 1}});
    setCell(f, 2, QStringLiteral("7"));
    f.click(f.window->btnSaveDevInfo);
    QCOMPARE(f.window->machineNumber(), 7);
    QCOMPARE(f.window->edtNetPort->text(), portField);
}

void DeviceInfoTest::setTimeReadsTheClockBack()
{
    BenchWindowFixture f;
    f.sdk->setDefault(QStringLiteral("GetDeviceTime"), {true, {2026, 12, 1, 9, 0, 7}});
    f.click(f.window->btnSetTime);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"SetDeviceTime(0)", "GetDeviceTime(0)"}));
    QCOMPARE(f.lines(), (QStringList{"SetDeviceTime OK.", "DeviceTime=2026-12-1 9:0:7"}));

    f.sdk->setDefault(QStringLiteral("GetDeviceTime"), {false});
    f.sdk->setDefault(QStringLiteral("GetLastErrorCode"), {true, {-5}});
    f.click(f.window->btnSetTime);
    QCOMPARE(f.lines().mid(2), (QStringList{"SetDeviceTime OK.", "! GetDeviceTime ErrorNo.=-5"}));
}

void DeviceInfoTest::failedSetTimeAddsOneLine()
{
    BenchWindowFixture f;
    f.failAlways(QStringLiteral("SetDeviceTime"), -3);
    f.click(f.window->btnSetTime);
    QCOMPARE(f.sdk->callTrace(), (QStringList{"SetDeviceTime(0)", "GetLastErrorCode()"}));
    QCOMPARE(f.lines(), QStringList{"! SetDeviceTime ErrorNo.=-3"});
}

void DeviceInfoTest::powerOffReportsNothing()
{
    BenchWindowFixture f;
    f.click(f.window->btnConnect);
    f.sdk->calls.clear();
    const int lines = f.lines().size();
    f.click(f.window->Button3);
    QCOMPARE(f.sdk->callTrace(), QStringList{"PowerOffDevice(1)"});
    QCOMPARE(f.lines().size(), lines);
    QCOMPARE(f.window->btnConnect->Tag, 1);
}

QTEST_MAIN(DeviceInfoTest)
#include "DeviceInfoTest.moc"
