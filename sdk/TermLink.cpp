#include "TermLink.h"

#include "TermError.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTcpSocket>

namespace {
constexpr qint64 kReadBufferLimit = 4 << 20;
constexpr qint64 kReadPiece = 256 << 10;
} // namespace

TermLink::TermLink() = default;

TermLink::~TermLink()
{
    close();
}

int TermLink::openTcp(const QString& host, quint16 port, int timeoutMs)
{
    close();
    auto socket = std::make_unique<QTcpSocket>();
    socket->setReadBufferSize(kReadBufferLimit);
    socket->connectToHost(host, port);
    if (!socket->waitForConnected(qMax(1, timeoutMs))) {
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
        m_decoder.feed(m_readBuffer.constData(), n);
    }
    WireFrame frame;
    for (;;) {
        const auto result = m_decoder.next(frame);
        if (result == WireDecoder::Result::NeedMore)
            return;
        if (result == WireDecoder::Result::Error) {
            m_idleFailure = TermError::ProtocolError;
            m_idleDetail = QString::fromLatin1(WireDecoder::errorText(m_decoder.error()));
            return;
        }
        if (frame.kind == WireFrame::Event) {
            queueEvent(std::move(frame));
        } else if (frame.kind != WireFrame::Reply) {
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

int TermLink::lost(const QString& detail)
{
    m_detail = detail;
    close();
    return TermError::ConnectionLost;
}

int TermLink::call(quint16 op, const QByteArray& payload, WireFrame& reply, int timeoutMs)
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
    QDeadlineTimer deadline(qMax(1, timeoutMs));
    if (const int rc = send(frame, timeoutMs); rc != TermError::None)
        return rc;
    return receive(sequence, reply, int(qMax<qint64>(1, deadline.remainingTime())));
}

int TermLink::send(const QByteArray& frame, int timeoutMs)
{
    if (m_device->write(frame) != frame.size())
        return lost(QStringLiteral("write failed: ") + m_device->errorString());
    QDeadlineTimer deadline(qMax(1, timeoutMs));
    while (m_device->bytesToWrite() > 0) {
        if (deadline.hasExpired()) {
            m_detail = QStringLiteral("request not sent in time");
            return TermError::ReplyTimeout;
        }
        if (!m_device->waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (deviceBroken())
                return lost(QStringLiteral("write failed: ") + m_device->errorString());
            if (m_serial)
                m_serial->clearError();
        }
    }
    return TermError::None;
}

int TermLink::receive(quint32 sequence, WireFrame& reply, int timeoutMs)
{
    QDeadlineTimer deadline(qMax(1, timeoutMs));
    for (;;) {
        // Take every complete frame already buffered.
        for (;;) {
            const auto result = m_decoder.next(reply);
            if (result == WireDecoder::Result::NeedMore)
                break;
            if (result == WireDecoder::Result::Error) {
                m_detail = QString::fromLatin1(WireDecoder::errorText(m_decoder.error()));
                close();
                return TermError::ProtocolError;
            }
            if (reply.kind == WireFrame::Event) {
                queueEvent(std::move(reply));
                continue;
            }
            if (reply.kind != WireFrame::Reply) {
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
                return lost(QStringLiteral("read failed: ") + m_device->errorString());
            m_decoder.feed(m_readBuffer.constData(), n);
            continue;
        }
        if (deviceBroken())
            return lost(m_device->errorString());
        if (deadline.hasExpired()) {
            m_detail = QStringLiteral("no reply within %1 ms").arg(timeoutMs);
            return TermError::ReplyTimeout;
        }
        if (!m_device->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (m_device->bytesAvailable() > 0)
                continue;
            if (deviceBroken())
                return lost(m_device->errorString().isEmpty() ? QStringLiteral("connection closed")
                                                               : m_device->errorString());
            if (m_serial)
                m_serial->clearError();
        }
    }
}
