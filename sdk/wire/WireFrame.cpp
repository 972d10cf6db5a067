#include "WireFrame.h"

#include "Crc32.h"

#include <QtEndian>

QByteArray WireFrame::encode() const
{
    QByteArray out;
    appendEncoded(out, kind, sequence, op, status, payload.constData(), payload.size());
    return out;
}

void WireFrame::appendEncoded(QByteArray& out, quint8 kind, quint32 sequence, quint16 op, quint16 status,
                              const char* payload, qsizetype length)
{
    Q_ASSERT(length >= 0 && quint64(length) <= MaxPayload);
    const qsizetype start = out.size();
    out.resize(start + HeaderSize + length + TrailerSize);
    auto* h = reinterpret_cast<uchar*>(out.data() + start);
    h[0] = Magic0;
    h[1] = Magic1;
    h[2] = Version;
    h[3] = kind;
    qToLittleEndian<quint32>(sequence, h + 4);
    qToLittleEndian<quint16>(op, h + 8);
    qToLittleEndian<quint16>(status, h + 10);
    qToLittleEndian<quint32>(quint32(length), h + 12);
    if (length > 0)
        memcpy(h + HeaderSize, payload, size_t(length));
    const quint32 crc = Crc32::compute(h, HeaderSize + length);
    qToLittleEndian<quint32>(crc, h + HeaderSize + length);
}
