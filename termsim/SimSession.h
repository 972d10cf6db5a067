#pragma once

#include "WireDecoder.h"
#include "WireFrame.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

class QTimer;
class SimHost;
class SimTerminal;
class WireReader;

// The protocol server of one connection (a TCP socket or a serial line):
// decodes requests, runs them on the terminal chosen by the connect, stores
// their changes before answering (or undoes them when that fails), and encodes
// the replies. Knows
// nothing of sockets: bytes come in through receive(), replies leave through
// the send callback, and the drop callback ends the connection.
//
// Bounds (SimOptions): a request header announcing more than the largest
// request is rejected at once; a frame whose bytes stop arriving is abandoned
// (serial: the reader looks for the next frame start; TCP: the connection is
// dropped); while more reply bytes than allowed wait to leave, requests are
// left unread (wantsInput() is false) until resume(); a session without
// requests for the idle time ends.
class SimSession : public QObject {
public:
    enum class Transport { Tcp, Serial };

    SimSession(SimHost& host, Transport transport, QList<SimTerminal*> terminals, QObject* parent = nullptr);
    ~SimSession() override;

    void setSend(std::function<void(const QByteArray&)> send) { m_send = std::move(send); }
    // graceful: after the replies already sent are delivered; otherwise at once.
    void setDrop(std::function<void(bool graceful)> drop) { m_drop = std::move(drop); }
    // Called with the Connect's baud rate when a session opens.
    void setNewSession(std::function<void(int baud)> hook) { m_newSession = std::move(hook); }
    // Reply bytes handed to send that have not left yet.
    void setBacklog(std::function<qint64()> backlog) { m_backlog = std::move(backlog); }
    // Baud rate the line really runs at (a fixed line speed); 0: the Connect's.
    void setLineBaud(int baud) { m_lineBaud = baud; }
    void receive(const char* data, qsizetype length);
    // False while the connection has too many reply bytes waiting (or is gone).
    bool wantsInput() const;
    // The transport sent some of its backlog: serve requests held back.
    void resume();
    bool hasSession() const { return m_terminal != nullptr; }
    // Closes this session's bulk transfer (its client reads it too slowly and
    // another needs the room). The next ReadChunk of it fails.
    void closeTransfer();
    quint64 transferStamp() const { return m_transferStamp; }
    // When this connection last brought a request (a host-wide counter).
    quint64 activityStamp() const { return m_activityStamp; }
    bool hasTransfer() const { return !m_chunks.empty(); }
    SimTerminal* terminal() const { return m_terminal; }

    // True while this connection has a session open on that terminal.
    bool serves(const SimTerminal* terminal) const { return !m_dropped && m_terminal == terminal; }
    // Sends an event frame (WireEvent) to the client at once.
    void sendEvent(quint16 event, const QByteArray& payload);

private:
    struct Result {
        quint16 status = 0;
        QByteArray payload;
        bool dropAfterReply = false;
    };

    void serve();
    void frameTimedOut();
    void idleTimedOut();
    qsizetype chunkBytes() const;
    void handle(const WireFrame& request);
    Result dispatch(const WireFrame& request, WireReader& r, QStringList& args, QString& name);
    Result connectSession(WireReader& r, QStringList& args, QString& name, int& machine);
    Result openTransfer(std::vector<QByteArray> chunks, std::vector<quint32> counts, quint32 total, bool logRecords);
    Result readChunk(WireReader& r);
    Result putChunk(WireReader& r);
    Result takeUpload(WireReader& r, QByteArray& content, quint32& crc);
    Result placeFinger(SimTerminal& t, WireReader& r, QStringList& args);
    void reply(const WireFrame& request, const Result& result);
    void endSession();
    void dropConnection(bool graceful = false);

    SimHost& m_host;
    Transport m_transport;
    QList<SimTerminal*> m_candidates;
    SimTerminal* m_terminal = nullptr;
    WireDecoder m_decoder;
    std::function<void(const QByteArray&)> m_send;
    std::function<void(bool)> m_drop;
    std::function<void(int)> m_newSession;
    std::function<qint64()> m_backlog;
    bool m_dropped = false;
    int m_lineBaud = 0;
    int m_sessionBaud = 0;
    QTimer* m_frameTimer = nullptr;
    QTimer* m_idleTimer = nullptr;
    quint64 m_transferStamp = 0;
    quint64 m_activityStamp = 0;

    quint32 m_transferId = 0;
    std::vector<QByteArray> m_chunks;
    std::vector<quint32> m_chunkCounts;
    bool m_transferIsLog = false;
    qint64 m_logRecordsSent = 0;
    QByteArray m_upload;
    quint32 m_eventSequence = 0;
};
