#include "SimTerminal.h"

#include "Crc32.h"
#include "FingerTemplate.h"
#include "SimStore.h"
#include "TermError.h"
#include "WireReader.h"
#include "WireTime.h"
#include "WireWriter.h"

#include <QtEndian>

#include <cmath>
#include <memory>

namespace {

// Management log manipulation codes (docs/emulator.md).
enum Manipulation : qint32 {
    UserWritten = 1,
    TemplateStored = 2,
    EnrollDataDeleted = 3,
    AdministratorsCleared = 4,
    AttendanceLogCleared = 5,
    ClockSet = 7,
    ParameterSet = 8,
    DataRestored = 9,
    FirmwareUpdated = 10,
};

// The parts of a change record (SimTerminal::pendingChanges()); a record is a
// sequence of them, each a kind byte and its fields in WireWriter layout.
enum ChangeKind : quint8 {
    UserFieldsChange = 1,  // str8 enroll, str8 name, str8 password, i32 privilege, u8 enabled
    TemplateChange = 2,    // str8 enroll, u8 finger, blob (empty: removed)
    RemoveUserChange = 3,  // str8 enroll
    ClearPrivilegesChange = 4,
    ClearAllChange = 5,    // users, attendance log, management log, enroll texts
    ClearLogsChange = 6,   // attendance log
    ParameterChange = 7,   // u8 index (0-based), i32 value
    ClockOffsetChange = 8, // i64 seconds
    SuperLogChange = 9,    // management log record appended
    FirmwareChange = 10,   // str16 name, u32 size, u32 crc, u32 time
    EnrollTextChange = 11, // str8 text appended
    LogChange = 12,        // u32 enroll text index, u32 time, u32 work code, u8 verify, u8 state
    ReplaceAllChange = 13, // blob: a data file image
};

constexpr int kMaxNameBytes = 64;
constexpr int kMaxPasswordBytes = 16;
constexpr int kMaxTextEnrollBytes = 24;
constexpr qint64 kMaxNumericEnroll = 99999999;

qint32 enrollAsInt(const QString& enroll)
{
    bool ok = false;
    const int v = enroll.toInt(&ok);
    return ok ? v : 0;
}

} // namespace

SimTerminal::SimTerminal(int machineNumber, SimKind kind)
{
    m_data.kind = kind;
    m_data.parameters = defaultParameters(machineNumber, kind);
    clearLcd();
}

std::array<qint32, SimTerminalData::ParameterCount> SimTerminal::defaultParameters(int machineNumber, SimKind kind)
{
    const bool bw = kind == SimKind::BlackWhite;
    // Index i holds GetDeviceInfo(i + 1). Times are hour * 256 + minute; 0xFFFF is "not set".
    return {{
        10,            // 1 registrable administrators
        machineNumber, // 2 Device ID
        1,             // 3 language: Simplified Chinese
        0,             // 4 auto power off time
        150,           // 5 lock control delay (20 ms units)
        99,            // 6 attendance record warning
        99,            // 7 management record warning
        2,             // 8 confirm interval time
        bw ? 4 : 6,    // 9 baud rate: 19200 bps / 115200 bps
        0,             // 10 parity: none
        0,             // 11 stop bits: one
        1,             // 12 date separator: "-"
        bw ? 0 : 1,    // 13 network
        1,             // 14 RS232
        bw ? 1 : 0,    // 15 RS485
        1,             // 16 voice
        2,             // 17 identification speed: auto
        0,             // 18 idle
        0xFFFF,        // 19 shutdown time
        0xFFFF,        // 20 power-on time
        0xFFFF,        // 21 sleep time
        0xFFFF,        // 22 auto bell
        35,            // 23 match threshold
        45,            // 24 register threshold
        25,            // 25 1:1 threshold
        1,             // 26 show score
        1,             // 27 unlock person count
        0,             // 28 only verify number card
        8,             // 29 net speed: AUTO
        0,             // 30 must register card
        10,            // 31 temporary state timeout
        10,            // 32 number input timeout
        30,            // 33 menu timeout
        0,             // 34 date format
        0,             // 35 only 1:1
    }};
}

QString SimTerminal::kindName(SimKind kind)
{
    switch (kind) {
    case SimKind::BlackWhite: return QStringLiteral("bw");
    case SimKind::Color: return QStringLiteral("color");
    case SimKind::Face: return QStringLiteral("face");
    }
    return QString();
}

bool SimTerminal::kindFromName(const QString& name, SimKind& kind)
{
    if (name == QLatin1String("bw"))
        kind = SimKind::BlackWhite;
    else if (name == QLatin1String("color"))
        kind = SimKind::Color;
    else if (name == QLatin1String("face"))
        kind = SimKind::Face;
    else
        return false;
    return true;
}

QString SimTerminal::serialNumber() const
{
    static const char kLetters[] = {'B', 'C', 'F'};
    return QStringLiteral("TS%1%2").arg(QLatin1Char(kLetters[int(kind())])).arg(machineNumber(), 8, 10, QLatin1Char('0'));
}

QString SimTerminal::productCode() const
{
    switch (kind()) {
    case SimKind::BlackWhite: return QStringLiteral("TS-BW200");
    case SimKind::Color: return QStringLiteral("TS-C300");
    case SimKind::Face: return QStringLiteral("TS-F500");
    }
    return QString();
}

QString SimTerminal::firmwareVersion() const
{
    QString version;
    switch (kind()) {
    case SimKind::BlackWhite: version = QStringLiteral("Ver 5.20 2021-06-18"); break;
    case SimKind::Color: version = QStringLiteral("Ver 6.60 2023-03-02"); break;
    case SimKind::Face: version = QStringLiteral("Ver 8.10 2024-01-15"); break;
    }
    if (!m_data.firmware.empty())
        version += QStringLiteral(" (updated %1)").arg(m_data.firmware.size());
    return version;
}

void SimTerminal::replaceData(SimTerminalData data, bool keepIdentity)
{
    if (keepIdentity) {
        data.kind = m_data.kind;
        data.parameters[1] = m_data.parameters[1];
    }
    m_data = std::move(data);
    rebuildIndex();
    m_operation = Operation::Idle;
}

void SimTerminal::restoreData(SimTerminalData data)
{
    data.kind = m_data.kind;
    data.parameters[1] = m_data.parameters[1];
    changeReplaceAll(std::move(data));
    m_operation = Operation::Idle;
    addSuperLog(DataRestored);
}

void SimTerminal::rebuildIndex()
{
    m_userIndex.clear();
    for (qsizetype i = 0; i < qsizetype(m_data.users.size()); ++i)
        m_userIndex.insert(m_data.users[size_t(i)].enroll, i);
    m_enrollIds.clear();
    for (qsizetype i = 0; i < m_data.enrollTexts.size(); ++i)
        m_enrollIds.insert(QString::fromUtf8(m_data.enrollTexts.at(i)), quint32(i));
}

QString SimTerminal::canonicalEnroll(const QString& enroll) const
{
    const QString t = enroll.trimmed();
    if (numericEnroll()) {
        bool ok = false;
        const qint64 v = t.toLongLong(&ok);
        if (!ok || v < 1 || v > kMaxNumericEnroll)
            return QString();
        return QString::number(v);
    }
    if (t.isEmpty() || t.toUtf8().size() > kMaxTextEnrollBytes)
        return QString();
    return t;
}

quint32 SimTerminal::internEnroll(const QString& canonical)
{
    auto it = m_enrollIds.constFind(canonical);
    if (it != m_enrollIds.constEnd())
        return it.value();
    changeAppendEnrollText(canonical.toUtf8());
    return quint32(m_data.enrollTexts.size() - 1);
}

void SimTerminal::addAttendanceLog(const QString& canonical, quint32 time, quint8 verifyMode, quint8 inOutMode,
                                   quint32 workCode)
{
    SimLogRecord r;
    r.enrollId = internEnroll(canonical);
    r.time = time;
    r.verifyMode = verifyMode;
    r.inOutMode = inOutMode;
    r.workCode = workCode;
    changeAppendLog(r);
}

const SimUser* SimTerminal::findUser(const QString& canonical) const
{
    auto it = m_userIndex.constFind(canonical);
    return it == m_userIndex.constEnd() ? nullptr : &m_data.users[size_t(it.value())];
}

SimUser* SimTerminal::user(const QString& canonical)
{
    auto it = m_userIndex.constFind(canonical);
    return it == m_userIndex.constEnd() ? nullptr : &m_data.users[size_t(it.value())];
}

void SimTerminal::addSuperLog(qint32 manipulation, qint32 target, qint32 params1, qint32 params2)
{
    SimSuperLogRecord r;
    r.operatorEnroll = 0; // the host computer
    r.targetEnroll = target;
    r.manipulation = manipulation;
    r.params1 = params1;
    r.params2 = params2;
    r.time = clockWire();
    changeAppendSuperLog(r);
}

int SimTerminal::writeUser(const QString& enroll, const QString& name, const QString& password, int privilege,
                           bool enabled)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || privilege < 0 || privilege > 255 || name.toUtf8().size() > kMaxNameBytes ||
        password.toUtf8().size() > kMaxPasswordBytes)
        return TermError::InvalidArgument;
    if (!findUser(key) && qsizetype(m_data.users.size()) >= userCapacity())
        return TermError::Refused;
    changeUserFields(key, name, password, privilege, enabled);
    addSuperLog(UserWritten, enrollAsInt(key));
    return TermError::None;
}

int SimTerminal::readUser(const QString& enroll, SimUser& out) const
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty())
        return TermError::InvalidArgument;
    const SimUser* u = findUser(key);
    if (!u)
        return TermError::NoData;
    out = *u;
    return TermError::None;
}

int SimTerminal::setTemplate(const QString& enroll, int finger, const QByteArray& data)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || finger < 0 || finger > 9 || data.isEmpty() || data.size() > 2048)
        return TermError::InvalidArgument;
    const SimUser* u = findUser(key);
    if (!u)
        return TermError::NoData;
    if (u->templates[size_t(finger)].isEmpty() && templateCount() >= fingerCapacity())
        return TermError::Refused;
    changeTemplate(key, finger, data);
    addSuperLog(TemplateStored, enrollAsInt(key), finger);
    return TermError::None;
}

int SimTerminal::readTemplate(const QString& enroll, int finger, QByteArray& out) const
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || finger < 0 || finger > 9)
        return TermError::InvalidArgument;
    const SimUser* u = findUser(key);
    if (!u || u->templates[size_t(finger)].isEmpty())
        return TermError::NoData;
    out = u->templates[size_t(finger)];
    return TermError::None;
}

int SimTerminal::deleteTemplate(const QString& enroll, int finger)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || finger < 0 || finger > 9)
        return TermError::InvalidArgument;
    const SimUser* u = findUser(key);
    if (!u || u->templates[size_t(finger)].isEmpty())
        return TermError::NoData;
    changeTemplate(key, finger, QByteArray());
    addSuperLog(EnrollDataDeleted, enrollAsInt(key), finger);
    return TermError::None;
}

int SimTerminal::deleteEnrollData(const QString& enroll, int backupNumber)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || backupNumber < 0 || backupNumber > 12)
        return TermError::InvalidArgument;
    const SimUser* u = findUser(key);
    if (!u)
        return TermError::NoData;
    if (backupNumber <= 9) {
        if (u->templates[size_t(backupNumber)].isEmpty())
            return TermError::NoData;
        changeTemplate(key, backupNumber, QByteArray());
    } else if (backupNumber == 10) {
        if (u->password.isEmpty())
            return TermError::NoData;
        changeUserFields(key, u->name, QString(), u->privilege, u->enabled);
    } else if (backupNumber == 11) {
        return TermError::NoData; // no cards are kept
    } else {
        changeRemoveUser(key);
    }
    addSuperLog(EnrollDataDeleted, enrollAsInt(key), backupNumber);
    return TermError::None;
}

int SimTerminal::setEnrollData(const QString& enroll, int finger, int privilege, const QByteArray& data, int password)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || finger < 0 || finger > 9 || privilege < 0 || privilege > 255 || data.isEmpty() ||
        data.size() > 2048)
        return TermError::InvalidArgument;
    // Everything is checked before anything changes: a refused template must not leave a new user behind.
    const SimUser* u = findUser(key);
    if (!u && qsizetype(m_data.users.size()) >= userCapacity())
        return TermError::Refused;
    if ((!u || u->templates[size_t(finger)].isEmpty()) && templateCount() >= fingerCapacity())
        return TermError::Refused;
    if (!u) {
        changeUserFields(key, QString(), QString(), privilege, true);
        addSuperLog(UserWritten, enrollAsInt(key));
        u = findUser(key);
    }
    changeUserFields(key, u->name, password != 0 ? QString::number(password) : u->password, privilege, u->enabled);
    return setTemplate(key, finger, data);
}

void SimTerminal::clearAdministrators()
{
    changeClearPrivileges();
    addSuperLog(AdministratorsCleared);
}

void SimTerminal::clearAllData()
{
    changeClearAll();
}

void SimTerminal::clearAttendanceLogs()
{
    changeClearLogs();
    addSuperLog(AttendanceLogCleared);
}

int SimTerminal::getInfo(int index, int& value) const
{
    if (index < 1 || index > SimTerminalData::ParameterCount)
        return TermError::InvalidArgument;
    value = m_data.parameters[size_t(index - 1)];
    return TermError::None;
}

int SimTerminal::setInfo(int index, int value)
{
    if (index < 1 || index > SimTerminalData::ParameterCount)
        return TermError::InvalidArgument;
    if (index == 2 && (value < 1 || value > 255))
        return TermError::InvalidArgument;
    changeParameter(index - 1, value);
    addSuperLog(ParameterSet, 0, index, value);
    return TermError::None;
}

int SimTerminal::userCapacity() const
{
    const int nominal = kind() == SimKind::BlackWhite ? 10000 : 3000;
    return qMax(nominal, int(m_data.users.size()));
}

int SimTerminal::fingerCapacity() const
{
    return kind() == SimKind::BlackWhite ? 8000 : 3000;
}

int SimTerminal::logCapacity() const
{
    const int nominal = kind() == SimKind::BlackWhite ? 100000 : 200000;
    return qMax(nominal, int(m_data.logs.size()));
}

int SimTerminal::templateCount() const
{
    int count = 0;
    for (const SimUser& u : m_data.users)
        for (const QByteArray& t : u.templates)
            count += t.isEmpty() ? 0 : 1;
    return count;
}

int SimTerminal::status(int index, int& value) const
{
    int templates = 0;
    int admins = 0;
    int passwords = 0;
    for (const SimUser& u : m_data.users) {
        admins += u.privilege != 0 ? 1 : 0;
        passwords += u.password.isEmpty() ? 0 : 1;
        for (const QByteArray& t : u.templates)
            templates += t.isEmpty() ? 0 : 1;
    }
    const int users = int(m_data.users.size());
    const int logs = int(m_data.logs.size());
    const int fingerCap = qMax(fingerCapacity(), templates);
    switch (index) {
    case 1: value = admins; break;
    case 2: value = users; break;
    case 3: value = templates; break;
    case 4: value = passwords; break;
    case 5: value = int(m_data.superLogs.size()); break;
    case 6: value = logs; break;
    case 7: value = fingerCap; break;
    case 8: value = userCapacity(); break;
    case 9: value = logCapacity(); break;
    case 10: value = fingerCap - templates; break;
    case 11: value = userCapacity() - users; break;
    case 12: value = logCapacity() - logs; break;
    default: return TermError::InvalidArgument;
    }
    return TermError::None;
}

QDateTime SimTerminal::clock() const
{
    return QDateTime::currentDateTime().addSecs(m_data.clockOffsetSeconds);
}

quint32 SimTerminal::clockWire() const
{
    return WireTime::fromDateTime(clock());
}

int SimTerminal::setClock(const QDateTime& wanted)
{
    if (!wanted.isValid())
        return TermError::InvalidArgument;
    const QDateTime now = QDateTime::currentDateTime();
    // Both are wall-clock times; compare them as such, ignoring zone changes.
    const QDateTime a(now.date(), now.time(), Qt::UTC);
    const QDateTime b(wanted.date(), wanted.time(), Qt::UTC);
    changeClockOffset(a.secsTo(b));
    addSuperLog(ClockSet);
    return TermError::None;
}

int SimTerminal::writeLcd(int row, int column, const QString& text)
{
    if (row < 0 || row >= LcdRows || column < 0 || column >= LcdColumns)
        return TermError::InvalidArgument;
    QString line = m_lcd.at(row);
    const QString part = text.left(LcdColumns - column);
    line.replace(column, part.size(), part);
    m_lcd[row] = line;
    return TermError::None;
}

void SimTerminal::clearLcd()
{
    m_lcd = QStringList(LcdRows, QString(LcdColumns, QLatin1Char(' ')));
}

int SimTerminal::beep(int delayMs)
{
    if (delayMs < 0 || delayMs > 60000)
        return TermError::InvalidArgument;
    ++m_beeps;
    return TermError::None;
}

int SimTerminal::unlock(int delay)
{
    if (delay < 0 || delay > 65535)
        return TermError::InvalidArgument;
    ++m_unlocks;
    return TermError::None;
}

int SimTerminal::playVoice(int position, int length)
{
    // Compared without adding: position + length overflows for positions near INT_MAX.
    if (position < 0 || position >= VoiceMemory || length < 1 || length > VoiceMemory - position)
        return TermError::InvalidArgument;
    m_lastVoice = position;
    return TermError::None;
}

int SimTerminal::playVoiceByIndex(int index)
{
    if (index < 0 || index >= VoiceCount)
        return TermError::InvalidArgument;
    m_lastVoice = index;
    return TermError::None;
}

int SimTerminal::startFingerOperation(const QString& enroll, int finger, Operation operation)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || finger < 0 || finger > 9)
        return TermError::InvalidArgument;
    if (m_operation != Operation::Idle)
        return TermError::Busy;
    const SimUser* u = findUser(key);
    const bool enrolled = u && !u->templates[size_t(finger)].isEmpty();
    if (operation == Operation::Enrolling && enrolled)
        return TermError::Refused; // that finger is enrolled already
    if (operation == Operation::Verifying && !enrolled)
        return TermError::NoData;
    m_operation = operation;
    m_operationEnroll = key;
    m_operationFinger = finger;
    m_presses = 0;
    return TermError::None;
}

int SimTerminal::startEnroll(const QString& enroll, int finger)
{
    return startFingerOperation(enroll, finger, Operation::Enrolling);
}

int SimTerminal::startVerify(const QString& enroll, int finger)
{
    return startFingerOperation(enroll, finger, Operation::Verifying);
}

int SimTerminal::startIdentify()
{
    if (m_operation != Operation::Idle)
        return TermError::Busy;
    for (const SimUser& u : m_data.users)
        for (const QByteArray& t : u.templates)
            if (!t.isEmpty()) {
                m_operation = Operation::Identifying;
                return TermError::None;
            }
    return TermError::NoData;
}

bool SimTerminal::fingerMatches(const QByteArray& stored, const QString& storedEnroll, int storedFinger,
                                const QString& placedEnroll, int placedFinger)
{
    if (stored.isEmpty())
        return false;
    if (FingerTemplate::isWellFormed(stored))
        return stored == FingerTemplate::forFinger(placedEnroll, placedFinger, int(stored.size()));
    return storedEnroll == placedEnroll && storedFinger == placedFinger;
}

int SimTerminal::placeFinger(const QString& enroll, int finger, int score, FingerOutcome& out)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || finger < 0 || finger > 9 || score < 0 || score > 100)
        return TermError::InvalidArgument;
    if (m_operation == Operation::Idle)
        return TermError::Refused; // nothing waits for a finger
    out = FingerOutcome();
    out.operation = m_operation;
    out.score = score;
    switch (m_operation) {
    case Operation::Enrolling: {
        if (++m_presses < EnrollPresses) {
            out.pressesLeft = EnrollPresses - m_presses;
            return TermError::None;
        }
        m_operation = Operation::Idle;
        if (!findUser(m_operationEnroll)) {
            if (const int rc = writeUser(m_operationEnroll, QString(), QString(), 0, true); rc != TermError::None)
                return rc;
        }
        const int rc = setTemplate(m_operationEnroll, m_operationFinger,
                                   FingerTemplate::forFinger(key, finger, EnrolledTemplateBytes));
        out.stored = rc == TermError::None;
        return rc;
    }
    case Operation::Verifying: {
        m_operation = Operation::Idle;
        out.verifyEvent = true;
        const SimUser* u = findUser(m_operationEnroll);
        if (u && fingerMatches(u->templates[size_t(m_operationFinger)], u->enroll, m_operationFinger, key, finger))
            out.matchedEnroll = u->enroll;
        return TermError::None;
    }
    case Operation::Identifying:
        m_operation = Operation::Idle;
        out.verifyEvent = true;
        for (const SimUser& u : m_data.users)
            for (int f = 0; f < 10 && out.matchedEnroll.isEmpty(); ++f)
                if (fingerMatches(u.templates[size_t(f)], u.enroll, f, key, finger))
                    out.matchedEnroll = u.enroll;
        return TermError::None;
    case Operation::Idle:
        break;
    }
    return TermError::Refused;
}

int SimTerminal::acceptFirmware(const QString& fileName, const QByteArray& content, quint32 crc)
{
    if (content.isEmpty())
        return TermError::InvalidArgument;
    if (Crc32::compute(content.constData(), content.size()) != crc)
        return TermError::InvalidArgument;
    SimFirmwareRecord r;
    r.fileName = fileName;
    r.size = quint32(content.size());
    r.crc = crc;
    r.time = clockWire();
    changeAppendFirmware(r);
    addSuperLog(FirmwareUpdated, 0, int(r.size));
    return TermError::None;
}

QByteArray SimTerminal::captureImage(bool fullImage, int& width, int& height) const
{
    width = fullImage ? 256 : 128;
    height = fullImage ? 288 : 144;
    const int rowBytes = (width + 3) & ~3;
    const int pixelBytes = rowBytes * height;
    const int offset = 14 + 40 + 256 * 4;
    QByteArray bmp(offset + pixelBytes, '\0');
    auto* p = reinterpret_cast<uchar*>(bmp.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(bmp.size()), p + 2);
    qToLittleEndian<quint32>(quint32(offset), p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(8, p + 28);
    qToLittleEndian<quint32>(quint32(pixelBytes), p + 34);
    qToLittleEndian<quint32>(256, p + 46);
    for (int i = 0; i < 256; ++i) {
        uchar* e = p + 54 + 4 * i;
        e[0] = e[1] = e[2] = uchar(i);
    }
    // Ridges: concentric ellipses around a core a little below the centre.
    const double cx = width / 2.0;
    const double cy = height * 0.45;
    for (int y = 0; y < height; ++y) {
        uchar* row = p + offset + (height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const double dx = (x - cx) / width;
            const double dy = (y - cy) / height;
            const double r = std::sqrt(dx * dx * 1.6 + dy * dy) * (fullImage ? 90.0 : 45.0);
            const double edge = dx * dx * 4 + dy * dy * 3.2;
            row[x] = edge > 0.9 ? 255 : uchar(128 + 110 * std::sin(r * 3.14159));
        }
    }
    return bmp;
}

// ---- Recorded changes ----

void SimTerminal::commitChanges()
{
    m_changes.clear();
    m_undo.clear();
}

void SimTerminal::rollbackChanges()
{
    rollbackTo(0);
}

void SimTerminal::rollbackTo(size_t mark)
{
    while (m_undo.size() > mark) {
        m_undo.back()();
        m_undo.pop_back();
    }
    if (m_undo.empty())
        m_changes.clear();
}

bool SimTerminal::applyChanges(const QByteArray& record, QString& error)
{
    const size_t mark = m_undo.size();
    const qsizetype at = m_changes.size();
    if (!applyRecord(record)) {
        rollbackTo(mark);
        m_changes.truncate(at);
        error = QStringLiteral("a change record that does not fit the data (%1 bytes)").arg(record.size());
        return false;
    }
    commitChanges();
    return true;
}

bool SimTerminal::applyRecord(const QByteArray& record)
{
    WireReader r(record);
    while (r.ok() && !r.atEnd()) {
        switch (r.u8()) {
        case UserFieldsChange: {
            const QString enroll = r.str8();
            const QString name = r.str8();
            const QString password = r.str8();
            const qint32 privilege = r.i32();
            const bool enabled = r.u8() != 0;
            if (!r.ok() || enroll.isEmpty())
                return false;
            changeUserFields(enroll, name, password, privilege, enabled);
            break;
        }
        case TemplateChange: {
            const QString enroll = r.str8();
            const quint8 finger = r.u8();
            const QByteArray data = r.blob(0xFFFF);
            if (!r.ok() || finger > 9 || !changeTemplate(enroll, finger, data))
                return false;
            break;
        }
        case RemoveUserChange: {
            const QString enroll = r.str8();
            if (!r.ok() || !changeRemoveUser(enroll))
                return false;
            break;
        }
        case ClearPrivilegesChange: changeClearPrivileges(); break;
        case ClearAllChange: changeClearAll(); break;
        case ClearLogsChange: changeClearLogs(); break;
        case ParameterChange: {
            const quint8 index = r.u8();
            const qint32 value = r.i32();
            if (!r.ok() || index >= SimTerminalData::ParameterCount)
                return false;
            changeParameter(index, value);
            break;
        }
        case ClockOffsetChange: {
            const qint64 seconds = r.i64();
            if (!r.ok() || !SimStore::plausibleClockOffset(seconds))
                return false;
            changeClockOffset(seconds);
            break;
        }
        case SuperLogChange: {
            const SimSuperLogRecord rec = WireRecords::readSuperLog(r);
            if (!r.ok())
                return false;
            changeAppendSuperLog(rec);
            break;
        }
        case FirmwareChange: {
            SimFirmwareRecord f;
            f.fileName = r.str16();
            f.size = r.u32();
            f.crc = r.u32();
            f.time = r.u32();
            if (!r.ok())
                return false;
            changeAppendFirmware(f);
            break;
        }
        case EnrollTextChange: {
            const QByteArray text = r.str8Bytes();
            if (!r.ok())
                return false;
            changeAppendEnrollText(text);
            break;
        }
        case LogChange: {
            SimLogRecord rec;
            rec.enrollId = r.u32();
            rec.time = r.u32();
            rec.workCode = r.u32();
            rec.verifyMode = r.u8();
            rec.inOutMode = r.u8();
            if (!r.ok() || rec.enrollId >= quint32(m_data.enrollTexts.size()))
                return false;
            changeAppendLog(rec);
            break;
        }
        case ReplaceAllChange: {
            const QByteArray image = r.blob();
            SimTerminalData data;
            QString why;
            if (!r.ok() || !SimStore::deserialize(image, data, why))
                return false;
            changeReplaceAll(std::move(data));
            break;
        }
        default:
            return false;
        }
    }
    return r.ok();
}

void SimTerminal::changeUserFields(const QString& enroll, const QString& name, const QString& password, int privilege,
                                   bool enabled)
{
    WireWriter w;
    w.u8(UserFieldsChange).str8(enroll).str8(name).str8(password).i32(privilege).u8(enabled ? 1 : 0);
    m_changes += w.data();
    if (SimUser* u = user(enroll)) {
        m_undo.push_back([this, enroll, old = SimUser{QString(), u->name, u->password, u->privilege, u->enabled, {}}] {
            SimUser* v = user(enroll);
            v->name = old.name;
            v->password = old.password;
            v->privilege = old.privilege;
            v->enabled = old.enabled;
        });
        u->name = name;
        u->password = password;
        u->privilege = privilege;
        u->enabled = enabled;
        return;
    }
    SimUser fresh;
    fresh.enroll = enroll;
    fresh.name = name;
    fresh.password = password;
    fresh.privilege = privilege;
    fresh.enabled = enabled;
    m_data.users.push_back(std::move(fresh));
    m_userIndex.insert(enroll, qsizetype(m_data.users.size()) - 1);
    m_undo.push_back([this, enroll] {
        m_data.users.pop_back();
        m_userIndex.remove(enroll);
    });
}

bool SimTerminal::changeTemplate(const QString& enroll, int finger, const QByteArray& data)
{
    SimUser* u = user(enroll);
    if (!u || finger < 0 || finger > 9)
        return false;
    WireWriter w;
    w.u8(TemplateChange).str8(enroll).u8(quint8(finger)).blob(data);
    m_changes += w.data();
    m_undo.push_back([this, enroll, finger, old = u->templates[size_t(finger)]] {
        user(enroll)->templates[size_t(finger)] = old;
    });
    u->templates[size_t(finger)] = data;
    return true;
}

bool SimTerminal::changeRemoveUser(const QString& enroll)
{
    auto it = m_userIndex.constFind(enroll);
    if (it == m_userIndex.constEnd())
        return false;
    const qsizetype at = it.value();
    WireWriter w;
    w.u8(RemoveUserChange).str8(enroll);
    m_changes += w.data();
    auto old = std::make_shared<SimUser>(std::move(m_data.users[size_t(at)]));
    m_data.users.erase(m_data.users.begin() + at);
    m_userIndex.remove(enroll);
    for (qsizetype i = at; i < qsizetype(m_data.users.size()); ++i)
        m_userIndex[m_data.users[size_t(i)].enroll] = i;
    m_undo.push_back([this, at, old] {
        m_data.users.insert(m_data.users.begin() + at, *old);
        for (qsizetype i = at; i < qsizetype(m_data.users.size()); ++i)
            m_userIndex[m_data.users[size_t(i)].enroll] = i;
    });
    return true;
}

void SimTerminal::changeClearPrivileges()
{
    m_changes += char(ClearPrivilegesChange);
    auto old = std::make_shared<std::vector<int>>();
    old->reserve(m_data.users.size());
    for (SimUser& u : m_data.users) {
        old->push_back(u.privilege);
        u.privilege = 0;
    }
    m_undo.push_back([this, old] {
        for (size_t i = 0; i < old->size(); ++i)
            m_data.users[i].privilege = (*old)[i];
    });
}

void SimTerminal::changeClearAll()
{
    m_changes += char(ClearAllChange);
    auto old = std::make_shared<SimTerminalData>();
    old->users = std::move(m_data.users);
    old->logs = std::move(m_data.logs);
    old->superLogs = std::move(m_data.superLogs);
    old->enrollTexts = std::move(m_data.enrollTexts);
    m_data.users.clear();
    m_data.logs.clear();
    m_data.superLogs.clear();
    m_data.enrollTexts.clear();
    rebuildIndex();
    m_undo.push_back([this, old] {
        m_data.users = std::move(old->users);
        m_data.logs = std::move(old->logs);
        m_data.superLogs = std::move(old->superLogs);
        m_data.enrollTexts = std::move(old->enrollTexts);
        rebuildIndex();
    });
}

void SimTerminal::changeClearLogs()
{
    m_changes += char(ClearLogsChange);
    auto old = std::make_shared<std::vector<SimLogRecord>>(std::move(m_data.logs));
    m_data.logs = std::vector<SimLogRecord>();
    m_undo.push_back([this, old] { m_data.logs = std::move(*old); });
}

void SimTerminal::changeParameter(int index, qint32 value)
{
    WireWriter w;
    w.u8(ParameterChange).u8(quint8(index)).i32(value);
    m_changes += w.data();
    m_undo.push_back([this, index, old = m_data.parameters[size_t(index)]] { m_data.parameters[size_t(index)] = old; });
    m_data.parameters[size_t(index)] = value;
}

void SimTerminal::changeClockOffset(qint64 seconds)
{
    WireWriter w;
    w.u8(ClockOffsetChange).i64(seconds);
    m_changes += w.data();
    m_undo.push_back([this, old = m_data.clockOffsetSeconds] { m_data.clockOffsetSeconds = old; });
    m_data.clockOffsetSeconds = seconds;
}

void SimTerminal::changeAppendSuperLog(const SimSuperLogRecord& record)
{
    WireWriter w;
    w.u8(SuperLogChange);
    WireRecords::writeSuperLog(w, record);
    m_changes += w.data();
    m_data.superLogs.push_back(record);
    m_undo.push_back([this] { m_data.superLogs.pop_back(); });
}

void SimTerminal::changeAppendFirmware(const SimFirmwareRecord& record)
{
    WireWriter w;
    w.u8(FirmwareChange).str16(record.fileName).u32(record.size).u32(record.crc).u32(record.time);
    m_changes += w.data();
    m_data.firmware.push_back(record);
    m_undo.push_back([this] { m_data.firmware.pop_back(); });
}

void SimTerminal::changeAppendEnrollText(const QByteArray& utf8)
{
    WireWriter w;
    w.u8(EnrollTextChange).str8(utf8);
    m_changes += w.data();
    const QString text = QString::fromUtf8(utf8);
    m_data.enrollTexts.append(utf8);
    m_enrollIds.insert(text, quint32(m_data.enrollTexts.size() - 1));
    m_undo.push_back([this, text] {
        m_data.enrollTexts.removeLast();
        m_enrollIds.remove(text);
    });
}

void SimTerminal::changeAppendLog(const SimLogRecord& record)
{
    WireWriter w;
    w.u8(LogChange).u32(record.enrollId).u32(record.time).u32(record.workCode).u8(record.verifyMode).u8(
        record.inOutMode);
    m_changes += w.data();
    m_data.logs.push_back(record);
    m_undo.push_back([this] { m_data.logs.pop_back(); });
}

void SimTerminal::changeReplaceAll(SimTerminalData data)
{
    WireWriter w;
    w.u8(ReplaceAllChange).blob(SimStore::serialize(data));
    m_changes += w.data();
    auto old = std::make_shared<SimTerminalData>(std::move(m_data));
    m_data = std::move(data);
    rebuildIndex();
    m_undo.push_back([this, old] {
        m_data = std::move(*old);
        rebuildIndex();
    });
}
