#include "SimSession.h"

#include "Crc32.h"
#include "SimHost.h"
#include "SimStore.h"
#include "SimTerminal.h"
#include "TermError.h"
#include "WireOp.h"
#include "WireReader.h"
#include "WireRecords.h"
#include "WireTime.h"
#include "WireWriter.h"

#include <QTimer>

namespace {

constexpr qsizetype kChunkBytes = 256 << 10;
constexpr qsizetype kMinSerialChunkBytes = 256;
constexpr qsizetype kMaxUpload = 64 << 20;

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The records of a bulk transfer cut into chunks of about chunkBytes, with the
// number of records in each.
struct Chunks {
    std::vector<QByteArray> bytes;
    std::vector<quint32> counts;
};

// writeOne(WireWriter&, const Record&) appends one record in its wire layout.
template <typename Records, typename WriteOne>
Chunks chunked(const Records& records, qsizetype chunkBytes, WriteOne writeOne)
{
    Chunks out;
    WireWriter w(chunkBytes + 64);
    quint32 n = 0;
    for (const auto& record : records) {
        writeOne(w, record);
        ++n;
        if (w.size() >= chunkBytes) {
            out.bytes.push_back(std::move(w.data()));
            out.counts.push_back(n);
            w = WireWriter(chunkBytes + 64);
            n = 0;
        }
    }
    if (n > 0) {
        out.bytes.push_back(std::move(w.data()));
        out.counts.push_back(n);
    }
    return out;
}

} // namespace

SimSession::SimSession(SimHost& host, Transport transport, QList<SimTerminal*> terminals, QObject* parent)
    : QObject(parent), m_host(host), m_transport(transport), m_candidates(std::move(terminals)),
      m_decoder(quint32(host.options().maxFrameBytes))
{
    m_frameTimer = new QTimer(this);
    m_frameTimer->setSingleShot(true);
    m_frameTimer->setInterval(transport == Transport::Serial ? host.options().frameGapMs
                                                             : host.options().frameTimeoutS * 1000);
    connect(m_frameTimer, &QTimer::timeout, this, [this] { frameTimedOut(); });
    m_idleTimer = new QTimer(this);
    m_idleTimer->setSingleShot(true);
    m_idleTimer->setInterval(host.options().idleTimeoutS * 1000);
    connect(m_idleTimer, &QTimer::timeout, this, [this] { idleTimedOut(); });
    if (transport == Transport::Tcp)
        m_idleTimer->start(); // a connection that never asks anything goes too
    m_host.sessionCreated(this);
}

SimSession::~SimSession()
{
    m_host.sessionGone(this);
}

bool SimSession::wantsInput() const
{
    return !m_dropped && (!m_backlog || m_backlog() < m_host.options().maxUnsentBytes);
}

void SimSession::receive(const char* data, qsizetype length)
{
    if (m_dropped)
        return;
    m_decoder.feed(data, length);
    if (m_transport == Transport::Serial)
        m_frameTimer->stop(); // bytes arrived: the gap starts again
    serve();
}

void SimSession::resume()
{
    if (!m_dropped)
        serve();
}

void SimSession::serve()
{
    WireFrame frame;
    while (wantsInput()) {
        const auto result = m_decoder.next(frame);
        if (result == WireDecoder::Result::NeedMore)
            break;
        if (result == WireDecoder::Result::Error) {
            // TCP: the stream cannot be trusted any more. Serial: line noise or
            // a client that went away in the middle of a frame; look for the
            // next frame start in what is buffered.
            if (m_transport == Transport::Tcp) {
                dropConnection();
                return;
            }
            m_decoder.resync();
            continue;
        }
        m_frameTimer->stop();
        if (frame.kind != WireFrame::Request)
            continue; // an echo or another terminal's reply on a shared line
        m_activityStamp = m_host.nextStamp();
        handle(frame);
        if (m_dropped)
            return;
        if (m_transport == Transport::Tcp || m_terminal)
            m_idleTimer->start();
        else
            m_idleTimer->stop();
    }
    // A frame begun: serial lines allow a gap between bytes, TCP a time for
    // the whole frame. Bytes held back by a full backlog are not late.
    if (m_decoder.pendingBytes() > 0 && wantsInput()) {
        if (m_transport == Transport::Serial || !m_frameTimer->isActive())
            m_frameTimer->start();
    } else {
        m_frameTimer->stop();
    }
}

void SimSession::frameTimedOut()
{
    if (m_dropped || m_decoder.pendingBytes() == 0)
        return;
    if (m_transport == Transport::Tcp) {
        dropConnection();
        return;
    }
    // The rest of the frame is not coming (a client that went away, a lost
    // byte): the next frame may already be in what arrived meanwhile.
    m_decoder.resync();
    serve();
}

void SimSession::idleTimedOut()
{
    if (m_transport == Transport::Tcp)
        dropConnection();
    else
        endSession();
}

qsizetype SimSession::chunkBytes() const
{
    if (m_transport == Transport::Tcp)
        return kChunkBytes;
    // About one second of line time per chunk: a reply never waits long
    // behind the line, and a lost one costs a second.
    const int baud = m_lineBaud > 0 ? m_lineBaud : m_sessionBaud;
    if (baud <= 0)
        return kChunkBytes;
    return qBound<qsizetype>(kMinSerialChunkBytes, baud / 10, kChunkBytes);
}

void SimSession::handle(const WireFrame& request)
{
    WireReader r(request.payload);
    QStringList args;
    QString name;
    int machine = m_terminal ? m_terminal->machineNumber() : 0;
    Result result;
    if (request.op == quint16(WireOp::Connect))
        result = connectSession(r, args, name, machine);
    else
        result = dispatch(request, r, args, name);
    if (m_terminal)
        machine = m_terminal->machineNumber();
    if (!name.isEmpty())
        m_host.trace().write(machine, name, args);
    // A change is kept only once it is stored: when storing fails, or the
    // operation failed after changing anything, the terminal goes back to how it was.
    for (SimTerminal* t : m_candidates) {
        if (!t->hasPendingChanges())
            continue;
        QString error;
        if (result.status != TermError::None) {
            t->rollbackChanges();
        } else if (m_host.persist(*t, error)) {
            t->commitChanges();
        } else {
            qWarning("termsim: %s", qPrintable(error));
            t->rollbackChanges();
            result.status = TermError::StorageError;
        }
    }
    if (result.status != TermError::None)
        result.payload.clear();
    reply(request, result);
}

SimSession::Result SimSession::connectSession(WireReader& r, QStringList& args, QString& name, int& machine)
{
    Result res;
    r.u8(); // the client's transport; this side knows its own
    const int wanted = r.i32();
    const int key = r.i32();
    const int port = r.i32();
    const int baud = r.i32();
    const QString address = r.str8();
    if (!r.ok() || !r.atEnd()) {
        res.status = TermError::ProtocolError;
        return res;
    }
    m_terminal = nullptr;
    closeTransfer();
    m_upload.clear();
    m_sessionBaud = baud;
    if (m_newSession)
        m_newSession(baud);
    if (m_transport == Transport::Tcp) {
        name = QStringLiteral("ConnectNetwork");
        args << address << QString::number(port);
    } else {
        name = QStringLiteral("ConnectSerial");
        args << QString::number(port) << QString::number(wanted) << QString::number(baud);
    }
    machine = wanted;
    if (m_host.options().refuseConnects) {
        res.status = TermError::ConnectionRefused;
        res.dropAfterReply = true;
        return res;
    }
    SimTerminal* chosen = nullptr;
    if (m_transport == Transport::Tcp) {
        chosen = m_candidates.value(0);
    } else {
        for (SimTerminal* t : m_candidates)
            if (t->machineNumber() == wanted)
                chosen = t;
    }
    if (!chosen) {
        res.status = TermError::NoSuchMachine;
        return res;
    }
    machine = chosen->machineNumber();
    if (chosen->commKey() >= 0 && key != chosen->commKey()) {
        res.status = TermError::WrongCommKey;
        res.dropAfterReply = m_transport == Transport::Tcp;
        return res;
    }
    m_terminal = chosen;
    WireWriter w;
    w.u8(quint8(chosen->kind())).i32(chosen->machineNumber());
    res.payload = w.data();
    return res;
}

SimSession::Result SimSession::openTransfer(std::vector<QByteArray> chunks, std::vector<quint32> counts,
                                            quint32 total, bool logRecords)
{
    m_chunks = std::move(chunks);
    m_chunkCounts = std::move(counts);
    m_transferIsLog = logRecords;
    m_logRecordsSent = 0;
    ++m_transferId;
    m_transferStamp = m_host.nextStamp();
    if (!m_chunks.empty())
        m_host.transferOpened(*this);
    Result res;
    WireWriter w;
    w.u32(m_transferId).u32(total).u32(quint32(m_chunks.size()));
    res.payload = w.data();
    return res;
}

SimSession::Result SimSession::readChunk(WireReader& r)
{
    Result res;
    const quint32 transfer = r.u32();
    const quint32 index = r.u32();
    if (!r.ok() || !r.atEnd()) {
        res.status = TermError::ProtocolError;
        return res;
    }
    if (transfer != m_transferId || index >= m_chunks.size()) {
        res.status = TermError::InvalidArgument;
        return res;
    }
    m_transferStamp = m_host.nextStamp();
    const quint32 count = m_chunkCounts[index];
    const qint64 dropAfter = m_host.options().dropAfter;
    if (m_transferIsLog && dropAfter >= 0 && m_logRecordsSent + count > dropAfter) {
        res.status = 0xFFFF; // no reply: the connection goes down
        return res;
    }
    if (m_transferIsLog)
        m_logRecordsSent += count;
    WireWriter w(m_chunks[index].size() + 12);
    w.u32(transfer).u32(index).u32(count).raw(m_chunks[index].constData(), m_chunks[index].size());
    res.payload = w.data();
    if (index + 1 == m_chunks.size())
        closeTransfer(); // last chunk served: its memory is not needed any more
    return res;
}

SimSession::Result SimSession::putChunk(WireReader& r)
{
    Result res;
    const quint32 offset = r.u32();
    const quint32 n = r.u32();
    const char* p = r.take(n);
    if (!r.ok() || !r.atEnd()) {
        res.status = TermError::ProtocolError;
        return res;
    }
    if (offset == 0)
        m_upload.clear();
    if (offset != quint32(m_upload.size()) || m_upload.size() + qsizetype(n) > kMaxUpload) {
        m_upload.clear();
        res.status = TermError::InvalidArgument;
        return res;
    }
    m_upload.append(p, n);
    return res;
}

SimSession::Result SimSession::takeUpload(WireReader& r, QByteArray& content, quint32& crc)
{
    Result res;
    const quint32 size = r.u32();
    crc = r.u32();
    content = std::move(m_upload);
    m_upload = QByteArray();
    if (!r.ok()) {
        res.status = TermError::ProtocolError;
        return res;
    }
    if (quint32(content.size()) != size || Crc32::compute(content.constData(), content.size()) != crc)
        res.status = TermError::InvalidArgument;
    return res;
}

SimSession::Result SimSession::dispatch(const WireFrame& request, WireReader& r, QStringList& args, QString& name)
{
    Result res;
    const auto op = WireOp(request.op);
    if (op == WireOp::ReadChunk) {
        if (!m_terminal) {
            res.status = TermError::NotConnected;
            return res;
        }
        return readChunk(r);
    }
    if (op == WireOp::PutChunk) {
        if (!m_terminal) {
            res.status = TermError::NotConnected;
            return res;
        }
        return putChunk(r);
    }
    name = wireOpName(request.op);
    if (name.isEmpty() || op == WireOp::Connect) {
        name.clear();
        res.status = TermError::Refused; // an operation this terminal does not know
        return res;
    }
    const int machine = r.i32();
    args << QString::number(machine);
    if (!r.ok()) {
        res.status = TermError::ProtocolError;
        return res;
    }
    if (!m_terminal) {
        res.status = TermError::NotConnected;
        return res;
    }
    if (m_transport == Transport::Serial && machine != m_terminal->machineNumber() && op != WireOp::Disconnect) {
        res.status = TermError::NoSuchMachine;
        return res;
    }
    SimTerminal& t = *m_terminal;
    if (op == WireOp::LoadAllLogs || op == WireOp::LoadLogs || op == WireOp::LoadAllUserIds ||
        op == WireOp::LoadSuperLogs || op == WireOp::BackupData) {
        // Room first, then the new transfer's copy of the data: never one
        // more transfer in memory than allowed, not even for a moment.
        closeTransfer();
        m_host.makeRoomForTransfer(*this);
    }
    // Each case reads its remaining arguments, then checks r before acting.
    auto malformed = [&] {
        if (r.ok() && r.atEnd())
            return false;
        res.status = TermError::ProtocolError;
        return true;
    };
    switch (op) {
    case WireOp::Disconnect:
        args.clear();
        if (malformed())
            break;
        res.dropAfterReply = true;
        break;
    case WireOp::SetDeviceEnabled: {
        const bool on = r.u8() != 0;
        args << flag(on);
        if (malformed())
            break;
        t.setDeviceEnabled(on);
        break;
    }
    case WireOp::RefreshDeviceData:
    case WireOp::ClearLCD:
    case WireOp::CancelOperation:
        if (op != WireOp::RefreshDeviceData)
            args.clear();
        if (malformed())
            break;
        if (op == WireOp::ClearLCD)
            t.clearLcd();
        else if (op == WireOp::CancelOperation)
            t.cancelOperation();
        break;
    case WireOp::LoadAllLogs:
    case WireOp::LoadLogs: {
        if (malformed())
            break;
        const SimTerminalData& d = t.data();
        Chunks c = chunked(d.logs, chunkBytes(), [&d](WireWriter& w, const SimLogRecord& rec) {
            const QByteArray& e = d.enrollTexts.at(rec.enrollId);
            WireRecords::appendLog(w.data(), e.constData(), int(e.size()), rec.time, rec.verifyMode, rec.inOutMode,
                                   rec.workCode);
        });
        res = openTransfer(std::move(c.bytes), std::move(c.counts), quint32(d.logs.size()), true);
        break;
    }
    case WireOp::LoadAllUserIds: {
        if (malformed())
            break;
        Chunks c = chunked(t.data().users, chunkBytes(), [](WireWriter& w, const SimUser& u) {
            w.str8(u.enroll).str8(u.name).str8(u.password).u8(quint8(qBound(0, u.privilege, 255))).u8(u.enabled);
        });
        res = openTransfer(std::move(c.bytes), std::move(c.counts), quint32(t.data().users.size()), false);
        break;
    }
    case WireOp::LoadSuperLogs: {
        if (malformed())
            break;
        Chunks c = chunked(t.data().superLogs, chunkBytes(), &WireRecords::writeSuperLog);
        res = openTransfer(std::move(c.bytes), std::move(c.counts), quint32(t.data().superLogs.size()), false);
        break;
    }
    case WireOp::BackupData: {
        if (malformed())
            break;
        const QByteArray image = SimStore::serialize(t.data());
        std::vector<QByteArray> chunks;
        std::vector<quint32> counts;
        const qsizetype piece = chunkBytes();
        for (qsizetype at = 0; at < image.size(); at += piece) {
            chunks.push_back(image.mid(at, piece));
            counts.push_back(quint32(chunks.back().size()));
        }
        res = openTransfer(std::move(chunks), std::move(counts), quint32(image.size()), false);
        break;
    }
    case WireOp::RestoreData: {
        QByteArray content;
        quint32 crc = 0;
        res = takeUpload(r, content, crc);
        args << QString::number(content.size());
        if (malformed() || res.status != TermError::None)
            break;
        SimTerminalData data;
        QString error;
        if (!SimStore::deserialize(content, data, error)) {
            res.status = TermError::InvalidArgument;
            break;
        }
        t.restoreData(std::move(data));
        break;
    }
    case WireOp::UpdateFirmware: {
        QByteArray content;
        quint32 crc = 0;
        res = takeUpload(r, content, crc);
        const QString file = r.str16();
        args << file << QString::number(content.size());
        if (malformed() || res.status != TermError::None)
            break;
        res.status = quint16(t.acceptFirmware(file, content, crc));
        break;
    }
    case WireOp::ClearAdministrators:
        if (malformed())
            break;
        t.clearAdministrators();
        break;
    case WireOp::ClearAllData:
        if (malformed())
            break;
        t.clearAllData();
        break;
    case WireOp::ClearAttendanceLogs:
        if (malformed())
            break;
        t.clearAttendanceLogs();
        break;
    case WireOp::DeleteEnrollData: {
        const QString enroll = r.str8();
        const int enrollMachine = r.i32();
        const int backup = r.i32();
        args << enroll << QString::number(enrollMachine) << QString::number(backup);
        if (malformed())
            break;
        res.status = quint16(t.deleteEnrollData(enroll, backup));
        break;
    }
    case WireOp::GetDeviceStatus:
    case WireOp::GetDeviceInfo: {
        const int index = r.i32();
        args << QString::number(index);
        if (malformed())
            break;
        int value = 0;
        res.status = quint16(op == WireOp::GetDeviceStatus ? t.status(index, value) : t.getInfo(index, value));
        WireWriter w;
        w.i32(value);
        res.payload = w.data();
        break;
    }
    case WireOp::SetDeviceInfo: {
        const int index = r.i32();
        const int value = r.i32();
        args << QString::number(index) << QString::number(value);
        if (malformed())
            break;
        if (index == 2 && m_transport == Transport::Serial) {
            for (SimTerminal* other : m_candidates)
                if (other != &t && other->machineNumber() == value)
                    res.status = TermError::Refused; // that number is taken on this line
            if (res.status != TermError::None)
                break;
        }
        res.status = quint16(t.setInfo(index, value));
        break;
    }
    case WireOp::SetDeviceTime: {
        int v[6];
        for (int& x : v)
            x = r.i32();
        if (malformed())
            break;
        if (!WireTime::valid(v[0], v[1], v[2], v[3], v[4], v[5])) {
            res.status = TermError::InvalidArgument;
            break;
        }
        res.status = quint16(t.setClock(QDateTime(QDate(v[0], v[1], v[2]), QTime(v[3], v[4], v[5]))));
        break;
    }
    case WireOp::PowerOffDevice:
        if (malformed())
            break;
        res.dropAfterReply = true;
        break;
    case WireOp::GetDeviceTime: {
        if (malformed())
            break;
        const QDateTime now = t.clock();
        WireWriter w;
        w.i32(now.date().year()).i32(now.date().month()).i32(now.date().day());
        w.i32(now.time().hour()).i32(now.time().minute()).i32(now.time().second());
        res.payload = w.data();
        break;
    }
    case WireOp::GetSerialNumber:
    case WireOp::GetProductCode:
    case WireOp::GetFirmwareVersion: {
        if (malformed())
            break;
        WireWriter w;
        w.str8(op == WireOp::GetSerialNumber  ? t.serialNumber()
               : op == WireOp::GetProductCode ? t.productCode()
                                              : t.firmwareVersion());
        res.payload = w.data();
        break;
    }
    case WireOp::WriteUserInfo: {
        const QString enroll = r.str8();
        const QString userName = r.str8();
        const QString password = r.str8();
        const int privilege = r.i32();
        const bool enabled = r.u8() != 0;
        args << enroll << userName << password << QString::number(privilege) << flag(enabled);
        if (malformed())
            break;
        res.status = quint16(t.writeUser(enroll, userName, password, privilege, enabled));
        break;
    }
    case WireOp::ReadUserInfo: {
        const QString enroll = r.str8();
        args << enroll;
        if (malformed())
            break;
        SimUser u;
        res.status = quint16(t.readUser(enroll, u));
        WireWriter w;
        w.str8(u.name).str8(u.password).i32(u.privilege).u8(u.enabled);
        res.payload = w.data();
        break;
    }
    case WireOp::ReadFingerTemplate: {
        const QString enroll = r.str8();
        const int finger = r.i32();
        args << enroll << QString::number(finger);
        if (malformed())
            break;
        QByteArray data;
        res.status = quint16(t.readTemplate(enroll, finger, data));
        WireWriter w;
        w.blob(data);
        res.payload = w.data();
        break;
    }
    case WireOp::SetUserTmp:
    case WireOp::WriteFingerTemplateText: {
        const QString enroll = r.str8();
        const int finger = r.i32();
        const QByteArray data = r.blob(2048);
        args << enroll << QString::number(finger) << QString::number(data.size());
        if (malformed())
            break;
        res.status = quint16(t.setTemplate(enroll, finger, data));
        break;
    }
    case WireOp::DeleteFingerTemplate: {
        const QString enroll = r.str8();
        const int finger = r.i32();
        args << enroll << QString::number(finger);
        if (malformed())
            break;
        res.status = quint16(t.deleteTemplate(enroll, finger));
        break;
    }
    case WireOp::SetEnrollDataStr: {
        const QString enroll = r.str8();
        const int enrollMachine = r.i32();
        const int finger = r.i32();
        const int privilege = r.i32();
        const QByteArray data = r.blob(2048);
        const int password = r.i32();
        args << enroll << QString::number(enrollMachine) << QString::number(finger) << QString::number(privilege)
             << QString::number(data.size()) << QString::number(password);
        if (malformed())
            break;
        res.status = quint16(t.setEnrollData(enroll, finger, privilege, data, password));
        break;
    }
    case WireOp::ACUnlock: {
        const int delay = r.i32();
        args << QString::number(delay);
        if (malformed())
            break;
        res.status = quint16(t.unlock(delay));
        break;
    }
    case WireOp::CaptureFingerImage: {
        const bool full = r.u8() != 0;
        r.i32(); // width hint
        args = QStringList{flag(full)};
        if (malformed())
            break;
        int width = 0, height = 0;
        const QByteArray image = t.captureImage(full, width, height);
        WireWriter w;
        w.i32(width).i32(height).blob(image);
        res.payload = w.data();
        break;
    }
    case WireOp::StartEnroll:
    case WireOp::StartVerify: {
        const QString enroll = r.str8();
        const int finger = r.i32();
        args = QStringList{enroll, QString::number(finger)};
        if (malformed())
            break;
        res.status = quint16(op == WireOp::StartEnroll ? t.startEnroll(enroll, finger) : t.startVerify(enroll, finger));
        if (res.status == TermError::None)
            m_host.setOperationOwner(&t, this);
        break;
    }
    case WireOp::StartIdentify:
        args.clear();
        if (malformed())
            break;
        res.status = quint16(t.startIdentify());
        if (res.status == TermError::None)
            m_host.setOperationOwner(&t, this);
        break;
    case WireOp::SimFinger:
        res = placeFinger(t, r, args);
        break;
    case WireOp::WriteLCD: {
        const int row = r.i32();
        const int column = r.i32();
        const QString text = r.str8();
        args = QStringList{QString::number(row), QString::number(column), text};
        if (malformed())
            break;
        res.status = quint16(t.writeLcd(row, column, text));
        break;
    }
    case WireOp::Beep: {
        const int delay = r.i32();
        args = QStringList{QString::number(delay)};
        if (malformed())
            break;
        res.status = quint16(t.beep(delay));
        break;
    }
    case WireOp::PlayVoice: {
        const int position = r.i32();
        const int length = r.i32();
        args = QStringList{QString::number(position), QString::number(length)};
        if (malformed())
            break;
        res.status = quint16(t.playVoice(position, length));
        break;
    }
    case WireOp::PlayVoiceByIndex: {
        const int index = r.i32();
        args = QStringList{QString::number(index)};
        if (malformed())
            break;
        res.status = quint16(t.playVoiceByIndex(index));
        break;
    }
    case WireOp::EnableDefaultLCD: {
        const bool on = r.u8() != 0;
        args = QStringList{flag(on)};
        if (malformed())
            break;
        t.enableDefaultLcd(on);
        break;
    }
    default:
        res.status = TermError::Refused;
        break;
    }
    return res;
}

SimSession::Result SimSession::placeFinger(SimTerminal& t, WireReader& r, QStringList& args)
{
    Result res;
    const QString enroll = r.str8();
    const int finger = r.i32();
    const int score = r.i32();
    args << enroll << QString::number(finger) << QString::number(score);
    if (!r.ok() || !r.atEnd()) {
        res.status = TermError::ProtocolError;
        return res;
    }
    // The owner is looked up before the finger may end the operation.
    SimSession* owner = m_host.operationOwner(&t);
    SimTerminal::FingerOutcome outcome;
    res.status = quint16(t.placeFinger(enroll, finger, score, outcome));
    if (res.status != TermError::None)
        return res;
    // The event's user id is the enroll number as an integer; a text enroll
    // number that is no number gives 0 (the text travels beside it).
    bool numeric = false;
    const int asNumber = outcome.matchedEnroll.toInt(&numeric);
    const int userId = outcome.matchedEnroll.isEmpty() ? -1 : (numeric ? asNumber : 0);
    if (owner) {
        WireWriter feature;
        feature.i32(outcome.score);
        owner->sendEvent(quint16(WireEvent::FingerFeature), feature.data());
        if (outcome.verifyEvent) {
            WireWriter verify;
            verify.i32(userId).str8(outcome.matchedEnroll);
            owner->sendEvent(quint16(WireEvent::Verify), verify.data());
        }
    }
    WireWriter w;
    w.u8(quint8(outcome.operation)).i32(outcome.pressesLeft).str8(outcome.matchedEnroll).u8(owner ? 1 : 0);
    res.payload = w.data();
    return res;
}

void SimSession::sendEvent(quint16 event, const QByteArray& payload)
{
    if (m_dropped || !m_send)
        return;
    QByteArray frame;
    WireFrame::appendEncoded(frame, WireFrame::Event, ++m_eventSequence, event, 0, payload.constData(),
                             payload.size());
    m_send(frame);
}

void SimSession::reply(const WireFrame& request, const Result& result)
{
    if (result.status == 0xFFFF) {
        dropConnection();
        return;
    }
    QByteArray frame;
    WireFrame::appendEncoded(frame, WireFrame::Reply, request.sequence, request.op, result.status,
                             result.payload.constData(), result.payload.size());
    if (m_host.takeCorruptTurn())
        frame[frame.size() - 1] = char(frame.at(frame.size() - 1) ^ 0x5A);
    const bool drop = result.dropAfterReply;
    auto deliver = [this, frame, drop] {
        if (m_dropped)
            return;
        if (m_send)
            m_send(frame);
        if (drop)
            dropConnection(true);
    };
    const int delay = m_host.options().delayMs;
    if (delay > 0)
        QTimer::singleShot(delay, this, deliver);
    else
        deliver();
}

void SimSession::closeTransfer()
{
    if (m_chunks.empty())
        return;
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_chunkCounts.clear();
    m_chunkCounts.shrink_to_fit();
    ++m_transferId;
}

void SimSession::endSession()
{
    m_terminal = nullptr;
    closeTransfer();
    m_upload.clear();
    m_upload.squeeze();
    m_decoder.reset();
    if (m_transport == Transport::Serial)
        m_idleTimer->stop();
}

void SimSession::dropConnection(bool graceful)
{
    endSession();
    if (m_transport == Transport::Tcp) {
        m_dropped = true;
        m_frameTimer->stop();
        m_idleTimer->stop();
        if (m_drop)
            m_drop(graceful);
    }
}
