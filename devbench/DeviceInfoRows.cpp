#include "DeviceInfoRows.h"

#include "DevbenchRoutines.h"

#include <array>

namespace {
using DeviceInfoRows::Kind;
using DeviceInfoRows::Row;

const QStringList kOffOn{QStringLiteral("Off"), QStringLiteral("On")};

const std::array<Row, DeviceInfoRows::RowCount>& rows()
{
    static const std::array<Row, DeviceInfoRows::RowCount> table{{
        {QStringLiteral("Registrable administrators number"), Kind::Number, {}},
        {QStringLiteral("Device ID"), Kind::Number, {}},
        {QStringLiteral("Languages"), Kind::Choice,
         {QStringLiteral("English"), QStringLiteral("Simplified Chinese"), QStringLiteral("Traditional Chinese")}},
        {QStringLiteral("Auto power off time"), Kind::Number, {}},
        {QStringLiteral("Lock control delay(20ms)"), Kind::Number, {}},
        {QStringLiteral("In and out record warning"), Kind::Number, {}},
        {QStringLiteral("manage record warning"), Kind::Number, {}},
        {QStringLiteral("Confirm interval time"), Kind::Number, {}},
        {QStringLiteral("Baud Rate"), Kind::Choice,
         {QStringLiteral("1200 bps"), QStringLiteral("2400 bps"), QStringLiteral("4800 bps"),
          QStringLiteral("9600 bps"), QStringLiteral("19200 bps"), QStringLiteral("38400 bps"),
          QStringLiteral("115200 bps")}},
        {QStringLiteral("Even and Odd"), Kind::Choice,
         {QStringLiteral("Nothing"), QStringLiteral("Even"), QStringLiteral("Odd")}},
        {QStringLiteral("Stop bit"), Kind::Choice, {QStringLiteral("One"), QStringLiteral("Two")}},
        {QStringLiteral("Date list separator"), Kind::Choice, {QStringLiteral("\"/\""), QStringLiteral("\"-\"")}},
        {QStringLiteral("Network"), Kind::Choice, kOffOn},
        {QStringLiteral("RS232"), Kind::Choice, kOffOn},
        {QStringLiteral("RS485"), Kind::Choice, kOffOn},
        {QStringLiteral("Voice"), Kind::Choice, kOffOn},
        {QStringLiteral("Identification speed"), Kind::Choice,
         {QStringLiteral("Low speed"), QStringLiteral("High speed"), QStringLiteral("Auto")}},
        {QStringLiteral("idle"), Kind::Number, {}},
        {QStringLiteral("Shutdown time"), Kind::Time, {}},
        {QStringLiteral("PowerOn time"), Kind::Time, {}},
        {QStringLiteral("Sleep time"), Kind::Time, {}},
        {QStringLiteral("Auto Bell"), Kind::Time, {}},
        {QStringLiteral("Match threshold"), Kind::Number, {}},
        {QStringLiteral("Register threshold"), Kind::Number, {}},
        {QStringLiteral("1:1 threshold"), Kind::Number, {}},
        {QStringLiteral("Show score"), Kind::Number, {}},
        {QStringLiteral("Unlock person count"), Kind::Number, {}},
        {QStringLiteral("Only verify number card"), Kind::Number, {}},
        {QStringLiteral("Net Speed"), Kind::NetSpeed, {}},
        {QStringLiteral("Must registe card"), Kind::Number, {}},
        {QStringLiteral("Time out of temp state keep"), Kind::Number, {}},
        {QStringLiteral("Time out of input number"), Kind::Number, {}},
        {QStringLiteral("Time out of menu keep"), Kind::Number, {}},
        {QStringLiteral("Date formate"), Kind::Number, {}},
        {QStringLiteral("Only 1:1"), Kind::Number, {}},
    }};
    return table;
}

// The net speed names and their codes, as parallel tables.
const std::array<const char*, 5> NetSpeedNames{"10M_H", "100M_H", "10M_F", "100M_F", "AUTO"};
const std::array<int, 5> NetSpeedCodes{0, 1, 4, 5, 8};

bool timePart(const QString& text, int& value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok, 10);
    return ok && value >= 0 && value <= 255;
}
} // namespace

const Row& DeviceInfoRows::row(int r)
{
    return rows().at(static_cast<size_t>(r - 1));
}

QString DeviceInfoRows::valueToText(int r, int value)
{
    const Row& def = row(r);
    switch (def.kind) {
    case Kind::NetSpeed:
        return NetSpeedCodeToText(value);
    case Kind::Choice:
        if (value >= 0 && value < def.pickList.size())
            return def.pickList.at(value);
        return QString::number(value);
    case Kind::Time:
        return TimeValueToText(value);
    case Kind::Number:
        break;
    }
    return QString::number(value);
}

int DeviceInfoRows::textToValue(int r, const QString& text)
{
    const Row& def = row(r);
    switch (def.kind) {
    case Kind::NetSpeed:
        return NetSpeedTextToCode(text);
    case Kind::Choice: {
        const qsizetype position = def.pickList.indexOf(text);
        return position < 0 ? 0 : int(position);
    }
    case Kind::Time:
        return TimeTextToValue(text);
    case Kind::Number:
        break;
    }
    return IntegerOf(text);
}

QString TimeValueToText(int value)
{
    if (value < 0 || value / 256 > 59 || value % 256 > 59)
        return QStringLiteral("No");
    return QStringLiteral("%1:%2").arg(value / 256).arg(value % 256);
}

int TimeTextToValue(const QString& text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    int hour = 0;
    int minute = 0;
    if (colon < 0 || !timePart(text.left(colon), hour) || !timePart(text.mid(colon + 1, 100), minute))
        throw CommandError(QStringLiteral("'%1' is not a valid time (hour:minute)").arg(text));
    return hour * 256 + minute;
}

QString NetSpeedCodeToText(int code)
{
    for (size_t i = 0; i < NetSpeedCodes.size(); ++i)
        if (NetSpeedCodes[i] == code)
            return QLatin1String(NetSpeedNames[i]);
    return QLatin1String(NetSpeedNames[0]);
}

int NetSpeedTextToCode(const QString& text)
{
    for (size_t i = 0; i < NetSpeedNames.size(); ++i)
        if (text == QLatin1String(NetSpeedNames[i]))
            return NetSpeedCodes[i];
    return 0;
}
