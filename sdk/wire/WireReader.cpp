#include "WireReader.h"

#include <QtEndian>

const char* WireReader::take(qsizetype length)
{
    if (!m_ok || length < 0 || m_end - m_p < length) {
        fail();
        return nullptr;
    }
    const char* p = m_p;
    m_p += length;
    return p;
}

quint8 WireReader::u8()
{
    const char* p = take(1);
    return p ? quint8(*p) : 0;
}

template <typename T>
T WireReader::littleEndian()
{
    const char* p = take(qsizetype(sizeof(T)));
    return p ? qFromLittleEndian<T>(p) : T(0);
}

quint16 WireReader::u16()
{
    return littleEndian<quint16>();
}

quint32 WireReader::u32()
{
    return littleEndian<quint32>();
}

qint64 WireReader::i64()
{
    return littleEndian<qint64>();
}

QByteArray WireReader::str8Bytes()
{
    const quint8 n = u8();
    const char* p = take(n);
    return p ? QByteArray(p, n) : QByteArray();
}

QString WireReader::str8()
{
    const quint8 n = u8();
    const char* p = take(n);
    return p ? QString::fromUtf8(p, n) : QString();
}

QString WireReader::str16()
{
    const quint16 n = u16();
    const char* p = take(n);
    return p ? QString::fromUtf8(p, n) : QString();
}

QByteArray WireReader::blob(quint32 maxLength)
{
    const quint32 n = u32();
    if (n > maxLength) {
        fail();
        return QByteArray();
    }
    const char* p = take(qsizetype(n));
    return p ? QByteArray(p, qsizetype(n)) : QByteArray();
}
