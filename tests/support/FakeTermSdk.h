#pragma once

#include "ITermSdk.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

// Recording fake of the terminal SDK for tests of the code above it.
//
// Every call is recorded with its input arguments, in order (setting the
// serial port records as "CommPort"). The answer of each operation is
// scripted: replies queued with push() are consumed one per call; when the
// queue is empty the operation's default reply applies. Without a script
// every operation succeeds, except the Next... fetches, which report the end
// of the data. A reply's outputs are assigned to the operation's output
// parameters in declaration order; a reply marked raise throws instead, as a
// broken control would.
class FakeTermSdk : public ITermSdk {
public:
    struct Call {
        QString name;
        QVariantList args;
    };
    struct Reply {
        bool result = true;
        QVariantList outputs = {};
        bool raise = false;
        int value = 0; // result of the operations that answer an integer
    };

    void push(const QString& operation, const Reply& reply) { m_queued[operation].append(reply); }
    void setDefault(const QString& operation, const Reply& reply) { m_defaults[operation] = reply; }
    int pendingReplies(const QString& operation) const { return m_queued.value(operation).size(); }

    // Queue one record (a user, a log entry) for the fetch operation of that name.
    void pushRecord(const QString& operation, const QVariantList& outputs) { push(operation, {true, outputs}); }

    QList<Call> calls;
    QStringList callNames() const;
    // Names of the calls, each followed by its arguments: "ConnectSerial(1,5,19200)".
    QStringList callTrace() const;
    std::function<void(const Call&)> onCall;

    // The handler the code under test set (not recorded as a call), and a
    // terminal event handed to it at once, as the real SDK does from its
    // event loop.
    bool hasEventHandler() const { return bool(m_eventHandler); }
    void raiseEvent(const TermEvent& event);

    void SetCommPort(int port) override;
    int CommPort() const override;
    bool ConnectSerial(int port, int machineNumber, int baudRate) override;
    bool ConnectNetwork(const QString& ipAddress, int port) override;
    bool SetCommKey(int commKey) override;
    bool SetDeviceEnabled(int machineNumber, bool enabled) override;
    bool RefreshDeviceData(int machineNumber) override;
    void Disconnect() override;
    bool LoadAllLogs(int machineNumber) override;
    bool NextLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber, int& enrollMachineNumber, int& verifyMode, int& inOutMode, int& year, int& month, int& day, int& hour, int& minute) override;
    bool NextLogRecordStr(int machineNumber, QString& enrollNumber, int& verifyMode, int& inOutMode, int& year, int& month, int& day, int& hour, int& minute, int& second, int& workCode) override;
    bool LoadAllUserIds(int machineNumber) override;
    bool NextUserRecord(int machineNumber, int& enrollNumber, QString& name, QString& password, int& privilege, bool& enabled) override;
    bool NextUserRecordStr(int machineNumber, QString& enrollNumber, QString& name, QString& password, int& privilege, bool& enabled) override;
    void GetLastErrorCode(int& errorCode) override;
    void SetEventHandler(TermEventHandler handler) override;
    bool ClearAdministrators(int machineNumber) override;
    bool DeleteEnrollData(int machineNumber, int enrollNumber, int enrollMachineNumber, int backupNumber) override;
    bool LoadSuperLogs(int machineNumber) override;
    bool LoadLogs(int machineNumber) override;
    bool GetDeviceStatus(int machineNumber, int statusIndex, int& value) override;
    bool GetDeviceInfo(int machineNumber, int infoIndex, int& value) override;
    bool SetDeviceInfo(int machineNumber, int infoIndex, int value) override;
    bool SetDeviceTime(int machineNumber) override;
    bool PowerOffDevice(int machineNumber) override;
    bool GetDeviceTime(int machineNumber, int& year, int& month, int& day, int& hour, int& minute, int& second) override;
    bool NextSuperLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber, int& enrollMachineNumber, int& manipulatedEnrollNumber, int& manipulation, int& params1, int& params2, int& year, int& month, int& day, int& hour, int& minute) override;
    bool GetSerialNumber(int machineNumber, QString& serialNumber) override;
    bool ClearAllData(int machineNumber) override;
    bool GetProductCode(int machineNumber, QString& productCode) override;
    bool GetFirmwareVersion(int machineNumber, QString& version) override;
    bool GetSdkVersion(QString& version) override;
    bool ClearAttendanceLogs(int machineNumber) override;
    bool WriteUserInfo(int machineNumber, int enrollNumber, const QString& name, const QString& password, int privilege, bool enabled) override;
    bool ReadUserInfo(int machineNumber, int enrollNumber, QString& name, QString& password, int& privilege, bool& enabled) override;
    bool ReadFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex, QByteArray& buffer, int& length) override;
    bool SetUserTmp(int machineNumber, int enrollNumber, int fingerIndex, const QByteArray& templateData) override;
    bool DeleteFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex) override;
    bool ConvertFingerTemplate(const QByteArray& templateData, QByteArray& output, int& outputLength) override;
    bool ACUnlock(int machineNumber, int delay) override;
    bool WriteFingerTemplateText(int machineNumber, int enrollNumber, int fingerIndex, const QString& templateText) override;
    bool SetEnrollDataStr(int machineNumber, int enrollNumber, int enrollMachineNumber, int fingerIndex, int privilege, const QString& templateText, int password) override;
    int FPTempLength(const QString& templateText) override;
    bool CaptureFingerImage(bool fullImage, int& width, int& height, QByteArray& imageBuffer, const QString& imageFile) override;
    bool UpdateFirmware(const QString& firmwareFile) override;
    bool StartEnroll(int enrollNumber, int fingerIndex) override;
    bool StartVerify(int enrollNumber, int fingerIndex) override;
    bool StartIdentify() override;
    bool CancelOperation() override;
    bool BackupData(const QString& fileName) override;
    bool RestoreData(const QString& fileName) override;
    bool WriteLCD(int row, int column, const QString& text) override;
    bool ClearLCD() override;
    bool Beep(int delayMs) override;
    bool PlayVoice(int position, int length) override;
    bool PlayVoiceByIndex(int index) override;
    bool EnableDefaultLCD(bool enabled) override;
private:
    Reply take(const QString& operation, const QVariantList& args);
    void record(const QString& operation, const QVariantList& args);

    int m_commPort = 0;
    TermEventHandler m_eventHandler;
    QHash<QString, QList<Reply>> m_queued;
    QHash<QString, Reply> m_defaults;
};
