#pragma once

#include <QString>
#include <QStringList>

// The 35 terminal parameters of the device-information grid: row r shows
// parameter r of GetDeviceInfo/SetDeviceInfo. A row's kind decides how the
// terminal's number is shown and how the shown text is written back.
namespace DeviceInfoRows {

enum class Kind { Number, Choice, Time, NetSpeed };

struct Row {
    QString key;
    Kind kind;
    QStringList pickList; // choice rows: the entry at position v shows value v
};

constexpr int RowCount = 35;
constexpr int DeviceIdRow = 2;

// Rows 1..35.
const Row& row(int r);

// The row's text for a value the terminal gave.
QString valueToText(int r, int value);
// The value to write for a row's text; throws CommandError for a number or
// time row whose text is none.
int textToValue(int r, const QString& text);

} // namespace DeviceInfoRows

// A time of day packed as hour × 256 + minute, shown "h:m" without leading
// zeros; "No" for a value that is no time.
QString TimeValueToText(int value);
// "h:m" with hour and minute each 0..255 (blanks around the numbers allowed);
// any other text throws CommandError.
int TimeTextToValue(const QString& text);
QString NetSpeedCodeToText(int code);
int NetSpeedTextToCode(const QString& text);
