// termctl collect against the terminal emulator: a black-and-white terminal on
// a serial line and a colour terminal on TCP that answer, one that is given
// the wrong key, one that never answers, and one that drops mid-transfer;
// compared with QV's own collection of the same range, and written into
// SQLite and a private PostgreSQL server.
#include "FakeUiServices.h"
#include "ModalDialogDriver.h"
#include "PostgresServer.h"
#include "TTermSdk.h"
#include "TermSimProcess.h"
#include "TfrmMain.h"
#include "TfrmhvDateArea.h"
#include "THVDateEdit.h"
#include "DataGrid.h"
#include "WorkingTable.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run {
    int exitCode = -1;
    QString errors; // stderr: one summary line per terminal
};

Run termctl(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(TERMCTL_EXECUTABLE), QStringList{QStringLiteral("collect")} + arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The summary line of a terminal (by 设备号).
QString summary(const Run& run, int deviceNo)
{
    const QRegularExpression re(QStringLiteral("^termctl collect: terminal %1 \\(.*$").arg(deviceNo),
                                QRegularExpression::MultilineOption);
    return re.match(run.errors).captured(0);
}

// "N records, M new" of a terminal's summary line; -1 when the line says otherwise.
int newRows(const Run& run, int deviceNo)
{
    const auto match = QRegularExpression(QStringLiteral("(\\d+) records, (\\d+) new$")).match(summary(run, deviceNo));
    return match.hasMatch() ? match.captured(2).toInt() : -1;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Data rows of a collector CSV file (without the header).
QStringList csvRows(const QString& path)
{
    QStringList lines = QString::fromUtf8(fileBytes(path)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (!lines.isEmpty())
        lines.removeFirst();
    return lines;
}

// Distinct records (登记号, 时间) of a terminal in the range, from the collector's
// CSV: a black-and-white terminal may log one user twice in a minute.
QSet<QString> keysOf(const QStringList& rows, int deviceNo, const QString& from, const QString& to)
{
    QSet<QString> kept;
    for (const QString& row : rows) {
        const QStringList f = row.split(QLatin1Char(','));
        if (f.at(0).toInt() == deviceNo && f.at(3).left(10) >= from && f.at(3).left(10) <= to)
            kept << f.at(1) + QLatin1Char(',') + f.at(3);
    }
    return kept;
}
} // namespace

class CollectTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void csvIsQvsOwnCollection();
    void overlappingRangeAddsOnlyNewRows_data();
    void overlappingRangeAddsOnlyNewRows();
    void terminalDroppingMidTransferLeavesNoRows();
    void unusableListOrDatabaseStopsBeforeCollecting();

private:
    QString writeList(const QString& name, const QStringList& rows);
    QStringList databaseRows(const QString& url, const QString& where = {});

    QTemporaryDir m_dir;
    TermSimProcess m_termsim;
    QTcpServer m_silent; // takes connections, never answers
    QString m_list;      // the terminal list of the four terminals
    QString m_fullCsv;   // the collector's CSV of the whole range
    PostgresServer m_postgres;
};

QString CollectTest::writeList(const QString& name, const QStringList& rows)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray("\xEF\xBB\xBF") +
                   (QStringLiteral("设备号,设备类型,通讯方式,串口号,波特率,IP地址,端口号,通讯密码\r\n") +
                    rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
                       .toUtf8());
    return path;
}

void CollectTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString com1 = m_dir.filePath(QStringLiteral("com1"));
    qputenv("TERMSDK_COM1", com1.toLocal8Bit());
    qputenv("TERMSDK_CONNECT_TIMEOUT_MS", "1500");
    qputenv("TERMSDK_REPLY_TIMEOUT_MS", "1500");
    QVERIFY2(m_termsim.start({QStringLiteral("--terminal"),
                              QStringLiteral("machine=1,kind=bw,serial=%1,baud=0,users=12,logs=3000,days=30,seed=21,end=2024-05-31")
                                  .arg(com1),
                              QStringLiteral("--terminal"),
                              QStringLiteral("machine=2,kind=color,tcp=0,users=25,logs=4000,days=30,seed=22,end=2024-05-31"),
                              QStringLiteral("--terminal"),
                              QStringLiteral("machine=3,kind=face,tcp=0,key=123,users=5,logs=500,days=30,seed=23,end=2024-05-31")}),
             qPrintable(m_termsim.errors()));
    QVERIFY(m_silent.listen(QHostAddress::LocalHost));
    m_list = writeList(QStringLiteral("terminals.csv"),
                       {QStringLiteral("1,黑白屏,串口(232/485),1,19200,,4370,"),
                        QStringLiteral("7,彩色屏,TCP/IP,,,127.0.0.1,%1,").arg(m_termsim.tcpPort(2)),
                        QStringLiteral("8,面部识别,TCP/IP,,,127.0.0.1,%1,456").arg(m_termsim.tcpPort(3)),
                        QStringLiteral("9,彩色屏,TCP/IP,,,127.0.0.1,%1,").arg(m_silent.serverPort())});
}

void CollectTest::csvIsQvsOwnCollection()
{
    m_fullCsv = m_dir.filePath(QStringLiteral("collected.csv"));
    const Run run = termctl({QStringLiteral("--terminals"), m_list, QStringLiteral("--from"), QStringLiteral("2024-05-10"),
                             QStringLiteral("--to"), QStringLiteral("2024-05-20"), QStringLiteral("--jobs"),
                             QStringLiteral("3"), QStringLiteral("--out"), m_fullCsv});
    QCOMPARE(run.exitCode, 2); // two terminals failed
    QVERIFY2(summary(run, 1).contains(QRegularExpression(QStringLiteral("\\(COM1:1, line 2\\): \\d+ records$"))), qPrintable(run.errors));
    QVERIFY2(summary(run, 7).contains(QRegularExpression(QStringLiteral(": \\d+ records$"))), qPrintable(run.errors));
    QVERIFY2(summary(run, 8).contains(QStringLiteral("FAILED: connect failed")), qPrintable(run.errors));
    QVERIFY2(summary(run, 9).contains(QStringLiteral("FAILED: connect failed")), qPrintable(run.errors));
    QVERIFY(!keysOf(csvRows(m_fullCsv), 1, QStringLiteral("2024-05-10"), QStringLiteral("2024-05-20")).isEmpty());

    // QV, started afresh, imports the same list, collects the same range and exports its grid.
    FakeUiServices fakes;
    TfrmMain window(fakes.services(), [] { return std::make_unique<TTermSdk>(); });
    window.show();
    const QString qvCsv = m_dir.filePath(QStringLiteral("qv.csv"));
    fakes.files.answers << m_list << qvCsv;
    window.DBGridEh_QVJ->findChild<QAction*>(QStringLiteral("ImportDeviceList"))->trigger();
    QCOMPARE(window.Ado_DataSet_QVJ->recordCount(), 4);
    fakes.messages.shown.clear();
    ModalDialogDriver prompt([](QWidget* w) {
        auto* dialog = qobject_cast<TfrmhvDateArea*>(w);
        QVERIFY(dialog);
        dialog->D1->setText(QStringLiteral("2024-05-10"));
        dialog->D2->setText(QStringLiteral("2024-05-20"));
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    });
    QTest::mouseClick(window.BT_QV_NewData, Qt::LeftButton);
    QVERIFY(prompt.hasRun());
    QCOMPARE(fakes.messages.errors(), (QStringList{QStringLiteral("连接设备(设备号：8)失败"),
                                                   QStringLiteral("连接设备(设备号：9)失败")}));
    window.DBGridEh_QV->findChild<QAction*>(QStringLiteral("ExportCsv"))->trigger();
    QCOMPARE(fileBytes(m_fullCsv), fileBytes(qvCsv));
}

void CollectTest::overlappingRangeAddsOnlyNewRows_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

void CollectTest::overlappingRangeAddsOnlyNewRows()
{
    QFETCH(QString, kind);
    QVERIFY2(!m_fullCsv.isEmpty(), "needs the collection of the whole range");
    QString url = m_dir.filePath(QStringLiteral("records.sqlite"));
    if (kind == QLatin1String("postgresql")) {
        QString error;
        QVERIFY2(m_postgres.start(error), qPrintable(error));
        url = m_postgres.url();
    }
    const QStringList answering = {QStringLiteral("1,黑白屏,串口(232/485),1,19200,,4370,"),
                                   QStringLiteral("7,彩色屏,TCP/IP,,,127.0.0.1,%1,").arg(m_termsim.tcpPort(2))};
    const QString list = writeList(QStringLiteral("answering.csv"), answering);
    auto collect = [&](const QString& from, const QString& to) {
        return termctl({QStringLiteral("--terminals"), list, QStringLiteral("--from"), from, QStringLiteral("--to"), to,
                        QStringLiteral("--db"), url});
    };
    const QStringList all = csvRows(m_fullCsv);
    const Run first = collect(QStringLiteral("2024-05-10"), QStringLiteral("2024-05-15"));
    QCOMPARE(first.exitCode, 0);
    for (int device : {1, 7})
        QCOMPARE(newRows(first, device), keysOf(all, device, QStringLiteral("2024-05-10"), QStringLiteral("2024-05-15")).size());
    const Run second = collect(QStringLiteral("2024-05-13"), QStringLiteral("2024-05-20"));
    QCOMPARE(second.exitCode, 0);
    for (int device : {1, 7})
        QCOMPARE(newRows(second, device), keysOf(all, device, QStringLiteral("2024-05-16"), QStringLiteral("2024-05-20")).size());

    // The database holds each record of the whole range once, under its terminal's address.
    QStringList expected;
    for (int device : {1, 7})
        for (const QString& key : keysOf(all, device, QStringLiteral("2024-05-10"), QStringLiteral("2024-05-20")))
            expected << (device == 1 ? QStringLiteral("COM1:1,") : QStringLiteral("127.0.0.1:%1,").arg(m_termsim.tcpPort(2))) + key;
    expected.sort();
    QCOMPARE(databaseRows(url), expected);
}

QStringList CollectTest::databaseRows(const QString& url, const QString& where)
{
    QStringList rows;
    {
        QSqlDatabase db;
        if (url.startsWith(QLatin1String("postgresql:"))) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("check"));
            db.setHostName(m_postgres.socketDirectory());
            db.setUserName(m_postgres.user());
            db.setDatabaseName(QStringLiteral("postgres"));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(url);
        }
        if (db.open()) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT \"设备地址\", \"登记号\", \"时间\" FROM \"考勤记录\" ") + where);
            while (query.next()) {
                QStringList fields;
                for (int i = 0; i < 3; ++i)
                    fields << query.value(i).toString();
                rows << fields.join(QLatin1Char(','));
            }
        } else {
            rows << db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    rows.sort();
    return rows;
}

void CollectTest::terminalDroppingMidTransferLeavesNoRows()
{
    TermSimProcess dropping;
    QVERIFY2(dropping.start({QStringLiteral("--drop-after"), QStringLiteral("300"), QStringLiteral("--terminal"),
                             QStringLiteral("machine=1,kind=color,tcp=0,users=10,logs=2000,days=30,seed=24,end=2024-05-31")}),
             qPrintable(dropping.errors()));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(dropping.tcpPort(1));
    const QString list = writeList(QStringLiteral("dropping.csv"),
                                   {QStringLiteral("5,彩色屏,TCP/IP,,,127.0.0.1,%1,").arg(dropping.tcpPort(1)),
                                    QStringLiteral("7,彩色屏,TCP/IP,,,127.0.0.1,%1,").arg(m_termsim.tcpPort(2))});
    const QString url = m_dir.filePath(QStringLiteral("dropping.sqlite"));
    const Run run = termctl({QStringLiteral("--terminals"), list, QStringLiteral("--from"), QStringLiteral("2024-05-01"),
                             QStringLiteral("--to"), QStringLiteral("2024-05-31"), QStringLiteral("--db"), url});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(summary(run, 5).contains(QStringLiteral("FAILED: LoadAllLogs failed")), qPrintable(run.errors));
    QVERIFY(newRows(run, 7) > 0);
    QCOMPARE(databaseRows(url, QStringLiteral("WHERE \"设备地址\" = '%1'").arg(address)), QStringList{});
    QCOMPARE(databaseRows(url).size(), newRows(run, 7));
}

void CollectTest::unusableListOrDatabaseStopsBeforeCollecting()
{
    const QString notAList = writeList(QStringLiteral("bad.csv"), {QStringLiteral("1,黑白,串口(232/485),1,19200,,4370,")});
    const QString out = m_dir.filePath(QStringLiteral("never.csv"));
    const QStringList range = {QStringLiteral("--from"), QStringLiteral("2024-05-10"), QStringLiteral("--to"),
                               QStringLiteral("2024-05-20")};
    // A refused row is named with its line; the others are still collected.
    Run run = termctl(QStringList{QStringLiteral("--terminals"), notAList, QStringLiteral("--out"), out} + range);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.errors.contains(QStringLiteral("bad.csv line 2 skipped: 【设备类型】的值只能为")), qPrintable(run.errors));
    // A database that cannot be opened: nothing is collected.
    run = termctl(QStringList{QStringLiteral("--terminals"), m_list, QStringLiteral("--db"),
                              m_dir.filePath(QStringLiteral("no-such-folder/x.sqlite"))} + range);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(QStringLiteral("no-such-folder/x.sqlite")), qPrintable(run.errors));
    QVERIFY(summary(run, 1).isEmpty());
    run = termctl(QStringList{QStringLiteral("--terminals"), m_dir.filePath(QStringLiteral("missing.csv"))} + range);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(QStringLiteral("missing.csv")), qPrintable(run.errors));
}

QTEST_MAIN(CollectTest)
#include "CollectTest.moc"
