// The grids' CSV export and the terminal-list import and export, through the
// main window's context-menu actions.
#include "BandHeaderView.h"
#include "DataGrid.h"
#include "MainWindowFixture.h"
#include "TableRows.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace QvTables;

namespace {
QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray csvBytes(const QString& text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void trigger(QWidget* grid, const char* action)
{
    QAction* a = grid->findChild<QAction*>(QLatin1String(action));
    QVERIFY2(a, action);
    a->trigger();
}

void addRecord(WorkingTable& records, int deviceNo, const QString& enrollNo, const QString& time, const QString& kind)
{
    records.append();
    records.setFieldValue(kDeviceNo, deviceNo);
    records.setFieldValue(kEnrollNo, enrollNo);
    records.setFieldValue(kName, QStringLiteral(""));
    records.setFieldValue(kTime, time);
    records.setFieldValue(kKind, kind);
    records.post();
}

// Header, three good terminals (one quoted, one with "tcp/ip" in lower case)
// and three rows the editor would refuse.
const QByteArray kTerminalList = csvBytes(QStringLiteral(
    "设备号,设备类型,通讯方式,串口号,波特率,IP地址,端口号,通讯密码\r\n"
    "3,黑白屏,串口(232/485),2,115200,,4370,\r\n"
    "5,彩色屏,TCP/IP,1,19200,127.0.0.1,4371,123\r\n"
    "4,黑白,TCP/IP,1,19200,127.0.0.1,4370,\r\n"
    "\r\n"
    "\"7\",面部识别,tcp/ip,,,\"127.0.0.1\",4372,\r\n"
    "8,彩色屏,TCP/IP,1,19200,,4370,\r\n"
    "9,彩色屏,串口(232/485),COM1,19200,,4370,\r\n"));
} // namespace

class FileTransferTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordGridExportFollowsColumnOrderAndSort();
    void deviceGridExportJoinsTwoRowTitles();
    void exportToAnUnwritableFileNamesIt();
    void importAddsGoodRowsAndListsRejectedOnes();
    void exportedTerminalListImportsToTheSameTerminals();
    void importOfAFileThatIsNoTerminalList();

private:
    QTemporaryDir m_dir;
};

void FileTransferTest::recordGridExportFollowsColumnOrderAndSort()
{
    MainWindowFixture f;
    addRecord(f.records(), 1, QStringLiteral("7"), QStringLiteral("2024-05-03 08:05"), QStringLiteral("上班"));
    addRecord(f.records(), 2, QStringLiteral("A,8"), QStringLiteral("2024-05-03 17:30:09"), QStringLiteral("下班"));
    addRecord(f.records(), 1, QStringLiteral("9"), QStringLiteral("2024-05-02 23:00"), QStringLiteral(""));
    // The user dragged 类型 to the front.
    QHeaderView* header = f.window->DBGridEh_QV->horizontalHeader();
    header->moveSection(header->visualIndex(f.records().fieldIndex(kKind)), 0);

    const QString path = m_dir.filePath(QStringLiteral("记录.csv"));
    f.fakes.files.answers << path;
    trigger(f.window->DBGridEh_QV, "ExportCsv");
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QVERIFY(f.fakes.files.shown.first().offered.endsWith(QStringLiteral("/考勤数据.csv")));
    QCOMPARE(f.fakes.files.shown.first().defaultSuffix, QStringLiteral("csv"));
    QCOMPARE(fileBytes(path), csvBytes(QStringLiteral("类型,设备号,登记号,姓名,时间\r\n"
                                                      "下班,2,\"A,8\",,2024-05-03 17:30:09\r\n"
                                                      "上班,1,7,,2024-05-03 08:05\r\n"
                                                      ",1,9,,2024-05-02 23:00\r\n")));
}

void FileTransferTest::deviceGridExportJoinsTwoRowTitles()
{
    MainWindowFixture f;
    f.addDevice({{kDeviceNo, 2}, {kCommPassword, QStringLiteral("88")}});
    const QString path = m_dir.filePath(QStringLiteral("grid.csv"));
    f.fakes.files.answers << path;
    f.window->DBGridEh_QVJ->setFocus();
    trigger(f.window->DBGridEh_QVJ, "ExportCsv");
    QCOMPARE(fileBytes(path),
             csvBytes(QStringLiteral("设备号,设备类型,通讯方式,串口通讯方式 串口号,串口通讯方式 波特率,"
                                     "TCP/IP通讯方式 IP地址,TCP/IP通讯方式 端口号,通讯密码,连接状态\r\n"
                                     "2,彩色屏,串口(232/485),1,19200,,4370,88,\r\n")));
    // A cancelled file dialog writes nothing and says nothing.
    trigger(f.window->DBGridEh_QVJ, "ExportCsv");
    QVERIFY(f.fakes.messages.shown.isEmpty());
}

void FileTransferTest::exportToAnUnwritableFileNamesIt()
{
    MainWindowFixture f;
    addRecord(f.records(), 1, QStringLiteral("7"), QStringLiteral("2024-05-03 08:05"), QStringLiteral("上班"));
    const QString inFolderThatIsAFile = m_dir.filePath(QStringLiteral("plain-file/x.csv"));
    writeFile(m_dir.filePath(QStringLiteral("plain-file")), "x");
    f.fakes.files.answers << inFolderThatIsAFile;
    trigger(f.window->DBGridEh_QV, "ExportCsv");
    QCOMPARE(f.fakes.messages.errors().size(), 1);
    QVERIFY2(f.fakes.messages.errors().first().contains(inFolderThatIsAFile), qPrintable(f.fakes.messages.errors().first()));
}

void FileTransferTest::importAddsGoodRowsAndListsRejectedOnes()
{
    MainWindowFixture f;
    const QString path = m_dir.filePath(QStringLiteral("终端.csv"));
    writeFile(path, kTerminalList);
    f.fakes.files.answers << path;
    trigger(f.window->DBGridEh_QVJ, "ImportDeviceList");

    QCOMPARE(tableRows(f.devices()), (QStringList{"3/黑白屏/串口(232/485)/2/115200//4370//",
                                                  "5/彩色屏/TCP/IP/1/19200/127.0.0.1/4371/123/",
                                                  "7/面部识别/tcp/ip///127.0.0.1/4372//"}));
    QCOMPARE(f.fakes.messages.errors(),
             QStringList{QStringLiteral("从“%1”添加了3台考勤机，以下3行未添加：\n"
                                        "第4行：【设备类型】的值只能为“黑白屏”或“彩色屏”或“面部识别”\n"
                                        "第7行：【IP地址】不能为空\n"
                                        "第8行：“COM1”不是有效的整数值（字段【串口号】）")
                             .arg(path)});
    QCOMPARE(f.ruledButtons(), (QList<bool>{true, true, true, true, true}));
}

void FileTransferTest::exportedTerminalListImportsToTheSameTerminals()
{
    const QString source = m_dir.filePath(QStringLiteral("source.csv"));
    const QString exported = m_dir.filePath(QStringLiteral("exported.csv"));
    writeFile(source, kTerminalList);
    QStringList rows;
    {
        MainWindowFixture f;
        f.fakes.files.answers << source << exported;
        trigger(f.window->DBGridEh_QVJ, "ImportDeviceList");
        f.devices().first();
        f.devices().edit();
        f.devices().setFieldValue(kLinkState, kLinkOk); // not part of the list
        f.devices().post();
        trigger(f.window->DBGridEh_QVJ, "ExportDeviceList");
        rows = tableRows(f.devices());
    }
    QCOMPARE(fileBytes(exported), csvBytes(QStringLiteral("设备号,设备类型,通讯方式,串口号,波特率,IP地址,端口号,通讯密码\r\n"
                                                          "3,黑白屏,串口(232/485),2,115200,,4370,\r\n"
                                                          "5,彩色屏,TCP/IP,1,19200,127.0.0.1,4371,123\r\n"
                                                          "7,面部识别,tcp/ip,,,127.0.0.1,4372,\r\n")));
    MainWindowFixture again; // a new start: empty list, then the file
    QVERIFY(again.devices().isEmpty());
    again.fakes.files.answers << exported;
    trigger(again.window->DBGridEh_QVJ, "ImportDeviceList");
    rows.first().chop(QStringLiteral("成功").size());
    QCOMPARE(tableRows(again.devices()), rows);
    QCOMPARE(again.fakes.messages.texts(),
             QStringList{QStringLiteral("从“%1”添加了3台考勤机").arg(exported)});
}

void FileTransferTest::importOfAFileThatIsNoTerminalList()
{
    MainWindowFixture f;
    const QString path = m_dir.filePath(QStringLiteral("records.csv"));
    writeFile(path, csvBytes(QStringLiteral("登记号,时间\r\n7,2024-05-03 08:05\r\n")));
    f.fakes.files.answers << path << m_dir.filePath(QStringLiteral("missing.csv"));
    trigger(f.window->DBGridEh_QVJ, "ImportDeviceList");
    trigger(f.window->DBGridEh_QVJ, "ImportDeviceList");
    QVERIFY(f.devices().isEmpty());
    QCOMPARE(f.fakes.messages.errors().size(), 2);
    QVERIFY(f.fakes.messages.errors().at(0).contains(path));
    QVERIFY(f.fakes.messages.errors().at(1).contains(QStringLiteral("missing.csv")));
}

QTEST_MAIN(FileTransferTest)
#include "FileTransferTest.moc"
