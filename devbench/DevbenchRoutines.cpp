#include "DevbenchRoutines.h"

#include "IntegerText.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

int IntegerOf(const QString& text)
{
    try {
        return integerFromText(text);
    } catch (const ConversionError&) {
        throw CommandError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

QString AnsiText(const QString& text)
{
    // ICU's GBK converter substitutes a character it cannot map with its own
    // substitution byte, which is not "?"; so each character is tried alone and
    // only the ones GBK holds are kept. Surrogate pairs go as one character.
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            result.append(c);
            continue;
        }
        qsizetype length = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        const QString one = text.mid(i, length);
        i += length - 1;
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        const QByteArray bytes = encoder.encode(one);
        QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
        const QString back = decoder.decode(bytes);
        result.append(!encoder.hasError() && !decoder.hasError() && back == one ? one : QStringLiteral("?"));
    }
    return result;
}

QString BytesToHex(const QByteArray& bytes, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    count = qBound(0, count, int(bytes.size()));
    QString text;
    text.reserve(2 * count);
    for (int i = 0; i < count; ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        text.append(QLatin1Char(digits[b >> 4]));
        text.append(QLatin1Char(digits[b & 0x0F]));
    }
    return text;
}

QString BytesToHex(const QByteArray& bytes)
{
    return BytesToHex(bytes, int(bytes.size()));
}

int HexDigitValue(QChar c)
{
    const int code = c.unicode();
    int value = 0;
    if (code >= 'a')
        value = code - 'a' + 10;
    else if (code >= 'A')
        value = code - 'A' + 10;
    else if (code >= '0')
        value = code - '0';
    if (value > 15)
        throw CommandError(QStringLiteral("Error of Integer: ") + c);
    return value;
}

QByteArray HexToBytes(const QString& text)
{
    QByteArray bytes(text.size() / 2, '\0');
    for (qsizetype k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<char>(16 * HexDigitValue(text.at(2 * k)) + HexDigitValue(text.at(2 * k + 1)));
    return bytes;
}

QByteArray LoadFileToString(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CommandError(QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString()));
    return bytes;
}

void SaveStringToFile(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw CommandError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw CommandError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}
