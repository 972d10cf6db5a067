#include "WireWriter.h"

#include <QtEndian>

WireWriter& WireWriter::u8(quint8 v)
{
    m_data.append(char(v));
    return *this;
}

template <typename T>
WireWriter& WireWriter::littleEndian(T v)
{
    char b[sizeof(T)];
    qToLittleEndian<T>(v, b);
    m_data.append(b, qsizetype(sizeof(T)));
    return *this;
}

WireWriter& WireWriter::u16(quint16 v)
{
    return littleEndian(v);
}

WireWriter& WireWriter::u32(quint32 v)
{
    return littleEndian(v);
}

WireWriter& WireWriter::i64(qint64 v)
{
    return littleEndian(v);
}

QByteArray WireWriter::utf8Cut(const QString& text, int maxBytes)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype cut = maxBytes;
    while (cut > 0 && (uchar(bytes.at(cut)) & 0xC0) == 0x80)
        --cut;
    bytes.truncate(cut);
    return bytes;
}

WireWriter& WireWriter::str8(const QString& text)
{
    return str8(utf8Cut(text, 255));
}

WireWriter& WireWriter::str8(const QByteArray& utf8)
{
    const qsizetype n = qMin<qsizetype>(utf8.size(), 255);
    u8(quint8(n));
    m_data.append(utf8.constData(), n);
    return *this;
}

WireWriter& WireWriter::str16(const QString& text)
{
    const QByteArray bytes = utf8Cut(text, 65535);
    u16(quint16(bytes.size()));
    m_data.append(bytes);
    return *this;
}

WireWriter& WireWriter::blob(const QByteArray& bytes)
{
    u32(quint32(bytes.size()));
    m_data.append(bytes);
    return *this;
}

WireWriter& WireWriter::raw(const char* data, qsizetype length)
{
    m_data.append(data, length);
    return *this;
}
