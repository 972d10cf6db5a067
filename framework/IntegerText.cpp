#include "IntegerText.h"

namespace {
[[noreturn]] void fail(const QString& text)
{
    throw ConversionError(QStringLiteral("“%1”不是有效的整数值").arg(text).toStdString());
}
} // namespace

int integerFromText(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    int base = 10;
    if (i < text.size() && text.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    }
    if (i >= text.size())
        fail(text);
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            fail(text);
        value = value * base + digit;
        if (value > 0x100000000LL)
            fail(text);
    }
    if (negative)
        value = -value;
    // Hexadecimal reads the 32 bits as they stand ($FFFFFFFF is -1).
    if (base == 16 && value > 0x7FFFFFFFLL && value <= 0xFFFFFFFFLL)
        value -= 0x100000000LL;
    if (value < -0x80000000LL || value > 0x7FFFFFFFLL)
        fail(text);
    return static_cast<int>(value);
}
