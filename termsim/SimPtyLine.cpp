#include "SimPtyLine.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

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
    return true;
}

void SimPtyLine::readable()
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
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

void SimPtyLine::write(const QByteArray& bytes)
{
    m_pending.append(bytes);
    flush();
}

void SimPtyLine::flush()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        m_pending.clear(); // the line is gone
        break;
    }
    m_writeNotifier->setEnabled(false);
}
