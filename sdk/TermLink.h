#pragma once

#include "WireDecoder.h"
#include "WireFrame.h"

#include <QByteArray>
#include <QList>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;
class QTcpSocket;
class QSerialPort;

// One blocking connection to a terminal over TCP or a serial line: sends a
// request frame and waits for the reply of the same sequence number. Needs no
// running event loop: it uses the blocking waits of the socket and the serial
// port. Replies to earlier, timed-out requests are skipped. A broken
// connection or a malformed frame closes the link; the caller may open it again.
//
// Waiting is bounded by inactivity: a reply may take as long as the line needs
// to carry it, but the call fails when no byte moves for the timeout. On a
// serial line the reader also resynchronises: a frame whose bytes stop for
// FrameGapMs is abandoned, and bytes that are no frame (the tail of a reply to
// a client that went away, line noise) are skipped up to the next frame start.
//
// Event frames (unsolicited, from the terminal) are queued wherever they
// arrive: between the replies of a call, or while no call runs (the device's
// readyRead, from the event loop). They never take a reply's place. The
// queue is bounded, for a client that never runs an event loop.
class TermLink {
public:
    static constexpr int FrameGapMs = 500;

    TermLink();
    ~TermLink();
    TermLink(const TermLink&) = delete;
    TermLink& operator=(const TermLink&) = delete;

    // Both return a TermError code (None on success). openTcp resolves the
    // host name and connects within the deadline.
    int openTcp(const QString& host, quint16 port, QDeadlineTimer deadline);
    int openSerial(const QString& devicePath, int baudRate);
    void close();
    bool isOpen() const;
    bool isSerial() const { return m_serial != nullptr; }
    // Baud rate of the open serial line (0 for TCP).
    int baudRate() const { return m_serial ? m_baud : 0; }

    // Sends the request and waits for its reply while bytes keep moving: no
    // byte for inactivityMs, or the deadline passing, ends the wait with
    // ReplyTimeout. Returns a TermError code for transport failures
    // (ReplyTimeout, ConnectionLost, ProtocolError, NotConnected); None when a
    // reply arrived, whose status (a terminal-side TermError code) and payload
    // are in reply.
    int call(quint16 op, const QByteArray& payload, WireFrame& reply, int inactivityMs,
             QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    // Description of the last transport failure, for messages.
    QString lastDetail() const { return m_detail; }
    // Bytes sent and received over every connection of this link.
    qint64 bytesMoved() const { return m_bytesMoved; }

    static constexpr int MaxQueuedEvents = 1000;
    // Called (on the link's thread) each time an event frame is queued.
    void setEventsArrived(std::function<void()> notify) { m_eventsArrived = std::move(notify); }
    // Takes the oldest queued event frame; false when none is queued.
    bool takeEvent(WireFrame& frame);

private:
    int send(const QByteArray& frame, int inactivityMs, QDeadlineTimer deadline);
    int receive(quint32 sequence, WireFrame& reply, int inactivityMs, QDeadlineTimer deadline);
    int lost(const QString& detail);
    // What broke, said for a person: a lost serial line names the line.
    QString brokenDetail(const char* doing) const;
    bool deviceBroken() const;
    void watchIdle();
    void readIdle();
    void queueEvent(WireFrame&& frame);

    std::unique_ptr<QTcpSocket> m_tcp;
    std::unique_ptr<QSerialPort> m_serial;
    QIODevice* m_device = nullptr;
    QString m_serialPath;
    int m_baud = 0;
    WireDecoder m_decoder;
    quint32 m_sequence = 0;
    QByteArray m_readBuffer;
    QString m_detail;
    QList<WireFrame> m_events;
    std::function<void()> m_eventsArrived;
    bool m_inCall = false;
    // A bad frame met while no call ran; the next call reports it.
    int m_idleFailure = 0;
    QString m_idleDetail;
    qint64 m_bytesMoved = 0;
};
