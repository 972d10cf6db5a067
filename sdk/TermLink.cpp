#include "TermLink.h"

#include "TermError.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTcpSocket>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
constexpr qint64 kReadBufferLimit = 4 << 20;
constexpr qint64 kReadPiece = 256 << 10;

int remainingMs(const QDeadlineTimer& deadline)
{
    if (deadline.isForever())
        return std::numeric_limits<int>::max();
    return int(qBound<qint64>(0, deadline.remainingTime(), qint64(std::numeric_limits<int>::max())));
}

// Resolves a host name within the deadline. The system's lookup cannot be
// interrupted, so it runs on a thread of its own that is left to finish (and
// its answer dropped) when the deadline passes first.
bool resolve(const QString& host, QDeadlineTimer deadline, QHostAddress& address, int& code, QString& detail)
{
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        QList<QHostAddress> addresses;
        QString error;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host] {
        const QHostInfo info = QHostInfo::fromName(host);
        std::lock_guard lock(lookup->mutex);
        lookup->addresses = info.addresses();
        lookup->error = info.errorString();
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(remainingMs(deadline));
    if (!lookup->done.wait_until(lock, until, [&] { return lookup->finished; })) {
        code = TermError::ConnectTimeout;
        detail = QStringLiteral("looking up the host name %1 took longer than the connect timeout").arg(host);
        return false;
    }
    if (lookup->addresses.isEmpty()) {
        code = TermError::ConnectionRefused;
        detail = QStringLiteral("host name %1 not found: %2").arg(host, lookup->error);
        return false;
    }
    address = lookup->addresses.first();
    for (const QHostAddress& a : lookup->addresses)
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            address = a;
            break;
        }
    return true;
}
} // namespace

TermLink::TermLink() = default;

TermLink::~TermLink()
{
    close();
}

int TermLink::openTcp(const QString& host, quint16 port, QDeadlineTimer deadline)
{
    close();
    // Connecting to a name would resolve it with a blocking lookup that no
    // timeout bounds; resolve here, within the deadline, and connect to the address.
    QHostAddress address;
    if (!address.setAddress(host)) {
        int code = TermError::None;
        if (!resolve(host, deadline, address, code, m_detail))
            return code;
    }
    auto socket = std::make_unique<QTcpSocket>();
    socket->setReadBufferSize(kReadBufferLimit);
    socket->connectToHost(address, port);
    if (!socket->waitForConnected(qMax(1, remainingMs(deadline)))) {
        const auto error = socket->error();
        m_detail = socket->errorString();
        socket->abort();
        switch (error) {
        case QAbstractSocket::SocketTimeoutError:
            return TermError::ConnectTimeout;
        case QAbstractSocket::ConnectionRefusedError:
        case QAbstractSocket::HostNotFoundError:
        case QAbstractSocket::RemoteHostClosedError:
            return TermError::ConnectionRefused;
        default:
            return socket->state() == QAbstractSocket::UnconnectedState && error == QAbstractSocket::UnknownSocketError
                       ? TermError::ConnectTimeout
                       : TermError::ConnectionRefused;
        }
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_tcp = std::move(socket);
    m_device = m_tcp.get();
    m_decoder.reset();
    m_detail.clear();
    watchIdle();
    return TermError::None;
}

int TermLink::openSerial(const QString& devicePath, int baudRate)
{
    close();
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(devicePath);
    port->setReadBufferSize(kReadBufferLimit);
    if (!port->open(QIODevice::ReadWrite)) {
        m_detail = devicePath + QStringLiteral(": ") + port->errorString();
        return TermError::ConnectionRefused;
    }
    // A pseudo-terminal takes any speed and has no modem lines; failures to set
    // either are not fatal, the line works all the same.
    if (baudRate > 0)
        port->setBaudRate(baudRate);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    port->clear(); // drop what a previous session left on the line
    port->clearError();
    m_serial = std::move(port);
    m_serialPath = devicePath;
    m_baud = baudRate;
    m_device = m_serial.get();
    m_decoder.reset();
    m_detail.clear();
    watchIdle();
    return TermError::None;
}

void TermLink::close()
{
    if (m_tcp) {
        m_tcp->abort();
        m_tcp.reset();
    }
    if (m_serial) {
        m_serial->close();
        m_serial.reset();
    }
    m_device = nullptr;
    m_decoder.reset();
    m_idleFailure = TermError::None;
}

void TermLink::watchIdle()
{
    m_idleFailure = TermError::None;
    // The blocking waits inside call() emit readyRead as well; readIdle()
    // leaves those bytes to receive().
    QObject::connect(m_device, &QIODevice::readyRead, m_device, [this] { readIdle(); });
}

void TermLink::readIdle()
{
    if (m_inCall || !m_device || m_idleFailure != TermError::None)
        return;
    while (m_device->bytesAvailable() > 0) {
        m_readBuffer.resize(kReadPiece);
        const qint64 n = m_device->read(m_readBuffer.data(), kReadPiece);
        if (n <= 0)
            break;
        m_bytesMoved += n;
        m_decoder.feed(m_readBuffer.constData(), n);
    }
    WireFrame frame;
    for (;;) {
        const auto result = m_decoder.next(frame);
        if (result == WireDecoder::Result::NeedMore)
            return;
        if (result == WireDecoder::Result::Error) {
            if (m_serial) { // line noise: look for the next frame, as receive() does
                m_decoder.resync();
                continue;
            }
            m_idleFailure = TermError::ProtocolError;
            m_idleDetail = QString::fromLatin1(WireDecoder::errorText(m_decoder.error()));
            return;
        }
        if (frame.kind == WireFrame::Event) {
            queueEvent(std::move(frame));
        } else if (frame.kind != WireFrame::Reply && !m_serial) {
            m_idleFailure = TermError::ProtocolError;
            m_idleDetail = QStringLiteral("unexpected request frame from the terminal");
            return;
        }
        // A reply while no call waits answers a request that timed out: skip it.
    }
}

void TermLink::queueEvent(WireFrame&& frame)
{
    if (m_events.size() >= MaxQueuedEvents)
        return; // nobody takes them: keep the oldest, drop the rest
    m_events.append(std::move(frame));
    if (m_eventsArrived)
        m_eventsArrived();
}

bool TermLink::takeEvent(WireFrame& frame)
{
    if (m_events.isEmpty())
        return false;
    frame = m_events.takeFirst();
    return true;
}

bool TermLink::isOpen() const
{
    return m_device != nullptr;
}

bool TermLink::deviceBroken() const
{
    if (m_tcp)
        return m_tcp->state() != QAbstractSocket::ConnectedState;
    if (m_serial) {
        const auto e = m_serial->error();
        return !m_serial->isOpen() || e == QSerialPort::ReadError || e == QSerialPort::WriteError ||
               e == QSerialPort::ResourceError;
    }
    return true;
}

QString TermLink::brokenDetail(const char* doing) const
{
    if (m_serial) {
        // The port's own text is the last system call's ("Inappropriate ioctl
        // for device" on a pseudo-terminal): say what it means instead.
        const QString what = m_serial->error() == QSerialPort::ResourceError
                                 ? QStringLiteral("the serial device went away")
                                 : QStringLiteral("%1 failed: the far end of the line is gone").arg(QLatin1String(doing));
        return QStringLiteral("serial line %1 lost: %2").arg(m_serialPath, what);
    }
    const QString text = m_device ? m_device->errorString() : QString();
    return QStringLiteral("%1 failed: %2")
        .arg(QLatin1String(doing), text.isEmpty() ? QStringLiteral("connection closed") : text);
}

int TermLink::lost(const QString& detail)
{
    m_detail = detail;
    close();
    return TermError::ConnectionLost;
}

int TermLink::call(quint16 op, const QByteArray& payload, WireFrame& reply, int inactivityMs,
                   QDeadlineTimer deadline)
{
    if (!m_device)
        return TermError::NotConnected;
    if (m_idleFailure != TermError::None) {
        const int rc = m_idleFailure;
        m_detail = m_idleDetail;
        close();
        return rc;
    }
    if (quint64(payload.size()) > WireFrame::MaxPayload)
        return TermError::InvalidArgument;
    m_inCall = true;
    // Event frames that came with the reply are already read from the device
    // and would wait for the next call; take them now.
    const auto done = qScopeGuard([this] {
        m_inCall = false;
        readIdle();
    });
    const quint32 sequence = ++m_sequence;
    QByteArray frame;
    frame.reserve(payload.size() + WireFrame::HeaderSize + WireFrame::TrailerSize);
    WireFrame::appendEncoded(frame, WireFrame::Request, sequence, op, 0, payload.constData(), payload.size());
    if (const int rc = send(frame, inactivityMs, deadline); rc != TermError::None)
        return rc;
    return receive(sequence, reply, inactivityMs, deadline);
}

int TermLink::send(const QByteArray& frame, int inactivityMs, QDeadlineTimer deadline)
{
    if (m_device->write(frame) != frame.size())
        return lost(brokenDetail("write"));
    m_bytesMoved += frame.size();
    QDeadlineTimer idle(qMax(1, inactivityMs));
    qint64 left = m_device->bytesToWrite();
    while (left > 0) {
        if (idle.hasExpired() || deadline.hasExpired()) {
            m_detail = QStringLiteral("request not sent: the line took no byte for %1 ms").arg(inactivityMs);
            return TermError::ReplyTimeout;
        }
        const int wait = qMax(1, qMin(remainingMs(idle), remainingMs(deadline)));
        if (!m_device->waitForBytesWritten(wait)) {
            if (deviceBroken())
                return lost(brokenDetail("write"));
            if (m_serial)
                m_serial->clearError();
        }
        const qint64 now = m_device->bytesToWrite();
        if (now < left)
            idle = QDeadlineTimer(qMax(1, inactivityMs)); // the line is moving
        left = now;
    }
    return TermError::None;
}

int TermLink::receive(quint32 sequence, WireFrame& reply, int inactivityMs, QDeadlineTimer deadline)
{
    QDeadlineTimer idle(qMax(1, inactivityMs));
    QElapsedTimer sinceByte;
    sinceByte.start();
    bool skipped = false; // bytes that were no reply were dropped while resynchronising
    for (;;) {
        // Take every complete frame already buffered.
        for (;;) {
            const auto result = m_decoder.next(reply);
            if (result == WireDecoder::Result::NeedMore)
                break;
            if (result == WireDecoder::Result::Error) {
                if (m_serial) {
                    m_decoder.resync();
                    skipped = true;
                    continue;
                }
                m_detail = QString::fromLatin1(WireDecoder::errorText(m_decoder.error()));
                close();
                return TermError::ProtocolError;
            }
            if (reply.kind == WireFrame::Event) {
                queueEvent(std::move(reply));
                continue;
            }
            if (reply.kind != WireFrame::Reply) {
                if (m_serial)
                    continue; // our own request echoed, or noise that looked like one
                m_detail = QStringLiteral("unexpected request frame from the terminal");
                close();
                return TermError::ProtocolError;
            }
            if (reply.sequence == sequence)
                return TermError::None;
            // A late reply to an earlier request that timed out: skip it.
        }
        if (m_device->bytesAvailable() > 0) {
            m_readBuffer.resize(kReadPiece);
            const qint64 n = m_device->read(m_readBuffer.data(), kReadPiece);
            if (n < 0)
                return lost(brokenDetail("read"));
            m_bytesMoved += n;
            m_decoder.feed(m_readBuffer.constData(), n);
            if (n > 0) {
                idle = QDeadlineTimer(qMax(1, inactivityMs));
                sinceByte.start();
            }
            continue;
        }
        if (deviceBroken())
            return lost(brokenDetail("read"));
        const bool midFrame = m_serial && m_decoder.pendingBytes() > 0;
        if (midFrame && sinceByte.elapsed() >= FrameGapMs) {
            // The rest of that frame is not coming: look for the next one.
            m_decoder.resync();
            skipped = true;
            continue;
        }
        if (idle.hasExpired() || deadline.hasExpired()) {
            m_detail = idle.hasExpired() ? QStringLiteral("no reply: the terminal sent nothing for %1 ms").arg(inactivityMs)
                                         : QStringLiteral("no reply in time");
            if (skipped)
                m_detail += QStringLiteral(" (bytes that were no reply were skipped)");
            return TermError::ReplyTimeout;
        }
        int wait = qMin(remainingMs(idle), remainingMs(deadline));
        if (midFrame)
            wait = qMin<int>(wait, int(FrameGapMs - sinceByte.elapsed()));
        if (!m_device->waitForReadyRead(qMax(1, wait))) {
            if (m_device->bytesAvailable() > 0)
                continue;
            if (deviceBroken())
                return lost(brokenDetail("read"));
            if (m_serial)
                m_serial->clearError();
        }
    }
}
