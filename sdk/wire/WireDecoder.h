#pragma once

#include "WireFrame.h"

#include <QByteArray>

// Incremental frame decoder. Bytes are fed in pieces of any size; complete
// frames are taken out with next(). A frame header is checked as soon as its
// 16 bytes are in, so a bad magic, version, kind or an oversized length is
// reported at once, without waiting for (or allocating) the announced body.
//
// After an error the decoder stays in the error state and ignores further
// input until reset() or resync(): the caller drops the connection (TCP) or
// resynchronises (serial line: line noise, a peer that went away in the middle
// of a frame). The memory held is at most one frame plus the last piece fed.
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
    // None in the error state: what is held then is no frame, only the bytes a
    // resync() searches.
    qsizetype pendingBytes() const { return m_error == Error::None ? m_buffer.size() - m_pos : 0; }
    void reset();
    // Abandons the frame begun at the current position (after an error, or one
    // whose bytes stopped arriving) and moves to the next frame start found in
    // the bytes already buffered. Clears the error state. False when no frame
    // start is buffered (the decoder is then empty).
    bool resync();

private:
    Result fail(Error error);

    QByteArray m_buffer;
    qsizetype m_pos = 0;
    quint32 m_maxPayload;
    Error m_error = Error::None;
};
