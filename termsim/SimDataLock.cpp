#include "SimDataLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString errnoText()
{
    return QString::fromLocal8Bit(strerror(errno));
}

// "termsim (pid 1234)", from the kernel's name of the process when it can be read.
QString describeProcess(pid_t pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    QString name;
    if (comm.open(QIODevice::ReadOnly))
        name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("process");
    return QStringLiteral("%1 (pid %2)").arg(name).arg(pid);
}

} // namespace

SimDataLock::~SimDataLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock; the file stays, it is only a place to lock
}

bool SimDataLock::acquire(const QString& dataDir, QString& error)
{
    const QString path = QDir(dataDir).filePath(QStringLiteral("termsim.lock"));
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = QStringLiteral("cannot open the lock file %1: %2").arg(path, errnoText());
        return false;
    }
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
        const int why = errno;
        struct flock holder = {};
        holder.l_type = F_WRLCK;
        holder.l_whence = SEEK_SET;
        QString who = QStringLiteral("another process");
        if (::fcntl(fd, F_GETLK, &holder) == 0 && holder.l_type != F_UNLCK)
            who = describeProcess(holder.l_pid);
        ::close(fd);
        if (why == EACCES || why == EAGAIN)
            error = QStringLiteral("data directory %1 is in use by %2; two processes on one data directory would "
                                   "overwrite each other's changes")
                        .arg(dataDir, who);
        else
            error = QStringLiteral("cannot lock %1: %2").arg(path, QString::fromLocal8Bit(strerror(why)));
        return false;
    }
    // The process id in the file is for people looking at the directory; the lock is what counts.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    [[maybe_unused]] const int truncated = ::ftruncate(fd, 0);
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
    m_fd = fd;
    return true;
}
