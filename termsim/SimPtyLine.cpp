#include "SimPtyLine.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <limits>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

SimPtyLine::SimPtyLine(QObject* parent) : QObject(parent) {}

SimPtyLine::~SimPtyLine()
{
    if (!m_link.isEmpty()) {
        const QFileInfo info(m_link);
        if (info.isSymLink() && info.symLinkTarget() == m_device)
            QFile::remove(m_link);
    }
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool SimPtyLine::open(const QString& linkPath, QString& error)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        error = QStringLiteral("openpty failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B19200);
        ::cfsetospeed(&tio, B19200);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_device = QString::fromLocal8Bit(name);

    const QFileInfo info(linkPath);
    if (info.exists() || info.isSymLink()) {
        if (!info.isSymLink()) {
            error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(linkPath);
            return false;
        }
        QFile::remove(linkPath);
    }
    if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0) {
        error = QStringLiteral("cannot create symbolic link %1: %2").arg(linkPath, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_link = linkPath;

    m_readNotifier = new QSocketNotifier(qintptr(m_master), QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { readable(); });
    m_writeNotifier = new QSocketNotifier(qintptr(m_master), QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { flush(); });
    m_pace = new QTimer(this);
    m_pace->setTimerType(Qt::PreciseTimer);
    m_pace->setInterval(5);
    connect(m_pace, &QTimer::timeout, this, [this] { tick(); });
    m_inClock.start();
    m_outClock.start();
    return true;
}

void SimPtyLine::setBaud(int baud)
{
    m_baud = qMax(0, baud);
    m_inCredit = 0;
    m_outCredit = 0;
    m_inClock.start();
    m_outClock.start();
}

qint64 SimPtyLine::allowance(double& credit, QElapsedTimer& clock) const
{
    if (m_baud <= 0)
        return std::numeric_limits<qint64>::max();
    const double rate = m_baud / 10.0; // bytes per second
    // While busy, what a late pacing tick owes is paid, up to 50 ms of line time.
    const double most = qMax(1.0, rate * 0.05);
    credit = qMin(most, credit + clock.nsecsElapsed() * 1e-9 * rate);
    clock.start();
    return qint64(credit);
}

void SimPtyLine::startFromQuiet(double& credit, QElapsedTimer& clock)
{
    // A line that was quiet owes no speed: the first byte takes its own time.
    credit = 0;
    clock.start();
}

void SimPtyLine::resumeInput()
{
    if (!m_inputHeld)
        return;
    m_inputHeld = false;
    m_readNotifier->setEnabled(true);
}

void SimPtyLine::readable()
{
    char buffer[64 * 1024];
    for (;;) {
        if (m_gate && !m_gate()) {
            m_inputHeld = true;
            m_readNotifier->setEnabled(false);
            return;
        }
        if (!m_inputPaced && m_lastRead.isValid() && m_lastRead.elapsed() > kQuietMs)
            startFromQuiet(m_inCredit, m_inClock);
        const qint64 allowed = allowance(m_inCredit, m_inClock);
        if (allowed <= 0) {
            m_inputPaced = true;
            // The line has carried all it could so far: the rest waits in the
            // pseudo-terminal until the next tick.
            m_readNotifier->setEnabled(false);
            m_pace->start();
            return;
        }
        const ssize_t n = ::read(m_master, buffer, size_t(qMin<qint64>(allowed, qint64(sizeof buffer))));
        if (n > 0) {
            m_lastRead.start();
            m_inputPaced = false;
            if (m_baud > 0)
                m_inCredit -= double(n);
            if (m_receiver)
                m_receiver(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: drained. EIO cannot last while the slave is held open here.
        return;
    }
}

void SimPtyLine::tick()
{
    if (!m_inputHeld && !m_readNotifier->isEnabled())
        m_readNotifier->setEnabled(true);
    flush();
    if (pendingBytes() == 0 && m_readNotifier->isEnabled())
        m_pace->stop();
}

void SimPtyLine::write(const QByteArray& bytes)
{
    if (pendingBytes() == 0)
        startFromQuiet(m_outCredit, m_outClock);
    m_pending.append(bytes);
    flush();
}

void SimPtyLine::discardPending()
{
    m_pending.clear();
    m_pendingPos = 0;
}

void SimPtyLine::flush()
{
    const qint64 before = pendingBytes();
    while (pendingBytes() > 0) {
        const qint64 allowed = allowance(m_outCredit, m_outClock);
        if (allowed <= 0) {
            m_pace->start();
            break;
        }
        const size_t want = size_t(qMin<qint64>(allowed, pendingBytes()));
        const ssize_t n = ::write(m_master, m_pending.constData() + m_pendingPos, want);
        if (n > 0) {
            m_pendingPos += n;
            if (m_baud > 0)
                m_outCredit -= double(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        discardPending(); // the line is gone
        break;
    }
    m_writeNotifier->setEnabled(false);
    if (pendingBytes() == 0) {
        discardPending();
    } else if (m_pendingPos > (1 << 20) && m_pendingPos > m_pending.size() / 2) {
        m_pending.remove(0, m_pendingPos);
        m_pendingPos = 0;
    }
    if (pendingBytes() < before && m_drained)
        m_drained();
}
