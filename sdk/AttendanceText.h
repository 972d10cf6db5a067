#pragma once

#include <QString>
#include <QStringList>

// How an attendance record fetched from a terminal is written down, wherever
// it goes (QV's record table, a CSV file, a database): the columns of a
// record row, the time text and the word for the in/out state.
namespace AttendanceText {

inline const QString kDeviceNo = QStringLiteral("设备号");
inline const QString kEnrollNo = QStringLiteral("登记号");
inline const QString kName = QStringLiteral("姓名");
inline const QString kTime = QStringLiteral("时间");
inline const QString kKind = QStringLiteral("类型");

// The columns of a record row, in order.
QStringList columns();

// "YYYY-MM-DD HH:NN" (a numeric fetch, no seconds) or "YYYY-MM-DD HH:NN:SS",
// every part but the year with two digits. Empty when the parts are not a
// time of day (hour 0..23, minute and second 0..59, year 0..9999); the date
// itself is checked by the caller's range test.
QString timeText(int year, int month, int day, int hour, int minute, int second, bool withSeconds);

// The 类型 word of an attendance state; the empty text for states without one.
QString stateWord(int state);

} // namespace AttendanceText
