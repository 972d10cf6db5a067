#include "WireDecoder.h"

#include "Crc32.h"

#include <QtEndian>

void WireDecoder::feed(const char* data, qsizetype length)
{
    if (m_error != Error::None || length <= 0)
        return;
    if (m_pos > 0 && (m_pos == m_buffer.size() || m_pos >= (1 << 16))) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    m_buffer.append(data, length);
}

WireDecoder::Result WireDecoder::next(WireFrame& frame)
{
    if (m_error != Error::None)
        return Result::Error;
    const qsizetype available = m_buffer.size() - m_pos;
    if (available < WireFrame::HeaderSize)
        return Result::NeedMore;
    const auto* h = reinterpret_cast<const uchar*>(m_buffer.constData() + m_pos);
    if (h[0] != WireFrame::Magic0 || h[1] != WireFrame::Magic1)
        return fail(Error::BadMagic);
    if (h[2] != WireFrame::Version)
        return fail(Error::BadVersion);
    if (h[3] > WireFrame::Event)
        return fail(Error::BadKind);
    const quint32 length = qFromLittleEndian<quint32>(h + 12);
    if (length > m_maxPayload)
        return fail(Error::Oversized);
    const qsizetype total = WireFrame::HeaderSize + qsizetype(length) + WireFrame::TrailerSize;
    if (available < total)
        return Result::NeedMore;
    const quint32 expected = qFromLittleEndian<quint32>(h + WireFrame::HeaderSize + length);
    if (Crc32::compute(h, WireFrame::HeaderSize + length) != expected)
        return fail(Error::BadChecksum);
    frame.kind = h[3];
    frame.sequence = qFromLittleEndian<quint32>(h + 4);
    frame.op = qFromLittleEndian<quint16>(h + 8);
    frame.status = qFromLittleEndian<quint16>(h + 10);
    frame.payload = QByteArray(reinterpret_cast<const char*>(h + WireFrame::HeaderSize), length);
    m_pos += total;
    if (m_pos == m_buffer.size()) {
        m_buffer.clear();
        m_pos = 0;
    }
    return Result::Frame;
}

const char* WireDecoder::errorText(Error error)
{
    switch (error) {
    case Error::None: return "no error";
    case Error::BadMagic: return "bad frame magic";
    case Error::BadVersion: return "unsupported protocol version";
    case Error::BadKind: return "bad frame kind";
    case Error::Oversized: return "frame too large";
    case Error::BadChecksum: return "frame checksum mismatch";
    }
    return "unknown decoder error";
}

void WireDecoder::reset()
{
    m_buffer.clear();
    m_pos = 0;
    m_error = Error::None;
}

WireDecoder::Result WireDecoder::fail(Error error)
{
    m_error = error;
    m_buffer.clear();
    m_buffer.squeeze();
    m_pos = 0;
    return Result::Error;
}
