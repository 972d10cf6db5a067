#pragma once

#include <QByteArray>
#include <QtGlobal>

// One frame of the wire protocol.
//
// Layout (little-endian):
//   0  2  magic 0x54 0x57 ("TW")
//   2  1  protocol version (1)
//   3  1  kind: 0 request, 1 reply, 2 event (unsolicited, terminal to client)
//   4  4  sequence number (a reply repeats its request's number; events
//         count on their own from 1 per session)
//   8  2  operation code (WireOp), or event code (WireEvent) in an event
//  10  2  status: 0 in requests; 0 or a TermError code in replies
//  12  4  payload length, at most MaxPayload
//  16  n  payload
//  16+n 4 CRC-32 of bytes 0 .. 16+n-1
struct WireFrame {
    static constexpr quint8 Magic0 = 0x54;
    static constexpr quint8 Magic1 = 0x57;
    static constexpr quint8 Version = 1;
    static constexpr int HeaderSize = 16;
    static constexpr int TrailerSize = 4;
    static constexpr quint32 MaxPayload = 1u << 20; // 1 MiB
    // The largest payload any request needs: a PutChunk piece of 512 KiB and
    // its offset and length. A terminal rejects a header announcing more at once.
    static constexpr quint32 MaxUploadPiece = 512u << 10;
    static constexpr quint32 MaxRequestPayload = MaxUploadPiece + 64;

    enum Kind : quint8 { Request = 0, Reply = 1, Event = 2 };

    quint8 kind = Request;
    quint32 sequence = 0;
    quint16 op = 0;
    quint16 status = 0;
    QByteArray payload;

    // The complete encoded frame. The payload must not exceed MaxPayload.
    QByteArray encode() const;
    // Appends the encoded frame to out (no intermediate copy of the payload).
    static void appendEncoded(QByteArray& out, quint8 kind, quint32 sequence, quint16 op, quint16 status,
                              const char* payload, qsizetype length);
};
