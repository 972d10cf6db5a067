#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The system's date texts: year-month-day with "-" between the parts, and a
// time of day "H:N" or "H:N:S" after one space.
//
// Reading accepts the parts with or without leading zeros ("2024-5-3" as well
// as "2024-05-03"): a four-digit year, a month and a day of one or two digits
// each, hours, minutes and seconds of one or two digits. Anything else (other
// separators, spaces, signs, missing or extra parts, a day that the calendar
// does not have) is not a date. The readers are written by hand: the record
// collection converts three texts per attendance record fetched.

// The date of a text "Y-M-D"; none when the text is not such a date.
std::optional<QDate> parseDateText(QStringView text);

// The date and time of a text "Y-M-D H:N" or "Y-M-D H:N:S"; none when the text
// is not such a moment. The value is a plain wall-clock reading: it is carried
// in UTC so that no daylight-saving rule can move it.
std::optional<QDateTime> parseDateTimeText(QStringView text);

// "yyyy-MM-dd"; empty for an invalid date.
QString formatDateText(QDate date);

// "yyyy-MM-dd HH:mm", or "yyyy-MM-dd HH:mm:ss" with seconds; the date and the
// time of day are written as the value carries them. Empty for an invalid value.
QString formatDateTimeText(const QDateTime& value, bool withSeconds);
