#include "QvTables.h"
#include "WorkingTable.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using namespace QvTables;

namespace {
void addRecord(WorkingTable& t, int device, const QString& enroll, const QString& time)
{
    t.append();
    t.setFieldValue(kDeviceNo, device);
    t.setFieldValue(kEnrollNo, enroll);
    t.setFieldValue(kName, QString());
    t.setFieldValue(kTime, time);
    t.setFieldValue(kKind, QStringLiteral("上班"));
    t.post();
}

QStringList column(WorkingTable& t, const QString& field)
{
    t.flushPending();
    QStringList values;
    const int c = t.fieldIndex(field);
    for (int row = 0; row < t.rowCount(); ++row)
        values << t.index(row, c).data().toString();
    return values;
}
} // namespace

class WorkingTableTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sortOrders_data();
    void sortOrders();
    void cursorWalksInSortOrder();
    void appendCancelLeavesTableAsBefore();
    void editThatChangesTheKeyMovesTheRow();
    void integerColumnRefusesText();
    void missingIntegerIsAConversionError();
    void textIsCutAtCharacterBoundary_data();
    void textIsCutAtCharacterBoundary();
    void emptyTableRunsDeleteOnce();
    void modelStaysConsistentUnderScatteredPosts();
    void viewIsNotifiedInBatches();
    void appendPostedStoresWhatAppendAndPostStore_data();
    void appendPostedStoresWhatAppendAndPostStore();
    void manyRowsReadBackInOrder();
};

void WorkingTableTest::sortOrders_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<QStringList>>("rows"); // device, enroll, time
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("enroll numbers sort as text: 10 before 9")
        << "person"
        << QList<QStringList>{{"2", "9", ""}, {"1", "9", ""}, {"1", "10", ""}, {"2", "1", ""}}
        << kEnrollNo << QStringList{"10", "9", "1", "9"};
    QTest::newRow("a time with seconds comes before the same minute without")
        << "record"
        << QList<QStringList>{{"1", "7", "2024-05-03 08:05"}, {"2", "7", "2024-05-03 08:05:09"}, {"1", "8", "2024-05-02 23:59:59"}}
        << kTime << QStringList{"2024-05-03 08:05:09", "2024-05-03 08:05", "2024-05-02 23:59:59"};
    QTest::newRow("same time: device number ascending")
        << "record"
        << QList<QStringList>{{"3", "1", "2024-05-03 08:05:09"}, {"1", "2", "2024-05-03 08:05:09"}, {"2", "3", "2024-05-03 08:05:09"}}
        << kDeviceNo << QStringList{"1", "2", "3"};
}

void WorkingTableTest::sortOrders()
{
    QFETCH(QString, table);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, field);
    QFETCH(QStringList, expected);

    WorkingTable t(table);
    if (table == QLatin1String("person")) {
        rebuildPersonTable(t);
        for (const QStringList& r : rows) {
            t.append();
            t.setFieldValue(kDeviceNo, r.at(0));
            t.setFieldValue(kEnrollNo, r.at(1));
            t.post();
        }
    } else {
        rebuildRecordTable(t);
        for (const QStringList& r : rows)
            addRecord(t, r.at(0).toInt(), r.at(1), r.at(2));
    }
    QCOMPARE(column(t, field), expected);
}

void WorkingTableTest::cursorWalksInSortOrder()
{
    WorkingTable t(QStringLiteral("devices"));
    rebuildDeviceTable(t);
    QVERIFY(t.eof());
    for (int device : {3, 1, 2, 1}) {
        t.append();
        QvTables::setNewDeviceDefaults(t);
        t.setFieldValue(kDeviceNo, device);
        t.setFieldValue(kIpAddress, QString::number(device * 10 + t.recordCount()));
        t.post();
    }
    QStringList walked;
    for (t.first(); !t.eof(); t.next())
        walked << t.fieldText(kDeviceNo) + QLatin1Char('/') + t.fieldText(kIpAddress);
    // Equal keys keep the order in which they were posted.
    QCOMPARE(walked, (QStringList{"1/11", "1/13", "2/22", "3/30"}));
    QCOMPARE(t.fieldText(kDeviceNo), QStringLiteral("3")); // past the end, the last row stays current
}

void WorkingTableTest::appendCancelLeavesTableAsBefore()
{
    WorkingTable t(QStringLiteral("devices"));
    rebuildDeviceTable(t);
    t.append();
    setNewDeviceDefaults(t);
    t.post();
    t.first();
    QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);

    t.append();
    setNewDeviceDefaults(t);
    t.setFieldValue(kDeviceNo, 9);
    QCOMPARE(t.fieldText(kDeviceNo), QStringLiteral("9")); // the pending row is what the cursor reads
    t.cancel();
    t.flushPending();

    QCOMPARE(t.recordCount(), 1);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(t.state(), WorkingTable::State::Browse);
    QCOMPARE(t.fieldText(kDeviceNo), QStringLiteral("1"));
}

void WorkingTableTest::editThatChangesTheKeyMovesTheRow()
{
    WorkingTable t(QStringLiteral("devices"));
    QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
    rebuildDeviceTable(t);
    for (int device : {1, 2, 3}) {
        t.append();
        setNewDeviceDefaults(t);
        t.setFieldValue(kDeviceNo, device);
        t.post();
    }
    t.first();
    t.edit();
    t.setFieldValue(kDeviceNo, 5);
    t.post();
    QCOMPARE(column(t, kDeviceNo), (QStringList{"2", "3", "5"}));
    QCOMPARE(t.currentRow(), 2);
    QCOMPARE(t.fieldText(kDeviceNo), QStringLiteral("5"));
}

void WorkingTableTest::integerColumnRefusesText()
{
    WorkingTable t(QStringLiteral("devices"));
    rebuildDeviceTable(t);
    t.append();
    setNewDeviceDefaults(t);
    try {
        t.setFieldValue(kBaudRate, QStringLiteral("96OO"));
        QFAIL("letters were taken by an integer column");
    } catch (const WorkingTable::Error& error) {
        QVERIFY(QString::fromUtf8(error.what()).contains(QStringLiteral("96OO")));
        QVERIFY(QString::fromUtf8(error.what()).contains(kBaudRate));
    }
    QCOMPARE(t.fieldInteger(kBaudRate), 19200); // the previous value stays
    QCOMPARE(t.state(), WorkingTable::State::Insert);
}

void WorkingTableTest::missingIntegerIsAConversionError()
{
    WorkingTable t(QStringLiteral("devices"));
    rebuildDeviceTable(t);
    t.append();
    t.setFieldValue(kCommMode, kSerialMode);
    t.post();
    t.first();
    QVERIFY(t.fieldIsNull(kSerialPort));
    QVERIFY_THROWS_EXCEPTION(WorkingTable::Error, t.fieldInteger(kSerialPort));
    QCOMPARE(t.fieldText(kCommPassword), QString()); // a missing text reads as empty
}

void WorkingTableTest::textIsCutAtCharacterBoundary_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString chinese30 = QString(30, QChar(0x4E2D)); // 中 x 30: 60 bytes
    QTest::newRow("25 Chinese characters fit exactly") << chinese30.left(25) << chinese30.left(25);
    QTest::newRow("30 Chinese characters keep 25") << chinese30 << chinese30.left(25);
    QTest::newRow("a half character is never kept") << (QStringLiteral("a") + chinese30) << (QStringLiteral("a") + chinese30.left(24));
    QTest::newRow("ASCII keeps 50") << QString(60, QLatin1Char('x')) << QString(50, QLatin1Char('x'));
    QTest::newRow("mixed under the limit") << QStringLiteral("张三abc") << QStringLiteral("张三abc");
}

void WorkingTableTest::textIsCutAtCharacterBoundary()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    WorkingTable t(QStringLiteral("persons"));
    rebuildPersonTable(t);
    t.append();
    t.setFieldValue(kName, text);
    t.post();
    t.first();
    QCOMPARE(t.fieldText(kName), expected);
}

void WorkingTableTest::emptyTableRunsDeleteOnce()
{
    WorkingTable t(QStringLiteral("records"));
    rebuildRecordTable(t);
    for (int i = 0; i < 100; ++i)
        addRecord(t, 1, QString::number(i), QStringLiteral("2024-01-01 08:00"));
    QSignalSpy deleted(&t, &WorkingTable::afterDelete);
    t.emptyTable();
    QVERIFY(t.isEmpty());
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(deleted.count(), 1);
    t.emptyTable(); // already empty: nothing runs
    QCOMPARE(deleted.count(), 1);
}

void WorkingTableTest::modelStaysConsistentUnderScatteredPosts()
{
    WorkingTable t(QStringLiteral("records"));
    QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
    rebuildRecordTable(t);
    QTableView view;
    view.setModel(&t);
    view.selectRow(0);
    // Two terminals' logs interleave in the newest-first order, so a batch lands in many places.
    for (int batch = 0; batch < 5; ++batch) {
        for (int i = 0; i < 40; ++i)
            addRecord(t, 1 + i % 2, QString::number(i), QStringLiteral("2024-01-%1 08:%2").arg(1 + i % 28, 2, 10, QLatin1Char('0')).arg(batch * 10 + i % 7, 2, 10, QLatin1Char('0')));
        t.flushPending();
    }
    const QStringList times = column(t, kTime);
    QCOMPARE(times.size(), 200);
    QStringList sorted = times;
    std::sort(sorted.begin(), sorted.end(), std::greater<QString>());
    QCOMPARE(times, sorted);
    // Deleting the current row keeps the cursor on the row that followed it.
    t.first();
    t.next();
    const QString third = t.index(2, t.fieldIndex(kTime)).data().toString();
    t.deleteCurrent();
    QCOMPARE(t.fieldText(kTime), third);
}

void WorkingTableTest::viewIsNotifiedInBatches()
{
    WorkingTable t(QStringLiteral("records"));
    rebuildRecordTable(t);
    QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 1000; ++i)
        addRecord(t, 1, QString::number(i), QStringLiteral("2024-01-01 08:00:%1").arg(i % 60, 2, 10, QLatin1Char('0')));
    QCOMPARE(t.recordCount(), 1000);
    QCOMPARE(inserted.count(), 0); // nothing announced row by row
    QTRY_COMPARE(t.rowCount(), 1000); // the next tick announces them
    QVERIFY(inserted.count() <= 2);
}

namespace {
using Cells = QList<QVariant>; // null, int, bool or QString, one per column of the person table

// Every value of the table's only row, as the table reads it back (missing values marked).
QStringList onlyRow(WorkingTable& t)
{
    QStringList values;
    t.first();
    for (const auto& field : t.fields())
        values << (t.fieldIsNull(field.name) ? QStringLiteral("<null>") : t.fieldText(field.name));
    return values;
}

WorkingTable::Cell cellOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::Int)
        return value.toInt();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return {};
}
} // namespace

void WorkingTableTest::appendPostedStoresWhatAppendAndPostStore_data()
{
    QTest::addColumn<Cells>("cells");
    const QString longName = QStringLiteral("张").repeated(30) + QStringLiteral("abc");
    QTest::newRow("as they are") << Cells{7, QStringLiteral("A7"), QStringLiteral("王五"), QString(), 3, true};
    QTest::newRow("missing values, empty texts") << Cells{QVariant(), QStringLiteral(""), QVariant(), QStringLiteral(""), QVariant(), false};
    QTest::newRow("text cut to 50 bytes of GBK") << Cells{1, QStringLiteral("1"), longName, QStringLiteral("\u00e9x"), 0, false};
    QTest::newRow("number text into an integer column") << Cells{QStringLiteral(" 12 "), 5, QStringLiteral("𠀀x"), QString(), QStringLiteral("4"), true};
    QTest::newRow("text that is no number") << Cells{QStringLiteral("x1"), QStringLiteral("1"), QString(), QString(), 0, false};
}

void WorkingTableTest::appendPostedStoresWhatAppendAndPostStore()
{
    QFETCH(Cells, cells);
    WorkingTable ordinary(QStringLiteral("ordinary")), direct(QStringLiteral("direct"));
    rebuildPersonTable(ordinary);
    rebuildPersonTable(direct);
    QString ordinaryError, directError;
    try {
        ordinary.append();
        for (int i = 0; i < cells.size(); ++i)
            ordinary.setFieldValue(ordinary.fields().at(i).name, cells.at(i));
        ordinary.post();
    } catch (const WorkingTable::Error& error) {
        ordinaryError = QString::fromUtf8(error.what());
        ordinary.cancel();
    }
    QSignalSpy posted(&direct, &WorkingTable::afterPost);
    try {
        direct.appendPosted({cellOf(cells.at(0)), cellOf(cells.at(1)), cellOf(cells.at(2)), cellOf(cells.at(3)),
                             cellOf(cells.at(4)), cellOf(cells.at(5))});
    } catch (const WorkingTable::Error& error) {
        directError = QString::fromUtf8(error.what());
    }
    QCOMPARE(directError, ordinaryError);
    QCOMPARE(direct.recordCount(), ordinary.recordCount());
    QCOMPARE(direct.state(), WorkingTable::State::Browse);
    QCOMPARE(posted.size(), direct.recordCount());
    if (direct.recordCount() == 1)
        QCOMPARE(onlyRow(direct), onlyRow(ordinary));
}

void WorkingTableTest::manyRowsReadBackInOrder()
{
    // Enough rows and text to fill several blocks of every kind of storage.
    constexpr int kRows = 40000;
    WorkingTable t(QStringLiteral("records"));
    rebuildRecordTable(t);
    for (int i = 0; i < kRows; ++i) {
        const QString time = QStringLiteral("2024-01-01 %1").arg(i, 8, 10, QLatin1Char('0'));
        const QString enroll = QStringLiteral("用户%1").arg(i % 7000);
        t.appendPosted({i % 3 ? WorkingTable::Cell(i) : WorkingTable::Cell(), enroll, QString(), time,
                        QStringView(i % 2 ? u"上班" : u"")});
    }
    t.flushPending();
    QCOMPARE(t.rowCount(), kRows);
    for (int row : {0, 1, 16383, 16384, 20000, kRows - 1}) {
        const int i = kRows - 1 - row; // newest first
        QCOMPARE(t.index(row, t.fieldIndex(kTime)).data().toString(), QStringLiteral("2024-01-01 %1").arg(i, 8, 10, QLatin1Char('0')));
        QCOMPARE(t.index(row, t.fieldIndex(kEnrollNo)).data().toString(), QStringLiteral("用户%1").arg(i % 7000));
        QCOMPARE(t.index(row, t.fieldIndex(kDeviceNo)).data(), i % 3 ? QVariant(i) : QVariant());
        QCOMPARE(t.index(row, t.fieldIndex(kKind)).data().toString(), i % 2 ? QStringLiteral("上班") : QString());
        QVERIFY(!t.index(row, t.fieldIndex(kName)).data().isNull());
    }
}

QTEST_MAIN(WorkingTableTest)
#include "WorkingTableTest.moc"
