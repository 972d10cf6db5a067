#include "SimJournal.h"

#include "Crc32.h"
#include "SimStore.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[4] = {'Q', 'V', 'T', 'J'};

QString errnoText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

QByteArray header()
{
    QByteArray h(SimJournal::HeaderSize, '\0');
    memcpy(h.data(), kMagic, 4);
    qToLittleEndian<quint32>(SimJournal::FormatVersion, h.data() + 4);
    return h;
}

quint32 entryCrc(const uchar* sequence, const char* record, qsizetype length)
{
    // The CRC covers the sequence too, so an entry cannot pass for another.
    QByteArray covered(reinterpret_cast<const char*>(sequence), 8);
    covered.append(record, length);
    return Crc32::compute(covered.constData(), covered.size());
}

bool writeAll(int fd, const char* p, qsizetype n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, size_t(n));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= w;
    }
    return true;
}

} // namespace

SimJournal::~SimJournal()
{
    close();
}

void SimJournal::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool SimJournal::read(const QString& path, std::vector<Entry>& entries, bool& torn, QString& error)
{
    entries.clear();
    torn = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < HeaderSize || memcmp(bytes.constData(), kMagic, 4) != 0) {
        error = QStringLiteral("%1 is not a journal (%2 bytes, no journal header)").arg(path).arg(bytes.size());
        return false;
    }
    const quint32 version = qFromLittleEndian<quint32>(bytes.constData() + 4);
    if (version != FormatVersion) {
        error = QStringLiteral("%1: unsupported journal version %2").arg(path).arg(version);
        return false;
    }
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    qsizetype at = HeaderSize;
    while (at < bytes.size()) {
        const qsizetype left = bytes.size() - at;
        if (left < EntryHeaderSize) {
            torn = true; // an entry header cut by a crash
            break;
        }
        const quint32 length = qFromLittleEndian<quint32>(p + at);
        const quint32 crc = qFromLittleEndian<quint32>(p + at + 4);
        const quint64 sequence = qFromLittleEndian<quint64>(p + at + 8);
        if (quint64(length) > quint64(left - EntryHeaderSize)) {
            torn = true; // a record cut by a crash
            break;
        }
        const char* record = bytes.constData() + at + EntryHeaderSize;
        const bool last = quint64(length) == quint64(left - EntryHeaderSize);
        if (entryCrc(p + at + 8, record, length) != crc) {
            if (last) {
                torn = true; // the last write did not reach the disk whole
                break;
            }
            error = QStringLiteral("%1: change %2 at byte %3 is damaged (checksum mismatch)").arg(path).arg(sequence).arg(at);
            return false;
        }
        if (!entries.empty() && sequence != entries.back().sequence + 1) {
            error = QStringLiteral("%1: change %2 follows change %3 at byte %4")
                        .arg(path)
                        .arg(sequence)
                        .arg(entries.back().sequence)
                        .arg(at);
            return false;
        }
        entries.push_back({sequence, QByteArray(record, length)});
        at += EntryHeaderSize + qsizetype(length);
    }
    return true;
}

bool SimJournal::writeEmpty(const QString& path, QString& error, const std::function<void()>& beforeRename)
{
    return SimStore::writeAtomically(path, header(), error, beforeRename);
}

bool SimJournal::open(const QString& path, quint64 lastSequence, QString& error)
{
    close();
    m_path = path;
    m_broken.clear();
    const QByteArray name = QFile::encodeName(path);
    m_fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    struct stat st = {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        error = QStringLiteral("cannot open journal %1: %2").arg(path, errnoText(errno));
        close();
        return false;
    }
    m_size = qint64(st.st_size);
    m_lastSequence = lastSequence;
    return true;
}

bool SimJournal::append(const QByteArray& record, QString& error)
{
    if (m_fd < 0) {
        error = QStringLiteral("journal %1 is not open").arg(m_path);
        return false;
    }
    if (!m_broken.isEmpty()) {
        error = m_broken;
        return false;
    }
    const quint64 sequence = m_lastSequence + 1;
    QByteArray entry(EntryHeaderSize, '\0');
    auto* h = reinterpret_cast<uchar*>(entry.data());
    qToLittleEndian<quint32>(quint32(record.size()), h);
    qToLittleEndian<quint64>(sequence, h + 8);
    qToLittleEndian<quint32>(entryCrc(h + 8, record.constData(), record.size()), h + 4);
    entry += record;
    if (!writeAll(m_fd, entry.constData(), entry.size()) || ::fdatasync(m_fd) != 0) {
        const int why = errno;
        error = QStringLiteral("cannot write journal %1: %2").arg(m_path, errnoText(why));
        // Cut the file back, or a restart could replay a change that was refused.
        if (::ftruncate(m_fd, m_size) != 0 || ::fdatasync(m_fd) != 0) {
            m_broken = QStringLiteral("journal %1 could not be cut back after a failed write (%2); no further "
                                      "changes are accepted")
                           .arg(m_path, errnoText(errno));
            error += QStringLiteral("; ") + m_broken;
        }
        return false;
    }
    m_size += entry.size();
    m_lastSequence = sequence;
    return true;
}
