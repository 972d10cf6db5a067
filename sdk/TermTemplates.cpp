#include "TermTemplates.h"

bool TermTemplates::fromBase64(const QString& text, QByteArray& out)
{
    const QByteArray trimmed = text.trimmed().toLatin1();
    if (trimmed.isEmpty())
        return false;
    auto result = QByteArray::fromBase64Encoding(trimmed, QByteArray::AbortOnBase64DecodingErrors);
    if (!result || !validSize(result.decoded.size()))
        return false;
    out = std::move(result.decoded);
    return true;
}

bool TermTemplates::fromHex(const QString& text, QByteArray& out)
{
    const QString t = text.trimmed();
    if (t.size() % 2 != 0 || !validSize(t.size() / 2))
        return false;
    QByteArray bytes(t.size() / 2, Qt::Uninitialized);
    auto digit = [](QChar c) -> int {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int hi = digit(t.at(2 * i));
        const int lo = digit(t.at(2 * i + 1));
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = char(hi * 16 + lo);
    }
    out = bytes;
    return true;
}

QByteArray TermTemplates::toOldFormat(const QByteArray& templateData)
{
    QByteArray out;
    out.reserve(templateData.size() + 4);
    out.append(char(0x01));
    out.append(char(templateData.size() & 0xFF));
    out.append(char((templateData.size() >> 8) & 0xFF));
    out.append(templateData);
    char x = 0;
    for (char c : templateData)
        x = char(x ^ c);
    out.append(x);
    return out;
}
