#include "TTermSdk.h"

#include "Crc32.h"
#include "TermError.h"
#include "TermSerialPortMap.h"
#include "TermTemplates.h"
#include "WireOp.h"
#include "WireReader.h"
#include "WireTime.h"
#include "WireWriter.h"

#include <QDateTime>
#include <QFile>
#include <QMetaObject>
#include <QObject>
#include <QSaveFile>

namespace {

constexpr quint8 kTransportTcp = 0;
constexpr quint8 kTransportSerial = 1;
constexpr qsizetype kUploadPiece = WireFrame::MaxUploadPiece;
constexpr qsizetype kMinSerialPiece = 256;
constexpr quint32 kMaxChunks = 1u << 20;
constexpr qint64 kMaxFileBytes = 64 << 20;
constexpr int kDisconnectTimeoutMs = 1000;

int timeoutFromEnv(const char* name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

QByteArray machinePayload(int machineNumber)
{
    WireWriter w;
    w.i32(machineNumber);
    return w.data();
}

QString enrollText(int enrollNumber)
{
    return QString::number(enrollNumber);
}

// The head of the requests about one finger of one user.
WireWriter fingerPayload(int machineNumber, int enrollNumber, int fingerIndex)
{
    WireWriter w;
    w.i32(machineNumber).str8(enrollText(enrollNumber)).i32(fingerIndex);
    return w;
}

} // namespace

TTermSdk::TTermSdk()
    : m_connectTimeoutMs(timeoutFromEnv("TERMSDK_CONNECT_TIMEOUT_MS", DefaultConnectTimeoutMs)),
      m_replyTimeoutMs(timeoutFromEnv("TERMSDK_REPLY_TIMEOUT_MS", DefaultReplyTimeoutMs)),
      m_eventContext(std::make_unique<QObject>())
{
    m_link.setEventsArrived([this] { scheduleEventDelivery(); });
}

TTermSdk::~TTermSdk() = default;

bool TTermSdk::fail(int code, const QString& detail)
{
    m_lastError = code;
    m_detail = detail.isEmpty() ? TermError::text(code) : detail;
    return false;
}

bool TTermSdk::request(WireOp op, const QByteArray& payload, QByteArray* replyPayload, QDeadlineTimer deadline)
{
    if (!m_link.isOpen())
        return fail(TermError::NotConnected);
    WireFrame reply;
    const int rc = m_link.call(quint16(op), payload, reply, m_replyTimeoutMs, deadline);
    if (rc != TermError::None)
        return fail(rc, m_link.lastDetail());
    if (reply.op != quint16(op)) {
        m_link.close();
        return fail(TermError::ProtocolError, QStringLiteral("reply to the wrong operation"));
    }
    if (reply.status != 0)
        return fail(reply.status);
    if (replyPayload)
        *replyPayload = std::move(reply.payload);
    return true;
}

bool TTermSdk::machineOnly(WireOp op, int machineNumber)
{
    return request(op, machinePayload(machineNumber));
}

// ---- connection -------------------------------------------------------------

void TTermSdk::SetCommPort(int port)
{
    m_commPort = port;
}

int TTermSdk::CommPort() const
{
    return m_commPort;
}

bool TTermSdk::SetCommKey(int commKey)
{
    m_commKey = commKey < 0 ? -1 : commKey;
    return true;
}

bool TTermSdk::openSession(quint8 transport, int machineNumber, int port, int baudRate, const QString& address,
                           QDeadlineTimer deadline)
{
    WireWriter w;
    w.u8(transport).i32(machineNumber).i32(m_commKey).i32(port).i32(baudRate).str8(address);
    QByteArray reply;
    if (!request(WireOp::Connect, w.data(), &reply, deadline)) {
        if (m_lastError == TermError::ReplyTimeout)
            m_lastError = TermError::ConnectTimeout;
        m_link.close();
        return false;
    }
    WireReader r(reply);
    r.u8(); // terminal kind
    const int machine = r.i32();
    if (!r.ok()) {
        m_link.close();
        return fail(TermError::ProtocolError, QStringLiteral("malformed connect reply"));
    }
    m_machine = machine;
    return true;
}

bool TTermSdk::ConnectSerial(int port, int machineNumber, int baudRate)
{
    Disconnect();
    const QDeadlineTimer deadline(m_connectTimeoutMs);
    const int portNumber = port > 0 ? port : m_commPort;
    const QString path = TermSerialPortMap::devicePath(portNumber);
    if (path.isEmpty() || machineNumber < 0)
        return fail(TermError::InvalidArgument, QStringLiteral("no serial port %1").arg(portNumber));
    if (const int rc = m_link.openSerial(path, baudRate); rc != TermError::None)
        return fail(rc, m_link.lastDetail());
    return openSession(kTransportSerial, machineNumber, portNumber, baudRate, path, deadline);
}

bool TTermSdk::ConnectNetwork(const QString& ipAddress, int port)
{
    Disconnect();
    // One deadline for all of it: name lookup, TCP connect and the Connect reply.
    const QDeadlineTimer deadline(m_connectTimeoutMs);
    if (ipAddress.trimmed().isEmpty() || port <= 0 || port > 65535)
        return fail(TermError::InvalidArgument, QStringLiteral("bad address %1:%2").arg(ipAddress).arg(port));
    if (const int rc = m_link.openTcp(ipAddress.trimmed(), quint16(port), deadline); rc != TermError::None)
        return fail(rc, m_link.lastDetail());
    return openSession(kTransportTcp, 1, port, 0, ipAddress.trimmed(), deadline);
}

void TTermSdk::Disconnect()
{
    if (m_link.isOpen()) {
        WireFrame reply;
        m_link.call(quint16(WireOp::Disconnect), machinePayload(m_machine), reply,
                    qMin(m_replyTimeoutMs, kDisconnectTimeoutMs), QDeadlineTimer(kDisconnectTimeoutMs));
        m_link.close();
    }
}

bool TTermSdk::SetDeviceEnabled(int machineNumber, bool enabled)
{
    WireWriter w;
    w.i32(machineNumber).u8(enabled ? 1 : 0);
    return request(WireOp::SetDeviceEnabled, w.data());
}

bool TTermSdk::RefreshDeviceData(int machineNumber)
{
    return machineOnly(WireOp::RefreshDeviceData, machineNumber);
}

void TTermSdk::GetLastErrorCode(int& errorCode)
{
    errorCode = m_lastError;
}

// ---- terminal events --------------------------------------------------------

bool TTermSdk::simulateFinger(const QString& enroll, int finger, int score, SimFingerResult& result)
{
    WireWriter w;
    w.i32(m_machine).str8(enroll).i32(finger).i32(score);
    QByteArray reply;
    if (!request(WireOp::SimFinger, w.data(), &reply))
        return false;
    WireReader r(reply);
    SimFingerResult out;
    out.operation = r.u8();
    out.pressesLeft = r.i32();
    out.matchedEnroll = r.str8();
    out.eventsSent = r.u8() != 0;
    if (!r.ok())
        return fail(TermError::ProtocolError, QStringLiteral("malformed SimFinger reply"));
    result = out;
    return true;
}

void TTermSdk::SetEventHandler(TermEventHandler handler)
{
    m_eventHandler = std::move(handler);
}

void TTermSdk::scheduleEventDelivery()
{
    if (m_deliveryPosted)
        return;
    m_deliveryPosted = true;
    QMetaObject::invokeMethod(m_eventContext.get(), [this] { deliverEvents(); }, Qt::QueuedConnection);
}

void TTermSdk::deliverEvents()
{
    m_deliveryPosted = false;
    // One at a time: a handler that lets the event loop run may have a nested
    // delivery take the next ones, and the order still holds.
    WireFrame frame;
    while (m_link.takeEvent(frame)) {
        WireReader r(frame.payload);
        TermEvent event;
        event.value = r.i32();
        switch (WireEvent(frame.op)) {
        case WireEvent::FingerFeature:
            event.kind = TermEvent::Kind::FingerFeature;
            break;
        case WireEvent::Verify:
            event.kind = TermEvent::Kind::Verify;
            event.enrollNumber = r.str8();
            break;
        default:
            continue; // an event of a newer terminal: not ours to report
        }
        if (!r.ok())
            continue;
        // The handler may replace itself or run SDK calls; work on a copy.
        if (const TermEventHandler handler = m_eventHandler)
            handler(event);
    }
}

bool TTermSdk::GetSdkVersion(QString& version)
{
    version = QStringLiteral("1.0 (wire protocol %1)").arg(WireFrame::Version);
    return true;
}

// ---- bulk transfers ---------------------------------------------------------

bool TTermSdk::bulkLoad(WireOp op, const QByteArray& payload, quint32& records, const ChunkSink& sink,
                        const std::function<void(quint32)>& announce)
{
    QByteArray head;
    if (!request(op, payload, &head))
        return false;
    WireReader r(head);
    const quint32 transfer = r.u32();
    const quint32 total = r.u32();
    const quint32 chunks = r.u32();
    if (!r.ok() || chunks > kMaxChunks) {
        m_link.close();
        return fail(TermError::ProtocolError, QStringLiteral("malformed transfer header"));
    }
    if (announce)
        announce(total);
    quint32 received = 0;
    for (quint32 i = 0; i < chunks; ++i) {
        WireWriter w;
        w.u32(transfer).u32(i);
        QByteArray chunk;
        if (!request(WireOp::ReadChunk, w.data(), &chunk))
            return false;
        WireReader c(chunk);
        const quint32 t = c.u32();
        const quint32 index = c.u32();
        const quint32 count = c.u32();
        if (!c.ok() || t != transfer || index != i || count > total - received ||
            !sink(chunk.constData() + 12, chunk.size() - 12, count)) {
            m_link.close();
            return fail(TermError::ProtocolError, QStringLiteral("malformed chunk %1 of %2").arg(i).arg(chunks));
        }
        received += count;
    }
    if (received != total) {
        m_link.close();
        return fail(TermError::ProtocolError, QStringLiteral("transfer ended short"));
    }
    records = total;
    return true;
}

bool TTermSdk::upload(const QByteArray& data)
{
    // On a serial line a piece takes about a second of line time (10 bits a byte).
    const int baud = m_link.baudRate();
    const qsizetype piece = baud > 0 ? qBound<qsizetype>(kMinSerialPiece, baud / 10, kUploadPiece) : kUploadPiece;
    qsizetype offset = 0;
    do {
        const qsizetype n = qMin(piece, data.size() - offset);
        WireWriter w(n + 8);
        w.u32(quint32(offset)).u32(quint32(n)).raw(data.constData() + offset, n);
        if (!request(WireOp::PutChunk, w.data()))
            return false;
        offset += n;
    } while (offset < data.size());
    return true;
}

template <typename Buffer>
bool TTermSdk::loadBuffer(WireOp op, int machineNumber, Buffer& buffer, bool emptyIsNoData)
{
    buffer.clear();
    quint32 n = 0;
    std::function<void(quint32)> announce;
    if constexpr (requires { buffer.reserve(quint32()); })
        announce = [&buffer](quint32 total) { buffer.reserve(total); };
    const bool ok = bulkLoad(
        op, machinePayload(machineNumber), n,
        [&buffer](const char* d, qsizetype len, quint32 count) { return buffer.appendChunk(d, len, count); },
        announce);
    if (!ok) {
        buffer.clear();
        return false;
    }
    return n > 0 || !emptyIsNoData ? true : fail(TermError::NoData);
}

bool TTermSdk::LoadAllLogs(int machineNumber)
{
    return loadBuffer(WireOp::LoadAllLogs, machineNumber, m_logs, true);
}

bool TTermSdk::LoadLogs(int machineNumber)
{
    return loadBuffer(WireOp::LoadLogs, machineNumber, m_logs, true);
}

bool TTermSdk::NextLogRecord(int, int& terminalMachineNumber, int& enrollNumber, int& enrollMachineNumber,
                             int& verifyMode, int& inOutMode, int& year, int& month, int& day, int& hour,
                             int& minute)
{
    const TermLogBuffer::Entry* e = m_logs.next();
    if (!e)
        return fail(TermError::NoData);
    int second;
    terminalMachineNumber = m_machine;
    enrollNumber = m_logs.enrollNumber(*e);
    enrollMachineNumber = m_machine;
    verifyMode = e->verifyMode;
    inOutMode = e->inOutMode;
    WireTime::toFields(e->time, year, month, day, hour, minute, second);
    return true;
}

bool TTermSdk::NextLogRecordStr(int, QString& enrollNumber, int& verifyMode, int& inOutMode, int& year,
                                int& month, int& day, int& hour, int& minute, int& second, int& workCode)
{
    const TermLogBuffer::Entry* e = m_logs.next();
    if (!e)
        return fail(TermError::NoData);
    enrollNumber = m_logs.enrollText(*e);
    verifyMode = e->verifyMode;
    inOutMode = e->inOutMode;
    WireTime::toFields(e->time, year, month, day, hour, minute, second);
    workCode = int(e->workCode);
    return true;
}

bool TTermSdk::LoadAllUserIds(int machineNumber)
{
    return loadBuffer(WireOp::LoadAllUserIds, machineNumber, m_users, false); // an empty list is no failure
}

bool TTermSdk::NextUserRecord(int machineNumber, int& enrollNumber, QString& name, QString& password,
                              int& privilege, bool& enabled)
{
    QString enroll;
    if (!TTermSdk::NextUserRecordStr(machineNumber, enroll, name, password, privilege, enabled))
        return false;
    bool ok = false;
    const int n = enroll.toInt(&ok);
    enrollNumber = ok ? n : 0;
    return true;
}

bool TTermSdk::NextUserRecordStr(int, QString& enrollNumber, QString& name, QString& password, int& privilege,
                                 bool& enabled)
{
    const TermUserBuffer::User* u = m_users.next();
    if (!u)
        return fail(TermError::NoData);
    enrollNumber = u->enroll;
    name = u->name;
    password = u->password;
    privilege = u->privilege;
    enabled = u->enabled;
    return true;
}

bool TTermSdk::LoadSuperLogs(int machineNumber)
{
    return loadBuffer(WireOp::LoadSuperLogs, machineNumber, m_superLogs, true);
}

bool TTermSdk::NextSuperLogRecord(int, int& terminalMachineNumber, int& enrollNumber, int& enrollMachineNumber,
                                  int& manipulatedEnrollNumber, int& manipulation, int& params1, int& params2,
                                  int& year, int& month, int& day, int& hour, int& minute)
{
    const TermSuperLogBuffer::Entry* e = m_superLogs.next();
    if (!e)
        return fail(TermError::NoData);
    int second;
    terminalMachineNumber = m_machine;
    enrollNumber = e->operatorEnroll;
    enrollMachineNumber = m_machine;
    manipulatedEnrollNumber = e->targetEnroll;
    manipulation = e->manipulation;
    params1 = e->params1;
    params2 = e->params2;
    WireTime::toFields(e->time, year, month, day, hour, minute, second);
    return true;
}

bool TTermSdk::BackupData(const QString& fileName)
{
    if (fileName.isEmpty())
        return fail(TermError::InvalidArgument, QStringLiteral("no file name"));
    QByteArray data;
    quint32 n = 0;
    const bool ok = bulkLoad(WireOp::BackupData, machinePayload(m_machine), n,
                             [&data](const char* d, qsizetype len, quint32 count) {
                                 if (len != qsizetype(count) || data.size() + len > kMaxFileBytes)
                                     return false;
                                 data.append(d, len);
                                 return true;
                             });
    if (!ok)
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return fail(TermError::FileError, fileName + QStringLiteral(": ") + file.errorString());
    return true;
}

// ---- files sent to the terminal ---------------------------------------------

namespace {
bool readLocalFile(const QString& fileName, QByteArray& data, QString& error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = fileName + QStringLiteral(": ") + file.errorString();
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        error = fileName + QStringLiteral(": file too large");
        return false;
    }
    data = file.readAll();
    return true;
}
} // namespace

bool TTermSdk::sendFile(WireOp op, const QString& fileName, const QByteArray& moreArguments)
{
    if (!m_link.isOpen())
        return fail(TermError::NotConnected);
    QByteArray data;
    QString error;
    if (!readLocalFile(fileName, data, error))
        return fail(TermError::FileError, error);
    if (!upload(data))
        return false;
    WireWriter w;
    w.i32(m_machine).u32(quint32(data.size())).u32(Crc32::compute(data.constData(), data.size()));
    w.raw(moreArguments.constData(), moreArguments.size());
    return request(op, w.data());
}

bool TTermSdk::UpdateFirmware(const QString& firmwareFile)
{
    WireWriter name;
    name.str16(firmwareFile.section(QLatin1Char('/'), -1));
    return sendFile(WireOp::UpdateFirmware, firmwareFile, name.data());
}

bool TTermSdk::RestoreData(const QString& fileName)
{
    return sendFile(WireOp::RestoreData, fileName);
}

// ---- device information -----------------------------------------------------

bool TTermSdk::readIndexed(WireOp op, int machineNumber, int index, int& value)
{
    WireWriter w;
    w.i32(machineNumber).i32(index);
    QByteArray reply;
    if (!request(op, w.data(), &reply))
        return false;
    WireReader r(reply);
    const int v = r.i32();
    if (!r.ok())
        return fail(TermError::ProtocolError);
    value = v;
    return true;
}

bool TTermSdk::GetDeviceStatus(int machineNumber, int statusIndex, int& value)
{
    return readIndexed(WireOp::GetDeviceStatus, machineNumber, statusIndex, value);
}

bool TTermSdk::GetDeviceInfo(int machineNumber, int infoIndex, int& value)
{
    return readIndexed(WireOp::GetDeviceInfo, machineNumber, infoIndex, value);
}

bool TTermSdk::SetDeviceInfo(int machineNumber, int infoIndex, int value)
{
    WireWriter w;
    w.i32(machineNumber).i32(infoIndex).i32(value);
    if (!request(WireOp::SetDeviceInfo, w.data()))
        return false;
    if (infoIndex == 2)
        m_machine = value; // the terminal answers to its new Device ID from now on
    return true;
}

bool TTermSdk::SetDeviceTime(int machineNumber)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    WireWriter w;
    w.i32(machineNumber).i32(d.year()).i32(d.month()).i32(d.day()).i32(t.hour()).i32(t.minute()).i32(t.second());
    return request(WireOp::SetDeviceTime, w.data());
}

bool TTermSdk::PowerOffDevice(int machineNumber)
{
    const bool ok = machineOnly(WireOp::PowerOffDevice, machineNumber);
    if (ok)
        m_link.close(); // the terminal goes down and ends the session
    return ok;
}

bool TTermSdk::GetDeviceTime(int machineNumber, int& year, int& month, int& day, int& hour, int& minute,
                             int& second)
{
    QByteArray reply;
    if (!request(WireOp::GetDeviceTime, machinePayload(machineNumber), &reply))
        return false;
    WireReader r(reply);
    int v[6];
    for (int& x : v)
        x = r.i32();
    if (!r.ok())
        return fail(TermError::ProtocolError);
    year = v[0];
    month = v[1];
    day = v[2];
    hour = v[3];
    minute = v[4];
    second = v[5];
    return true;
}

bool TTermSdk::readText(WireOp op, int machineNumber, QString& text)
{
    QByteArray reply;
    if (!request(op, machinePayload(machineNumber), &reply))
        return false;
    WireReader r(reply);
    const QString s = r.str8();
    if (!r.ok())
        return fail(TermError::ProtocolError);
    text = s;
    return true;
}

bool TTermSdk::GetSerialNumber(int machineNumber, QString& serialNumber)
{
    return readText(WireOp::GetSerialNumber, machineNumber, serialNumber);
}

bool TTermSdk::GetProductCode(int machineNumber, QString& productCode)
{
    return readText(WireOp::GetProductCode, machineNumber, productCode);
}

bool TTermSdk::GetFirmwareVersion(int machineNumber, QString& version)
{
    return readText(WireOp::GetFirmwareVersion, machineNumber, version);
}

// ---- data manager -----------------------------------------------------------

bool TTermSdk::ClearAdministrators(int machineNumber)
{
    return machineOnly(WireOp::ClearAdministrators, machineNumber);
}

bool TTermSdk::ClearAllData(int machineNumber)
{
    return machineOnly(WireOp::ClearAllData, machineNumber);
}

bool TTermSdk::ClearAttendanceLogs(int machineNumber)
{
    return machineOnly(WireOp::ClearAttendanceLogs, machineNumber);
}

bool TTermSdk::DeleteEnrollData(int machineNumber, int enrollNumber, int enrollMachineNumber, int backupNumber)
{
    WireWriter w;
    w.i32(machineNumber).str8(enrollText(enrollNumber)).i32(enrollMachineNumber).i32(backupNumber);
    return request(WireOp::DeleteEnrollData, w.data());
}

bool TTermSdk::WriteUserInfo(int machineNumber, int enrollNumber, const QString& name, const QString& password,
                             int privilege, bool enabled)
{
    WireWriter w;
    w.i32(machineNumber).str8(enrollText(enrollNumber)).str8(name).str8(password).i32(privilege).u8(enabled);
    return request(WireOp::WriteUserInfo, w.data());
}

bool TTermSdk::ReadUserInfo(int machineNumber, int enrollNumber, QString& name, QString& password, int& privilege,
                            bool& enabled)
{
    WireWriter w;
    w.i32(machineNumber).str8(enrollText(enrollNumber));
    QByteArray reply;
    if (!request(WireOp::ReadUserInfo, w.data(), &reply))
        return false;
    WireReader r(reply);
    const QString n = r.str8();
    const QString p = r.str8();
    const int priv = r.i32();
    const bool en = r.u8() != 0;
    if (!r.ok())
        return fail(TermError::ProtocolError);
    name = n;
    password = p;
    privilege = priv;
    enabled = en;
    return true;
}

bool TTermSdk::ReadFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex, QByteArray& buffer,
                                  int& length)
{
    QByteArray reply;
    if (!request(WireOp::ReadFingerTemplate, fingerPayload(machineNumber, enrollNumber, fingerIndex).data(), &reply))
        return false;
    WireReader r(reply);
    const QByteArray data = r.blob(TermTemplates::MaxBytes);
    if (!r.ok())
        return fail(TermError::ProtocolError);
    const qsizetype room = buffer.isEmpty() ? length : qMin<qsizetype>(buffer.size(), length);
    if (data.size() > room)
        return fail(TermError::InvalidArgument, QStringLiteral("template of %1 bytes does not fit in %2")
                                                    .arg(data.size())
                                                    .arg(room));
    if (buffer.size() >= data.size())
        memcpy(buffer.data(), data.constData(), size_t(data.size()));
    else
        buffer = data;
    length = int(data.size());
    return true;
}

bool TTermSdk::SetUserTmp(int machineNumber, int enrollNumber, int fingerIndex, const QByteArray& templateData)
{
    if (!TermTemplates::validSize(templateData.size()))
        return fail(TermError::InvalidArgument, QStringLiteral("template size %1").arg(templateData.size()));
    WireWriter w = fingerPayload(machineNumber, enrollNumber, fingerIndex);
    w.blob(templateData);
    return request(WireOp::SetUserTmp, w.data());
}

bool TTermSdk::WriteFingerTemplateText(int machineNumber, int enrollNumber, int fingerIndex,
                                       const QString& templateText)
{
    QByteArray data;
    if (!TermTemplates::fromHex(templateText, data))
        return fail(TermError::InvalidArgument, QStringLiteral("template text is not hexadecimal template data"));
    WireWriter w = fingerPayload(machineNumber, enrollNumber, fingerIndex);
    w.blob(data);
    return request(WireOp::WriteFingerTemplateText, w.data());
}

bool TTermSdk::SetEnrollDataStr(int machineNumber, int enrollNumber, int enrollMachineNumber, int fingerIndex,
                                int privilege, const QString& templateText, int password)
{
    QByteArray data;
    if (!TermTemplates::fromBase64(templateText, data))
        return fail(TermError::InvalidArgument, QStringLiteral("template text is not Base64 template data"));
    WireWriter w;
    w.i32(machineNumber).str8(enrollText(enrollNumber)).i32(enrollMachineNumber).i32(fingerIndex).i32(privilege);
    w.blob(data).i32(password);
    return request(WireOp::SetEnrollDataStr, w.data());
}

bool TTermSdk::DeleteFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex)
{
    return request(WireOp::DeleteFingerTemplate, fingerPayload(machineNumber, enrollNumber, fingerIndex).data());
}

int TTermSdk::FPTempLength(const QString& templateText)
{
    QByteArray data;
    if (!TermTemplates::fromBase64(templateText, data)) {
        fail(TermError::InvalidArgument);
        return -1;
    }
    return int(data.size());
}

bool TTermSdk::ConvertFingerTemplate(const QByteArray& templateData, QByteArray& output, int& outputLength)
{
    if (!TermTemplates::validSize(templateData.size()))
        return fail(TermError::InvalidArgument, QStringLiteral("template size %1").arg(templateData.size()));
    const QByteArray converted = TermTemplates::toOldFormat(templateData);
    if (output.size() >= converted.size())
        memcpy(output.data(), converted.constData(), size_t(converted.size()));
    else
        output = converted;
    outputLength = int(converted.size());
    return true;
}

// ---- device control ---------------------------------------------------------

bool TTermSdk::ACUnlock(int machineNumber, int delay)
{
    WireWriter w;
    w.i32(machineNumber).i32(delay);
    return request(WireOp::ACUnlock, w.data());
}

bool TTermSdk::CaptureFingerImage(bool fullImage, int& width, int& height, QByteArray& imageBuffer,
                                  const QString& imageFile)
{
    WireWriter w;
    w.i32(m_machine).u8(fullImage ? 1 : 0).i32(width);
    QByteArray reply;
    if (!request(WireOp::CaptureFingerImage, w.data(), &reply))
        return false;
    WireReader r(reply);
    const int wd = r.i32();
    const int ht = r.i32();
    const QByteArray image = r.blob(WireFrame::MaxPayload);
    if (!r.ok())
        return fail(TermError::ProtocolError);
    width = wd;
    height = ht;
    imageBuffer = image;
    if (!imageFile.isEmpty()) {
        QSaveFile file(imageFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit())
            return fail(TermError::FileError, imageFile + QStringLiteral(": ") + file.errorString());
    }
    return true;
}

bool TTermSdk::StartEnroll(int enrollNumber, int fingerIndex)
{
    return request(WireOp::StartEnroll, fingerPayload(m_machine, enrollNumber, fingerIndex).data());
}

bool TTermSdk::StartVerify(int enrollNumber, int fingerIndex)
{
    return request(WireOp::StartVerify, fingerPayload(m_machine, enrollNumber, fingerIndex).data());
}

bool TTermSdk::StartIdentify()
{
    return machineOnly(WireOp::StartIdentify, m_machine);
}

bool TTermSdk::CancelOperation()
{
    return machineOnly(WireOp::CancelOperation, m_machine);
}

bool TTermSdk::WriteLCD(int row, int column, const QString& text)
{
    WireWriter w;
    w.i32(m_machine).i32(row).i32(column).str8(text);
    return request(WireOp::WriteLCD, w.data());
}

bool TTermSdk::ClearLCD()
{
    return machineOnly(WireOp::ClearLCD, m_machine);
}

bool TTermSdk::Beep(int delayMs)
{
    WireWriter w;
    w.i32(m_machine).i32(delayMs);
    return request(WireOp::Beep, w.data());
}

bool TTermSdk::PlayVoice(int position, int length)
{
    WireWriter w;
    w.i32(m_machine).i32(position).i32(length);
    return request(WireOp::PlayVoice, w.data());
}

bool TTermSdk::PlayVoiceByIndex(int index)
{
    WireWriter w;
    w.i32(m_machine).i32(index);
    return request(WireOp::PlayVoiceByIndex, w.data());
}

bool TTermSdk::EnableDefaultLCD(bool enabled)
{
    WireWriter w;
    w.i32(m_machine).u8(enabled ? 1 : 0);
    return request(WireOp::EnableDefaultLCD, w.data());
}
