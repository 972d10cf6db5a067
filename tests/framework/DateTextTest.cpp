#include "DateText.h"

#include <QTest>

using namespace Qt::StringLiterals;

class DateTextTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parseDate_data();
    void parseDate();
    void parseDateTime_data();
    void parseDateTime();
    void formatDateTime_data();
    void formatDateTime();
};

void DateTextTest::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: not a date

    QTest::newRow("record date without leading zeros") << u"2024-5-3"_s << QDate(2024, 5, 3);
    QTest::newRow("prompt date with leading zeros") << u"2024-05-03"_s << QDate(2024, 5, 3);
    QTest::newRow("mixed") << u"2024-12-3"_s << QDate(2024, 12, 3);
    QTest::newRow("leap day") << u"2028-2-29"_s << QDate(2028, 2, 29);
    QTest::newRow("end of year") << u"2026-12-31"_s << QDate(2026, 12, 31);
    QTest::newRow("no leap day") << u"2023-02-29"_s << QDate();
    QTest::newRow("month 13") << u"2024-13-01"_s << QDate();
    QTest::newRow("month 0") << u"2024-0-01"_s << QDate();
    QTest::newRow("day 0") << u"2024-01-00"_s << QDate();
    QTest::newRow("day 32") << u"2024-01-32"_s << QDate();
    QTest::newRow("year 0") << u"0000-01-01"_s << QDate();
    QTest::newRow("empty") << QString() << QDate();
    QTest::newRow("garbage") << u"abc"_s << QDate();
    QTest::newRow("slashes") << u"2024/05/03"_s << QDate();
    QTest::newRow("two-digit year") << u"24-05-03"_s << QDate();
    QTest::newRow("five-digit year") << u"20240-05-03"_s << QDate();
    QTest::newRow("three-digit day") << u"2024-05-003"_s << QDate();
    QTest::newRow("missing day") << u"2024-05"_s << QDate();
    QTest::newRow("missing day after dash") << u"2024-05-"_s << QDate();
    QTest::newRow("extra part") << u"2024-05-03-01"_s << QDate();
    QTest::newRow("time behind") << u"2024-05-03 08:05"_s << QDate();
    QTest::newRow("leading space") << u" 2024-05-03"_s << QDate();
    QTest::newRow("sign") << u"2024-+5-03"_s << QDate();
    QTest::newRow("full-width digits") << u"２０２４-05-03"_s << QDate();
}

void DateTextTest::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);

    const std::optional<QDate> read = parseDateText(text);
    QCOMPARE(read.has_value(), date.isValid());
    if (read)
        QCOMPARE(*read, date);
}

void DateTextTest::parseDateTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("moment"); // invalid: not a moment

    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    };
    QTest::newRow("minutes, no leading zeros") << u"2024-5-3 8:5"_s << at(2024, 5, 3, 8, 5, 0);
    QTest::newRow("seconds, no leading zeros") << u"2024-5-3 8:5:9"_s << at(2024, 5, 3, 8, 5, 9);
    QTest::newRow("seconds, leading zeros") << u"2024-05-03 08:05:09"_s << at(2024, 5, 3, 8, 5, 9);
    QTest::newRow("last second of a day") << u"2024-12-31 23:59:59"_s << at(2024, 12, 31, 23, 59, 59);
    QTest::newRow("midnight") << u"2024-1-1 0:0"_s << at(2024, 1, 1, 0, 0, 0);
    QTest::newRow("hour 24") << u"2024-5-3 24:00"_s << QDateTime();
    QTest::newRow("minute 60") << u"2024-5-3 8:60"_s << QDateTime();
    QTest::newRow("second 60") << u"2024-5-3 8:5:60"_s << QDateTime();
    QTest::newRow("invalid date") << u"2023-2-29 8:05"_s << QDateTime();
    QTest::newRow("date only") << u"2024-5-3"_s << QDateTime();
    QTest::newRow("hour only") << u"2024-5-3 8"_s << QDateTime();
    QTest::newRow("two spaces") << u"2024-5-3  8:05"_s << QDateTime();
    QTest::newRow("T separator") << u"2024-5-3T8:05"_s << QDateTime();
    QTest::newRow("missing seconds after colon") << u"2024-5-3 8:05:"_s << QDateTime();
    QTest::newRow("trailing text") << u"2024-5-3 8:05:09x"_s << QDateTime();
    QTest::newRow("three-digit minute") << u"2024-5-3 8:005"_s << QDateTime();
    QTest::newRow("empty") << QString() << QDateTime();
}

void DateTextTest::parseDateTime()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, moment);

    const std::optional<QDateTime> read = parseDateTimeText(text);
    QCOMPARE(read.has_value(), moment.isValid());
    if (read) {
        QCOMPARE(read->date(), moment.date());
        QCOMPARE(read->time(), moment.time());
    }
}

void DateTextTest::formatDateTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withSeconds");
    QTest::addColumn<QString>("written");

    QTest::newRow("black-and-white record") << u"2024-5-3 8:5"_s << false << u"2024-05-03 08:05"_s;
    QTest::newRow("colour record") << u"2024-5-3 8:5:9"_s << true << u"2024-05-03 08:05:09"_s;
    QTest::newRow("late in the year") << u"2031-12-31 23:59:58"_s << true << u"2031-12-31 23:59:58"_s;
    QTest::newRow("seconds left out") << u"2031-12-31 23:59:58"_s << false << u"2031-12-31 23:59"_s;
    QTest::newRow("early year") << u"0987-1-2 3:4"_s << false << u"0987-01-02 03:04"_s;
}

void DateTextTest::formatDateTime()
{
    QFETCH(QString, text);
    QFETCH(bool, withSeconds);
    QFETCH(QString, written);

    const std::optional<QDateTime> read = parseDateTimeText(text);
    QVERIFY(read);
    QCOMPARE(formatDateTimeText(*read, withSeconds), written);
    QCOMPARE(formatDateText(read->date()), written.left(10));
}

QTEST_GUILESS_MAIN(DateTextTest)
#include "DateTextTest.moc"
