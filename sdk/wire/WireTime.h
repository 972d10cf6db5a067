#pragma once

#include <QDateTime>
#include <QtGlobal>

// Wall-clock date-times on the wire: seconds since 2000-01-01 00:00:00 of the
// terminal's own clock (no time zone), as an unsigned 32-bit value, which
// reaches into the year 2136. Conversions are pure arithmetic on the civil
// calendar, cheap enough to run once per record.
class WireTime {
public:
    static constexpr int MinYear = 2000;
    static constexpr int MaxYear = 2135;

    static quint32 fromFields(int year, int month, int day, int hour, int minute, int second);
    static void toFields(quint32 t, int& year, int& month, int& day, int& hour, int& minute, int& second);
    // false when the fields are not a valid date-time in the range above.
    static bool valid(int year, int month, int day, int hour, int minute, int second);

    static quint32 fromDateTime(const QDateTime& dateTime);
    static QDateTime toDateTime(quint32 t);

    // Days since 1970-01-01 of a civil date, and back.
    static qint64 daysFromCivil(qint64 year, unsigned month, unsigned day);
    static void civilFromDays(qint64 days, int& year, int& month, int& day);
};
