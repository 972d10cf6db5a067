#include "DateText.h"

namespace {

// Reads a run of 1..maxDigits decimal digits at text[pos]; moves pos past it.
// Returns -1 when there is no digit or the run is longer than maxDigits.
int readNumber(QStringView text, qsizetype& pos, int minDigits, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size()) {
        const char16_t c = text[pos].unicode();
        if (c < u'0' || c > u'9')
            break;
        if (++digits > maxDigits)
            return -1;
        value = value * 10 + (c - u'0');
        ++pos;
    }
    return digits >= minDigits ? value : -1;
}

bool expect(QStringView text, qsizetype& pos, char16_t separator)
{
    if (pos >= text.size() || text[pos].unicode() != separator)
        return false;
    ++pos;
    return true;
}

// Reads "Y-M-D" from the start of text; pos ends behind it.
std::optional<QDate> readDate(QStringView text, qsizetype& pos)
{
    const int year = readNumber(text, pos, 4, 4);
    if (year < 0 || !expect(text, pos, u'-'))
        return std::nullopt;
    const int month = readNumber(text, pos, 1, 2);
    if (month < 0 || !expect(text, pos, u'-'))
        return std::nullopt;
    const int day = readNumber(text, pos, 1, 2);
    if (day < 0 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

void appendTwoDigits(QChar*& out, int value)
{
    *out++ = QChar(u'0' + value / 10);
    *out++ = QChar(u'0' + value % 10);
}

// Writes "yyyy-MM-dd" (10 characters) at out. Years outside 0..9999 are not
// written by this function.
void writeDate(QChar*& out, QDate date)
{
    const int year = date.year();
    appendTwoDigits(out, year / 100);
    appendTwoDigits(out, year % 100);
    *out++ = u'-';
    appendTwoDigits(out, date.month());
    *out++ = u'-';
    appendTwoDigits(out, date.day());
}

bool writableYear(QDate date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

} // namespace

std::optional<QDate> parseDateText(QStringView text)
{
    qsizetype pos = 0;
    const std::optional<QDate> date = readDate(text, pos);
    if (!date || pos != text.size())
        return std::nullopt;
    return date;
}

std::optional<QDateTime> parseDateTimeText(QStringView text)
{
    qsizetype pos = 0;
    const std::optional<QDate> date = readDate(text, pos);
    if (!date || !expect(text, pos, u' '))
        return std::nullopt;
    const int hour = readNumber(text, pos, 1, 2);
    if (hour < 0 || !expect(text, pos, u':'))
        return std::nullopt;
    const int minute = readNumber(text, pos, 1, 2);
    if (minute < 0)
        return std::nullopt;
    int second = 0;
    if (pos < text.size()) {
        if (!expect(text, pos, u':'))
            return std::nullopt;
        second = readNumber(text, pos, 1, 2);
        if (second < 0 || pos != text.size())
            return std::nullopt;
    }
    if (!QTime::isValid(hour, minute, second))
        return std::nullopt;
    return QDateTime(*date, QTime(hour, minute, second), Qt::UTC);
}

QString formatDateText(QDate date)
{
    if (!writableYear(date))
        return date.isValid() ? date.toString(u"yyyy-MM-dd") : QString();
    QString text(10, Qt::Uninitialized);
    QChar* out = text.data();
    writeDate(out, date);
    return text;
}

QString formatDateTimeText(const QDateTime& value, bool withSeconds)
{
    if (!value.isValid())
        return {};
    const QDate date = value.date();
    const QTime time = value.time();
    if (!writableYear(date))
        return value.toString(withSeconds ? u"yyyy-MM-dd HH:mm:ss" : u"yyyy-MM-dd HH:mm");
    QString text(withSeconds ? 19 : 16, Qt::Uninitialized);
    QChar* out = text.data();
    writeDate(out, date);
    *out++ = u' ';
    appendTwoDigits(out, time.hour());
    *out++ = u':';
    appendTwoDigits(out, time.minute());
    if (withSeconds) {
        *out++ = u':';
        appendTwoDigits(out, time.second());
    }
    return text;
}
