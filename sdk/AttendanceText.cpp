#include "AttendanceText.h"

namespace AttendanceText {

QStringList columns()
{
    return {kDeviceNo, kEnrollNo, kName, kTime, kKind};
}

QString timeText(int year, int month, int day, int hour, int minute, int second, bool withSeconds)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || (withSeconds && (second < 0 || second > 59)) ||
        year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99)
        return {};
    // Built by hand: a collection formats one text per record kept.
    char16_t text[19];
    auto put = [&text](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[at + i] = static_cast<char16_t>(u'0' + value % 10);
    };
    put(0, year, 4);
    text[4] = u'-';
    put(5, month, 2);
    text[7] = u'-';
    put(8, day, 2);
    text[10] = u' ';
    put(11, hour, 2);
    text[13] = u':';
    put(14, minute, 2);
    if (withSeconds) {
        text[16] = u':';
        put(17, second, 2);
    }
    return QString(reinterpret_cast<const QChar*>(text), withSeconds ? 19 : 16);
}

QString stateWord(int state)
{
    // Shared texts: millions of rows carry one of these six words.
    static const QString words[] = {QStringLiteral("上班"),     QStringLiteral("下班"),
                                    QStringLiteral("外出"),     QStringLiteral("外出返回"),
                                    QStringLiteral("加班签到"), QStringLiteral("加班签退")};
    if (state < 0 || state > 5)
        return QStringLiteral("");
    return words[state];
}

} // namespace AttendanceText
