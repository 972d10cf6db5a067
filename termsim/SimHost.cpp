#include "SimHost.h"

#include "SimPtyLine.h"
#include "SimSession.h"
#include "SimTerminalStore.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <limits>

SimHost::SimHost(const SimOptions& options, QObject* parent) : QObject(parent), m_options(options) {}

SimHost::~SimHost()
{
    // Sessions tell the host when they go: end them while the host is whole.
    for (QTcpServer* server : m_servers)
        delete server;
    for (SimPtyLine* line : m_lines)
        delete line;
}

void SimHost::sessionCreated(SimSession* session)
{
    m_sessions.push_back(session);
}

void SimHost::sessionGone(SimSession* session)
{
    std::erase(m_sessions, session);
    std::erase_if(m_connections, [session](const auto& c) { return c.second == session; });
}

void SimHost::closeTransfersBeyond(SimSession& session, int others)
{
    for (;;) {
        SimSession* oldest = nullptr;
        int open = 0;
        for (SimSession* other : m_sessions) {
            if (other == &session || !other->hasTransfer() || other->terminal() != session.terminal())
                continue;
            ++open;
            if (!oldest || other->transferStamp() < oldest->transferStamp())
                oldest = other;
        }
        if (open <= others || !oldest)
            return;
        oldest->closeTransfer();
    }
}

void SimHost::makeRoomForTransfer(SimSession& session)
{
    closeTransfersBeyond(session, m_options.maxTransfers - 1);
}

void SimHost::transferOpened(SimSession& session)
{
    closeTransfersBeyond(session, m_options.maxTransfers - 1);
}

void SimHost::makeRoomForConnection()
{
    if (qsizetype(m_connections.size()) < m_options.maxConnections)
        return;
    // A newcomer always gets in: the oldest connection that has not opened a
    // session yet makes room (a client that connects to work opens its
    // session at once), else the one that has been quiet the longest.
    QTcpSocket* victim = nullptr;
    for (const auto& [socket, session] : m_connections)
        if (!session->hasSession()) {
            victim = socket;
            break;
        }
    if (!victim) {
        quint64 quietest = std::numeric_limits<quint64>::max();
        for (const auto& [socket, session] : m_connections)
            if (session->activityStamp() < quietest) {
                quietest = session->activityStamp();
                victim = socket;
            }
    }
    if (!victim)
        return;
    std::erase_if(m_connections, [victim](const auto& c) { return c.first == victim; });
    victim->abort();
    victim->deleteLater();
}

void SimHost::serveSocket(QTcpSocket* socket, SimTerminal* terminal)
{
    makeRoomForConnection();
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Unread requests stay in the socket (and then in the client's) buffers
    // while the session holds back; this bounds what is taken in meanwhile.
    constexpr qint64 kReadPiece = 64 << 10;
    socket->setReadBufferSize(kReadPiece);
    auto* session = new SimSession(*this, SimSession::Transport::Tcp, {terminal}, socket);
    m_connections.emplace_back(socket, session);
    session->setSend([socket](const QByteArray& bytes) { socket->write(bytes); });
    session->setBacklog([socket] { return socket->bytesToWrite(); });
    session->setDrop([socket](bool graceful) {
        if (graceful) {
            socket->disconnectFromHost(); // deleted when disconnected
        } else {
            socket->abort();
            socket->deleteLater();
        }
    });
    auto take = [socket, session] {
        while (session->wantsInput() && socket->bytesAvailable() > 0) {
            const QByteArray bytes = socket->read(kReadPiece);
            session->receive(bytes.constData(), bytes.size());
        }
    };
    connect(socket, &QTcpSocket::readyRead, session, take);
    connect(socket, &QTcpSocket::bytesWritten, session, [session, take] {
        session->resume();
        take();
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

QString SimHost::dataPath(qsizetype i) const
{
    if (m_options.dataDir.isEmpty())
        return QString();
    return QDir(m_options.dataDir).filePath(m_options.terminals.at(i).id + QStringLiteral(".dat"));
}

quint16 SimHost::tcpPort(qsizetype i) const
{
    for (QTcpServer* s : m_servers)
        if (s->property("terminal").toLongLong() == i)
            return s->serverPort();
    return 0;
}

bool SimHost::persist(const SimTerminal& terminal, QString& error)
{
    for (qsizetype i = 0; i < terminalCount(); ++i) {
        if (m_terminals[size_t(i)].get() != &terminal)
            continue;
        SimTerminalStore* store = m_stores[size_t(i)].get();
        return !store || store->append(terminal.pendingChanges(), error);
    }
    return true;
}

bool SimHost::takeCorruptTurn()
{
    ++m_replies;
    return m_options.corruptFrame > 0 && m_replies == m_options.corruptFrame;
}

void SimHost::setOperationOwner(const SimTerminal* terminal, SimSession* session)
{
    m_operationOwners.insert(terminal, session);
}

SimSession* SimHost::operationOwner(const SimTerminal* terminal) const
{
    SimSession* session = m_operationOwners.value(terminal);
    return session && session->serves(terminal) ? session : nullptr;
}

bool SimHost::prepareTerminal(qsizetype i, QString& error, QString& note)
{
    const SimTerminalConfig& c = m_options.terminals.at(i);
    auto terminal = std::make_unique<SimTerminal>(c.machine, c.kind);
    terminal->setCommKey(c.commKey);
    const QString path = dataPath(i);
    std::unique_ptr<SimTerminalStore> store;
    if (!path.isEmpty())
        store = std::make_unique<SimTerminalStore>(path, m_options.crashInCompaction);
    if (store && store->exists()) {
        qint64 replayed = 0;
        if (!store->load(*terminal, error, replayed)) {
            error += QStringLiteral(" (left as it is; move it away to start afresh)");
            return false;
        }
        note = QStringLiteral("loaded %1").arg(path);
        if (replayed > 0)
            note += QStringLiteral(" (%1 journalled changes folded in)").arg(replayed);
    } else {
        if (c.seed.users > 0 || c.seed.logs > 0)
            SimSeeder::seed(terminal->data(), c.seed);
        terminal->rebuildIndex();
        if (store) {
            if (!store->create(terminal->data(), error))
                return false;
            note = QStringLiteral("created %1").arg(path);
        } else {
            note = QStringLiteral("not persisted");
        }
    }
    m_terminals.push_back(std::move(terminal));
    m_stores.push_back(std::move(store));
    return true;
}

bool SimHost::start(QString& error, QStringList& report)
{
    if (!m_options.traceFile.isEmpty() && !m_trace.open(m_options.traceFile, error))
        return false;
    if (!m_options.dataDir.isEmpty() && !QDir().mkpath(m_options.dataDir)) {
        error = QStringLiteral("cannot create data directory %1").arg(m_options.dataDir);
        return false;
    }
    if (!m_options.dataDir.isEmpty() && !m_dataLock.acquire(m_options.dataDir, error))
        return false;
    QStringList notes;
    for (qsizetype i = 0; i < m_options.terminals.size(); ++i) {
        QString note;
        if (!prepareTerminal(i, error, note))
            return false;
        notes << note;
    }

    const QHostAddress bind(m_options.bindAddress);
    if (bind.isNull()) {
        error = QStringLiteral("bad bind address %1").arg(m_options.bindAddress);
        return false;
    }
    QHash<QString, SimPtyLine*> lines;
    QHash<QString, QList<SimTerminal*>> lineTerminals;
    QHash<QString, int> lineBauds;
    for (qsizetype i = 0; i < terminalCount(); ++i) {
        const SimTerminalConfig& c = m_options.terminals.at(i);
        SimTerminal* t = m_terminals[size_t(i)].get();
        if (c.tcpPort >= 0) {
            auto* server = new QTcpServer(this);
            server->setProperty("terminal", qlonglong(i));
            if (!server->listen(bind, quint16(c.tcpPort))) {
                error = QStringLiteral("terminal %1: cannot listen on %2:%3: %4")
                            .arg(c.machine)
                            .arg(m_options.bindAddress)
                            .arg(c.tcpPort)
                            .arg(server->errorString());
                return false;
            }
            connect(server, &QTcpServer::newConnection, this, [this, server, t] {
                while (QTcpSocket* socket = server->nextPendingConnection())
                    serveSocket(socket, t);
            });
            m_servers.push_back(server);
        }
        if (!c.serialPath.isEmpty()) {
            lineTerminals[c.serialPath].append(t);
            lineBauds.insert(c.serialPath, c.lineBaud);
            if (!lines.contains(c.serialPath)) {
                auto* line = new SimPtyLine(this);
                if (!line->open(c.serialPath, error))
                    return false;
                lines.insert(c.serialPath, line);
                m_lines.push_back(line);
            }
        }
    }
    for (auto it = lines.constBegin(); it != lines.constEnd(); ++it) {
        SimPtyLine* line = it.value();
        auto* session = new SimSession(*this, SimSession::Transport::Serial, lineTerminals.value(it.key()), line);
        const int fixedBaud = lineBauds.value(it.key());
        // A fixed speed holds from the start; otherwise each Connect sets it.
        line->setBaud(qMax(0, fixedBaud));
        session->setLineBaud(qMax(0, fixedBaud));
        session->setSend([line](const QByteArray& bytes) { line->write(bytes); });
        session->setBacklog([line] { return line->pendingBytes(); });
        session->setNewSession([line, fixedBaud](int baud) {
            line->discardPending();
            if (fixedBaud < 0)
                line->setBaud(baud);
        });
        line->setReceiver([session](const char* data, qsizetype n) { session->receive(data, n); });
        line->setInputGate([session] { return session->wantsInput(); });
        line->setDrained([session, line] {
            session->resume();
            if (session->wantsInput())
                line->resumeInput();
        });
    }

    for (qsizetype i = 0; i < terminalCount(); ++i) {
        const SimTerminalConfig& c = m_options.terminals.at(i);
        const SimTerminal& t = *m_terminals[size_t(i)];
        QString line = QStringLiteral("terminal %1 kind=%2").arg(t.machineNumber()).arg(SimTerminal::kindName(t.kind()));
        if (c.tcpPort >= 0)
            line += QStringLiteral(" tcp=%1:%2").arg(m_options.bindAddress).arg(tcpPort(i));
        if (!c.serialPath.isEmpty())
            line += QStringLiteral(" serial=%1 (%2)").arg(c.serialPath, lines.value(c.serialPath)->devicePath());
        line += QStringLiteral(" key=%1 users=%2 logs=%3 %4")
                    .arg(c.commKey >= 0 ? QString::number(c.commKey) : QStringLiteral("none"))
                    .arg(t.data().users.size())
                    .arg(t.data().logs.size())
                    .arg(notes.at(i));
        report << line;
    }
    return true;
}
