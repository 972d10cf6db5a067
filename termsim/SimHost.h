#pragma once

#include "SimDataLock.h"
#include "SimOptions.h"
#include "SimTerminal.h"
#include "SimTrace.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class SimPtyLine;
class SimSession;
class SimTerminalStore;

// Runs the terminals of one termsim process: loads or seeds their data,
// listens on their TCP ports and serial lines, and gives each connection a
// SimSession. Also holds what the sessions share: the trace, the fault
// options and persistence.
class SimHost : public QObject {
public:
    explicit SimHost(const SimOptions& options, QObject* parent = nullptr);
    ~SimHost() override;

    // Loads or seeds every terminal and starts serving; false with a message on
    // failure (a corrupt data file, a port in use, ...). Lines describing what
    // is served are appended to report.
    bool start(QString& error, QStringList& report);

    const SimOptions& options() const { return m_options; }
    SimTrace& trace() { return m_trace; }
    // Stores the terminal's pending changes durably (when a data directory is set).
    bool persist(const SimTerminal& terminal, QString& error);
    // Counts a reply frame; true when it is the one to corrupt.
    bool takeCorruptTurn();
    // The connection that started the terminal's running enrol, verify or
    // identify: its events go there. Null when that connection is gone or its
    // session has ended.
    void setOperationOwner(const SimTerminal* terminal, SimSession* session);
    SimSession* operationOwner(const SimTerminal* terminal) const;

    // Sessions register here so that the limits over all of them hold: open
    // transfers per terminal and TCP connections.
    void sessionCreated(SimSession* session);
    void sessionGone(SimSession* session);
    // The session is about to open a transfer: the least recently read
    // transfers of the same terminal are closed until it fits.
    void makeRoomForTransfer(SimSession& session);
    // The session opened a transfer: the same, should it not fit.
    void transferOpened(SimSession& session);
    quint64 nextStamp() { return ++m_stamp; }

    qsizetype terminalCount() const { return qsizetype(m_terminals.size()); }
    SimTerminal& terminal(qsizetype i) { return *m_terminals[size_t(i)]; }
    quint16 tcpPort(qsizetype i) const;
    QString dataPath(qsizetype i) const;

private:
    bool prepareTerminal(qsizetype i, QString& error, QString& note);
    void serveSocket(QTcpSocket* socket, SimTerminal* terminal);
    // Room for one more TCP connection, by closing another when the table is full.
    void makeRoomForConnection();
    // Closes transfers of the session's terminal, least recently read first,
    // until at most the given number are open besides the session's own.
    void closeTransfersBeyond(SimSession& session, int others);

    SimOptions m_options;
    SimTrace m_trace;
    SimDataLock m_dataLock;
    std::vector<std::unique_ptr<SimTerminal>> m_terminals;
    std::vector<std::unique_ptr<SimTerminalStore>> m_stores; // null: not persisted
    std::vector<QTcpServer*> m_servers;
    std::vector<SimPtyLine*> m_lines;
    qint64 m_replies = 0;
    QHash<const SimTerminal*, QPointer<SimSession>> m_operationOwners;
    quint64 m_stamp = 0;
    std::vector<SimSession*> m_sessions;
    // TCP connections in the order they came, with their sessions.
    std::vector<std::pair<QTcpSocket*, SimSession*>> m_connections;
};
