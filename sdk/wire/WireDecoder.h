#pragma once

#include "WireFrame.h"

#include <QByteArray>

// Incremental frame decoder. Bytes are fed in pieces of any size; complete
// frames are taken out with next(). A frame header is checked as soon as its
// 16 bytes are in, so a bad magic, version, kind or an oversized length is
// reported at once, without waiting for (or allocating) the announced body.
//
// After an error the decoder stays in the error state and ignores further
// input until reset(): the caller drops the connection (TCP) or resets and
// waits for the next request (serial line). The memory held is at most one
// frame plus the last piece fed.
class WireDecoder {
public:
    enum class Result { NeedMore, Frame, Error };
    enum class Error { None, BadMagic, BadVersion, BadKind, Oversized, BadChecksum };

    explicit WireDecoder(quint32 maxPayload = WireFrame::MaxPayload) : m_maxPayload(maxPayload) {}

    void feed(const char* data, qsizetype length);
    void feed(const QByteArray& data) { feed(data.constData(), data.size()); }
    Result next(WireFrame& frame);

    Error error() const { return m_error; }
    static const char* errorText(Error error);
    // Bytes of a frame begun but not complete (a connection that ends now cut a frame).
    qsizetype pendingBytes() const { return m_buffer.size() - m_pos; }
    void reset();

private:
    Result fail(Error error);

    QByteArray m_buffer;
    qsizetype m_pos = 0;
    quint32 m_maxPayload;
    Error m_error = Error::None;
};
