#include "WireTime.h"

namespace {
constexpr qint64 kEpochDays = 10957; // 2000-01-01 counted from 1970-01-01
}

qint64 WireTime::daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

void WireTime::civilFromDays(qint64 z, int& year, int& month, int& day)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 y = qint64(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(y + (month <= 2));
}

bool WireTime::valid(int year, int month, int day, int hour, int minute, int second)
{
    if (year < MinYear || year > MaxYear || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > kDays[month - 1])
        return false;
    if (month == 2 && day == 29)
        return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return true;
}

quint32 WireTime::fromFields(int year, int month, int day, int hour, int minute, int second)
{
    const qint64 days = daysFromCivil(year, unsigned(month), unsigned(day)) - kEpochDays;
    return quint32(days * 86400 + hour * 3600 + minute * 60 + second);
}

void WireTime::toFields(quint32 t, int& year, int& month, int& day, int& hour, int& minute, int& second)
{
    const quint32 days = t / 86400;
    quint32 rest = t % 86400;
    civilFromDays(qint64(days) + kEpochDays, year, month, day);
    hour = int(rest / 3600);
    rest %= 3600;
    minute = int(rest / 60);
    second = int(rest % 60);
}

quint32 WireTime::fromDateTime(const QDateTime& dateTime)
{
    const QDate d = dateTime.date();
    const QTime t = dateTime.time();
    if (!valid(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()))
        return 0;
    return fromFields(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QDateTime WireTime::toDateTime(quint32 t)
{
    int y, mo, d, h, mi, s;
    toFields(t, y, mo, d, h, mi, s);
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
