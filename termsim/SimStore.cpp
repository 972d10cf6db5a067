#include "SimStore.h"

#include "Crc32.h"
#include "WireReader.h"
#include "WireRecords.h"
#include "WireTime.h"
#include "WireWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr char kMagic[4] = {'Q', 'V', 'T', 'D'};
constexpr int kLogRecordSize = 16;
constexpr int kVersion1HeaderSize = 24;
} // namespace

QByteArray SimStore::serialize(const SimTerminalData& data, quint64 journalSequence)
{
    qsizetype estimate = 1024 + qsizetype(data.logs.size()) * kLogRecordSize +
                         qsizetype(data.superLogs.size()) * WireRecords::SuperLogRecordSize +
                         data.enrollTexts.size() * 12;
    for (const SimUser& u : data.users) {
        estimate += 64;
        for (const QByteArray& t : u.templates)
            estimate += t.size() + 2;
    }
    WireWriter w(estimate + HeaderSize);
    w.raw(kMagic, 4).u32(FormatVersion).i64(0).u32(0).u32(0).i64(qint64(journalSequence)); // length, CRC below
    w.u8(quint8(data.kind)).i64(data.clockOffsetSeconds);
    for (qint32 p : data.parameters)
        w.i32(p);
    w.u32(quint32(data.users.size()));
    for (const SimUser& u : data.users) {
        w.str8(u.enroll).str8(u.name).str8(u.password).i32(u.privilege).u8(u.enabled ? 1 : 0);
        quint16 mask = 0;
        for (int f = 0; f < 10; ++f)
            if (!u.templates[size_t(f)].isEmpty())
                mask |= quint16(1u << f);
        w.u16(mask);
        for (int f = 0; f < 10; ++f) {
            const QByteArray& t = u.templates[size_t(f)];
            if (!t.isEmpty()) {
                w.u16(quint16(t.size()));
                w.raw(t.constData(), t.size());
            }
        }
    }
    w.u32(quint32(data.enrollTexts.size()));
    for (const QByteArray& e : data.enrollTexts)
        w.str8(e);
    w.u32(quint32(data.logs.size()));
    {
        QByteArray& out = w.data();
        const qsizetype at = out.size();
        out.resize(at + qsizetype(data.logs.size()) * kLogRecordSize);
        uchar* p = reinterpret_cast<uchar*>(out.data() + at);
        for (const SimLogRecord& r : data.logs) {
            qToLittleEndian<quint32>(r.enrollId, p);
            qToLittleEndian<quint32>(r.time, p + 4);
            qToLittleEndian<quint32>(r.workCode, p + 8);
            p[12] = r.verifyMode;
            p[13] = r.inOutMode;
            p[14] = p[15] = 0;
            p += kLogRecordSize;
        }
    }
    w.u32(quint32(data.superLogs.size()));
    for (const SimSuperLogRecord& r : data.superLogs)
        WireRecords::writeSuperLog(w, r);
    w.u32(quint32(data.firmware.size()));
    for (const SimFirmwareRecord& r : data.firmware)
        w.str16(r.fileName).u32(r.size).u32(r.crc).u32(r.time);

    QByteArray& image = w.data();
    const qsizetype payload = image.size() - HeaderSize;
    auto* h = reinterpret_cast<uchar*>(image.data());
    qToLittleEndian<quint64>(quint64(payload), h + 8);
    qToLittleEndian<quint32>(Crc32::compute(h + HeaderSize, payload), h + 16);
    return image;
}

bool SimStore::plausibleClockOffset(qint64 seconds)
{
    // The wire carries 2000..2135; an offset beyond that span can never be set by a request.
    constexpr qint64 kSpan = qint64(WireTime::MaxYear - WireTime::MinYear + 1) * 366 * 86400;
    return seconds >= -kSpan && seconds <= kSpan;
}

bool SimStore::deserialize(const QByteArray& image, SimTerminalData& out, QString& error, quint64* journalSequence)
{
    if (image.size() < kVersion1HeaderSize) {
        error = QStringLiteral("truncated (%1 bytes, no complete header)").arg(image.size());
        return false;
    }
    const auto* h = reinterpret_cast<const uchar*>(image.constData());
    if (memcmp(h, kMagic, 4) != 0) {
        error = QStringLiteral("not a terminal data file (bad magic)");
        return false;
    }
    const quint32 version = qFromLittleEndian<quint32>(h + 4);
    if (version != 1 && version != FormatVersion) {
        error = QStringLiteral("unsupported format version %1").arg(version);
        return false;
    }
    const int headerSize = version == 1 ? kVersion1HeaderSize : HeaderSize;
    if (image.size() < headerSize) {
        error = QStringLiteral("truncated (%1 bytes, no complete header)").arg(image.size());
        return false;
    }
    const quint64 length = qFromLittleEndian<quint64>(h + 8);
    if (length != quint64(image.size() - headerSize)) {
        error = QStringLiteral("truncated or padded: header announces %1 payload bytes, file has %2")
                    .arg(length)
                    .arg(image.size() - headerSize);
        return false;
    }
    if (Crc32::compute(h + headerSize, qsizetype(length)) != qFromLittleEndian<quint32>(h + 16)) {
        error = QStringLiteral("checksum mismatch");
        return false;
    }

    SimTerminalData d;
    WireReader r(image.constData() + headerSize, qsizetype(length));
    const quint8 kind = r.u8();
    if (kind > quint8(SimKind::Face))
        r.fail();
    d.kind = SimKind(kind);
    d.clockOffsetSeconds = r.i64();
    if (!plausibleClockOffset(d.clockOffsetSeconds))
        r.fail();
    for (qint32& p : d.parameters)
        p = r.i32();
    const quint32 users = r.u32();
    if (quint64(users) * 12 > quint64(r.remaining()))
        r.fail();
    d.users.reserve(r.ok() ? users : 0);
    for (quint32 i = 0; i < users && r.ok(); ++i) {
        SimUser u;
        u.enroll = r.str8();
        u.name = r.str8();
        u.password = r.str8();
        u.privilege = r.i32();
        u.enabled = r.u8() != 0;
        const quint16 mask = r.u16();
        for (int f = 0; f < 10; ++f) {
            if (mask & (1u << f)) {
                const quint16 n = r.u16();
                const char* p = r.take(n);
                if (p)
                    u.templates[size_t(f)] = QByteArray(p, n);
            }
        }
        if (mask >> 10)
            r.fail();
        d.users.push_back(std::move(u));
    }
    const quint32 texts = r.u32();
    if (quint64(texts) > quint64(r.remaining()))
        r.fail();
    for (quint32 i = 0; i < texts && r.ok(); ++i)
        d.enrollTexts.append(r.str8Bytes());
    const quint32 logs = r.u32();
    const char* lp = r.take(qsizetype(logs) * kLogRecordSize);
    if (lp) {
        d.logs.resize(logs);
        const auto* p = reinterpret_cast<const uchar*>(lp);
        for (SimLogRecord& x : d.logs) {
            x.enrollId = qFromLittleEndian<quint32>(p);
            x.time = qFromLittleEndian<quint32>(p + 4);
            x.workCode = qFromLittleEndian<quint32>(p + 8);
            x.verifyMode = p[12];
            x.inOutMode = p[13];
            if (x.enrollId >= texts)
                r.fail();
            p += kLogRecordSize;
        }
    }
    const quint32 supers = r.u32();
    if (quint64(supers) * WireRecords::SuperLogRecordSize > quint64(r.remaining()))
        r.fail();
    for (quint32 i = 0; i < supers && r.ok(); ++i)
        d.superLogs.push_back(WireRecords::readSuperLog(r));
    const quint32 firmware = r.u32();
    if (quint64(firmware) * 14 > quint64(r.remaining()))
        r.fail();
    for (quint32 i = 0; i < firmware && r.ok(); ++i) {
        SimFirmwareRecord f;
        f.fileName = r.str16();
        f.size = r.u32();
        f.crc = r.u32();
        f.time = r.u32();
        d.firmware.push_back(f);
    }
    if (!r.ok() || !r.atEnd()) {
        error = QStringLiteral("inconsistent contents");
        return false;
    }
    // One record per enroll number: the model indexes users by it.
    QSet<QString> enrolls;
    for (const SimUser& u : d.users) {
        if (u.enroll.isEmpty() || enrolls.contains(u.enroll)) {
            error = QStringLiteral("inconsistent contents (user \"%1\" empty or twice)").arg(u.enroll);
            return false;
        }
        enrolls.insert(u.enroll);
    }
    if (journalSequence)
        *journalSequence = version == 1 ? 0 : qFromLittleEndian<quint64>(h + 24);
    out = std::move(d);
    return true;
}

bool SimStore::writeAtomically(const QString& path, const QByteArray& bytes, QString& error,
                               const std::function<void()>& beforeRename)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = target + ".tmp";
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = QStringLiteral("cannot create %1: %2").arg(QString::fromLocal8Bit(temp), QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = QStringLiteral("cannot write %1: %2").arg(QString::fromLocal8Bit(temp), QString::fromLocal8Bit(strerror(errno)));
            ::close(fd);
            ::unlink(temp.constData());
            return false;
        }
        p += n;
        left -= n;
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        error = QStringLiteral("cannot flush %1: %2").arg(QString::fromLocal8Bit(temp), QString::fromLocal8Bit(strerror(errno)));
        ::unlink(temp.constData());
        return false;
    }
    if (beforeRename)
        beforeRename();
    if (::rename(temp.constData(), target.constData()) != 0) {
        error = QStringLiteral("cannot rename %1: %2").arg(QString::fromLocal8Bit(temp), QString::fromLocal8Bit(strerror(errno)));
        ::unlink(temp.constData());
        return false;
    }
    syncDirectory(path);
    return true;
}

void SimStore::syncDirectory(const QString& filePath)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

bool SimStore::load(const QString& path, SimTerminalData& data, QString& error, quint64* journalSequence)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    return deserialize(file.readAll(), data, error, journalSequence);
}
