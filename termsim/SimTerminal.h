#pragma once

#include "SimTerminalData.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The model of one emulated terminal: its stored data (SimTerminalData) and the
// state that lasts only while it runs (display, beeper, door lock, enrol and
// verify state). Operations answer a TermError code. No I/O happens here.
//
// Every change an operation makes to stored data is recorded as it is made:
// as a compact change record for the journal (pendingChanges()) and as a way
// back. The caller persists the record and then commits, or rolls back when it
// cannot, so that no change outlives a failure to store it. An operation that
// fails makes no change at all.
class SimTerminal {
public:
    enum class Operation { Idle, Enrolling, Verifying, Identifying };
    static constexpr int LcdRows = 4;
    static constexpr int LcdColumns = 32;
    static constexpr int VoiceCount = 12;
    static constexpr int VoiceMemory = 100;
    // An enrol stores the finger after this many presses on the sensor.
    static constexpr int EnrollPresses = 3;
    static constexpr int EnrolledTemplateBytes = 512;

    // What a finger placed on the sensor did (placeFinger).
    struct FingerOutcome {
        Operation operation = Operation::Idle; // the operation that took the finger
        int score = 0;
        bool verifyEvent = false;  // a verify or identify ended: a Verify event follows
        QString matchedEnroll;     // the user the finger matched; empty: nobody
        int pressesLeft = 0;       // enrol: presses still needed; 0 once stored
        bool stored = false;       // enrol: the template was stored
    };

    SimTerminal(int machineNumber, SimKind kind);

    // A fresh terminal's parameters (Device ID = machineNumber).
    static std::array<qint32, SimTerminalData::ParameterCount> defaultParameters(int machineNumber, SimKind kind);
    static QString kindName(SimKind kind);
    static bool kindFromName(const QString& name, SimKind& kind);

    // Identity
    int machineNumber() const { return m_data.parameters[1]; }
    SimKind kind() const { return m_data.kind; }
    bool numericEnroll() const { return m_data.kind == SimKind::BlackWhite; }
    QString serialNumber() const;
    QString productCode() const;
    QString firmwareVersion() const;
    int commKey() const { return m_commKey; }
    void setCommKey(int key) { m_commKey = key; }

    const SimTerminalData& data() const { return m_data; }
    // For seeding and loading only: changes made through this are not recorded.
    SimTerminalData& data() { return m_data; }
    // Replaces the stored data as loaded from disk (not recorded as a change).
    void replaceData(SimTerminalData data, bool keepIdentity);
    // RestoreData: replaces all stored data by an image, keeping the kind and Device ID.
    void restoreData(SimTerminalData data);
    void rebuildIndex();

    // Changes recorded since the last commit or rollback.
    bool hasPendingChanges() const { return !m_undo.empty(); }
    const QByteArray& pendingChanges() const { return m_changes; }
    void commitChanges();
    void rollbackChanges();
    // Applies a change record made by pendingChanges() (the journal on start);
    // false, with nothing applied, when the record does not decode or does not fit the data.
    bool applyChanges(const QByteArray& record, QString& error);

    // Enroll numbers: canonical text, or empty when not valid for this kind.
    QString canonicalEnroll(const QString& enroll) const;
    quint32 internEnroll(const QString& canonical);
    // Adds an attendance record of a canonical enroll number.
    void addAttendanceLog(const QString& canonical, quint32 time, quint8 verifyMode, quint8 inOutMode, quint32 workCode);

    // Users and templates. All answer a TermError code.
    int writeUser(const QString& enroll, const QString& name, const QString& password, int privilege, bool enabled);
    int readUser(const QString& enroll, SimUser& out) const;
    int setTemplate(const QString& enroll, int finger, const QByteArray& data);
    int readTemplate(const QString& enroll, int finger, QByteArray& out) const;
    int deleteTemplate(const QString& enroll, int finger);
    int deleteEnrollData(const QString& enroll, int backupNumber);
    int setEnrollData(const QString& enroll, int finger, int privilege, const QByteArray& data, int password);
    void clearAdministrators();
    void clearAllData();
    void clearAttendanceLogs();
    const SimUser* findUser(const QString& canonical) const;

    // Parameters, counters, clock.
    int getInfo(int index, int& value) const;
    int setInfo(int index, int value);
    int status(int index, int& value) const;
    QDateTime clock() const;
    int setClock(const QDateTime& wanted);
    quint32 clockWire() const;

    void addSuperLog(qint32 manipulation, qint32 target = 0, qint32 params1 = 0, qint32 params2 = 0);

    // Running state.
    bool deviceEnabled() const { return m_deviceEnabled; }
    void setDeviceEnabled(bool on) { m_deviceEnabled = on; }
    int writeLcd(int row, int column, const QString& text);
    void clearLcd();
    void enableDefaultLcd(bool on) { m_defaultLcd = on; }
    bool defaultLcd() const { return m_defaultLcd; }
    QStringList lcdLines() const { return m_lcd; }
    int beep(int delayMs);
    int beepCount() const { return m_beeps; }
    int unlock(int delay);
    int unlockCount() const { return m_unlocks; }
    int playVoice(int position, int length);
    int playVoiceByIndex(int index);
    int lastVoice() const { return m_lastVoice; }
    int startEnroll(const QString& enroll, int finger);
    int startVerify(const QString& enroll, int finger);
    int startIdentify();
    void cancelOperation() { m_operation = Operation::Idle; }
    Operation operation() const { return m_operation; }
    // The finger `finger` of the person with enroll number `enroll` is placed
    // on the sensor with a read score of 0..100. Refused while no enrol,
    // verify or identify runs. A verify or identify ends with this finger; an
    // enrol takes EnrollPresses of them, then stores the finger's template
    // (FingerTemplate::forFinger) as its user's finger, creating the user.
    int placeFinger(const QString& enroll, int finger, int score, FingerOutcome& out);
    // Whether a stored template is the one the placed finger gives: a template
    // in the emulator's own format matches only the finger it was made from;
    // any other (seeded, or written by a program) matches the finger of its
    // own user and index.
    static bool fingerMatches(const QByteArray& stored, const QString& storedEnroll, int storedFinger,
                              const QString& placedEnroll, int placedFinger);
    int acceptFirmware(const QString& fileName, const QByteArray& content, quint32 crc);
    // A generated fingerprint image as an 8-bit greyscale BMP file.
    QByteArray captureImage(bool fullImage, int& width, int& height) const;

    int templateCount() const;
    // Capacities for the status counters.
    int userCapacity() const;
    int fingerCapacity() const;
    int logCapacity() const;

private:
    // The primitive changes of stored data. Each applies itself, appends its
    // record to m_changes and its inverse to m_undo.
    void changeUserFields(const QString& enroll, const QString& name, const QString& password, int privilege,
                          bool enabled);
    bool changeTemplate(const QString& enroll, int finger, const QByteArray& data);
    bool changeRemoveUser(const QString& enroll);
    void changeClearPrivileges();
    void changeClearAll();
    void changeClearLogs();
    void changeParameter(int index, qint32 value);
    void changeClockOffset(qint64 seconds);
    void changeAppendSuperLog(const SimSuperLogRecord& record);
    void changeAppendFirmware(const SimFirmwareRecord& record);
    void changeAppendEnrollText(const QByteArray& utf8);
    void changeAppendLog(const SimLogRecord& record);
    void changeReplaceAll(SimTerminalData data);
    void rollbackTo(size_t undoMark);
    // Decodes and applies one change record; false on the first part that does not fit.
    bool applyRecord(const QByteArray& record);

    SimUser* user(const QString& canonical);
    // Starts an enrol (the finger must be free) or a verify (the finger must be enrolled).
    int startFingerOperation(const QString& enroll, int finger, Operation operation);

    SimTerminalData m_data;
    QHash<QString, qsizetype> m_userIndex;
    QHash<QString, quint32> m_enrollIds;
    int m_commKey = -1;
    bool m_deviceEnabled = true;
    QStringList m_lcd;
    bool m_defaultLcd = true;
    int m_beeps = 0;
    int m_unlocks = 0;
    int m_lastVoice = -1;
    Operation m_operation = Operation::Idle;
    QString m_operationEnroll;
    int m_operationFinger = 0;
    int m_presses = 0;
    QByteArray m_changes;
    std::vector<std::function<void()>> m_undo;
};
