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
    if (available < total) {
        // Room for exactly this frame, once: appending piece by piece would
        // otherwise grow the buffer to up to twice the frame.
        if (m_buffer.capacity() < m_pos + total) {
            m_buffer.remove(0, m_pos);
            m_pos = 0;
            m_buffer.reserve(total);
        }
        return Result::NeedMore;
    }
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

bool WireDecoder::resync()
{
    const qsizetype available = m_buffer.size() - m_pos;
    m_error = Error::None;
    if (available <= 0) {
        reset();
        return false;
    }
    // Skip the byte that began the abandoned frame, then everything up to the
    // next magic (a lone first magic byte at the end may be the start of one).
    const char* begin = m_buffer.constData() + m_pos + 1;
    const char* end = m_buffer.constData() + m_buffer.size();
    const char* p = begin;
    for (; p < end; ++p) {
        if (quint8(*p) != WireFrame::Magic0)
            continue;
        if (p + 1 == end || quint8(p[1]) == WireFrame::Magic1)
            break;
    }
    if (p == end) {
        reset();
        return false;
    }
    m_buffer.remove(0, p - m_buffer.constData());
    m_pos = 0;
    if (m_buffer.capacity() > 2 * m_buffer.size() + (64 << 10))
        m_buffer.squeeze();
    return true;
}

WireDecoder::Result WireDecoder::fail(Error error)
{
    // The bytes stay until reset() or resync(): a serial reader looks for the
    // next frame start in them; feed() takes nothing more meanwhile.
    m_error = error;
    return Result::Error;
}
