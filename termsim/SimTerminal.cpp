#include "SimTerminal.h"

#include "Crc32.h"
#include "FingerTemplate.h"
#include "TermError.h"
#include "WireTime.h"

#include <QtEndian>

#include <cmath>

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
    FirmwareUpdated = 10,
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
    const quint32 id = quint32(m_data.enrollTexts.size());
    m_data.enrollTexts.append(canonical.toUtf8());
    m_enrollIds.insert(canonical, id);
    return id;
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
    m_data.superLogs.push_back(r);
}

int SimTerminal::writeUser(const QString& enroll, const QString& name, const QString& password, int privilege,
                           bool enabled)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || privilege < 0 || privilege > 255 || name.toUtf8().size() > kMaxNameBytes ||
        password.toUtf8().size() > kMaxPasswordBytes)
        return TermError::InvalidArgument;
    SimUser* u = user(key);
    if (!u) {
        if (qsizetype(m_data.users.size()) >= userCapacity())
            return TermError::Refused;
        SimUser fresh;
        fresh.enroll = key;
        m_data.users.push_back(fresh);
        m_userIndex.insert(key, qsizetype(m_data.users.size()) - 1);
        u = &m_data.users.back();
    }
    u->name = name;
    u->password = password;
    u->privilege = privilege;
    u->enabled = enabled;
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
    SimUser* u = user(key);
    if (!u)
        return TermError::NoData;
    if (u->templates[size_t(finger)].isEmpty()) {
        int count = 0;
        for (const SimUser& x : m_data.users)
            for (const QByteArray& t : x.templates)
                count += t.isEmpty() ? 0 : 1;
        if (count >= fingerCapacity())
            return TermError::Refused;
    }
    u->templates[size_t(finger)] = data;
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
    SimUser* u = user(key);
    if (!u || u->templates[size_t(finger)].isEmpty())
        return TermError::NoData;
    u->templates[size_t(finger)].clear();
    addSuperLog(EnrollDataDeleted, enrollAsInt(key), finger);
    return TermError::None;
}

int SimTerminal::deleteEnrollData(const QString& enroll, int backupNumber)
{
    const QString key = canonicalEnroll(enroll);
    if (key.isEmpty() || backupNumber < 0 || backupNumber > 12)
        return TermError::InvalidArgument;
    SimUser* u = user(key);
    if (!u)
        return TermError::NoData;
    if (backupNumber <= 9) {
        if (u->templates[size_t(backupNumber)].isEmpty())
            return TermError::NoData;
        u->templates[size_t(backupNumber)].clear();
    } else if (backupNumber == 10) {
        if (u->password.isEmpty())
            return TermError::NoData;
        u->password.clear();
    } else if (backupNumber == 11) {
        return TermError::NoData; // no cards are kept
    } else {
        const qsizetype at = m_userIndex.value(key);
        m_data.users.erase(m_data.users.begin() + at);
        for (qsizetype i = at; i < qsizetype(m_data.users.size()); ++i)
            m_userIndex[m_data.users[size_t(i)].enroll] = i;
        m_userIndex.remove(key);
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
    if (!findUser(key)) {
        const int rc = writeUser(key, QString(), QString(), privilege, true);
        if (rc != TermError::None)
            return rc;
    }
    SimUser* u = user(key);
    u->privilege = privilege;
    if (password != 0)
        u->password = QString::number(password);
    return setTemplate(key, finger, data);
}

void SimTerminal::clearAdministrators()
{
    for (SimUser& u : m_data.users)
        u.privilege = 0;
    addSuperLog(AdministratorsCleared);
}

void SimTerminal::clearAllData()
{
    m_data.users.clear();
    m_data.logs.clear();
    m_data.logs.shrink_to_fit();
    m_data.superLogs.clear();
    m_data.enrollTexts.clear();
    rebuildIndex();
}

void SimTerminal::clearAttendanceLogs()
{
    m_data.logs.clear();
    m_data.logs.shrink_to_fit();
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
    m_data.parameters[size_t(index - 1)] = value;
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
    m_data.clockOffsetSeconds = a.secsTo(b);
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
    if (position < 0 || length < 1 || position + length > VoiceMemory)
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
    m_data.firmware.push_back(r);
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
