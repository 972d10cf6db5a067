#pragma once

#include "WireDecoder.h"
#include "WireFrame.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;
class QTcpSocket;
class QSerialPort;

// One blocking connection to a terminal over TCP or a serial line: sends a
// request frame and waits, with a deadline, for the reply of the same
// sequence number. Needs no running event loop: it uses the blocking waits of
// the socket and the serial port. Replies to earlier, timed-out requests are
// skipped. A broken connection or a malformed frame closes the link; the
// caller may open it again.
//
// Event frames (unsolicited, from the terminal) are queued wherever they
// arrive: between the replies of a call, or while no call runs (the device's
// readyRead, from the event loop). They never take a reply's place. The
// queue is bounded, for a client that never runs an event loop.
class TermLink {
public:
    TermLink();
    ~TermLink();
    TermLink(const TermLink&) = delete;
    TermLink& operator=(const TermLink&) = delete;

    // Both return a TermError code (None on success).
    int openTcp(const QString& host, quint16 port, int timeoutMs);
    int openSerial(const QString& devicePath, int baudRate);
    void close();
    bool isOpen() const;
    bool isSerial() const { return m_serial != nullptr; }

    // Sends the request and waits up to timeoutMs for its reply. Returns a
    // TermError code for transport failures (ReplyTimeout, ConnectionLost,
    // ProtocolError, NotConnected); None when a reply arrived, whose status
    // (a terminal-side TermError code) and payload are in reply.
    int call(quint16 op, const QByteArray& payload, WireFrame& reply, int timeoutMs);

    // Description of the last transport failure, for messages.
    QString lastDetail() const { return m_detail; }

    static constexpr int MaxQueuedEvents = 1000;
    // Called (on the link's thread) each time an event frame is queued.
    void setEventsArrived(std::function<void()> notify) { m_eventsArrived = std::move(notify); }
    // Takes the oldest queued event frame; false when none is queued.
    bool takeEvent(WireFrame& frame);

private:
    int send(const QByteArray& frame, int timeoutMs);
    int receive(quint32 sequence, WireFrame& reply, int timeoutMs);
    int lost(const QString& detail);
    bool deviceBroken() const;
    void watchIdle();
    void readIdle();
    void queueEvent(WireFrame&& frame);

    std::unique_ptr<QTcpSocket> m_tcp;
    std::unique_ptr<QSerialPort> m_serial;
    QIODevice* m_device = nullptr;
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
};
