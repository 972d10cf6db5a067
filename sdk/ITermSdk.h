#pragma once

#include "TermEvent.h"

#include <QByteArray>
#include <QString>

// The terminal SDK as both programs see it: one object per connection to one
// attendance terminal. Every operation answers true for success; a false
// answer leaves the reason in GetLastErrorCode. Outputs are reference
// parameters, filled only when the call succeeds unless the operation says
// otherwise. Operations are listed in the order the programs document them:
// the ones QV uses first, then the ones the test tool adds.
//
// A call that fails below the protocol level (the control itself is broken,
// not the terminal) throws; callers that must always release a terminal catch.
class ITermSdk {
public:
    virtual ~ITermSdk() = default;

    // Serial port used by the next ConnectSerial.
    virtual void SetCommPort(int port) = 0;
    virtual int CommPort() const = 0;

    virtual bool ConnectSerial(int port, int machineNumber, int baudRate) = 0;
    // A network connection always addresses machine number 1.
    virtual bool ConnectNetwork(const QString& ipAddress, int port) = 0;
    // Key for the next connect; the terminal refuses a session opened with a wrong key.
    virtual bool SetCommKey(int commKey) = 0;
    virtual bool SetDeviceEnabled(int machineNumber, bool enabled) = 0;
    virtual bool RefreshDeviceData(int machineNumber) = 0;
    virtual void Disconnect() = 0;

    // Fetches the whole attendance log into the SDK; the Next calls walk it.
    virtual bool LoadAllLogs(int machineNumber) = 0;
    virtual bool NextLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber,
                               int& enrollMachineNumber, int& verifyMode, int& inOutMode, int& year,
                               int& month, int& day, int& hour, int& minute) = 0;
    virtual bool NextLogRecordStr(int machineNumber, QString& enrollNumber, int& verifyMode, int& inOutMode,
                                  int& year, int& month, int& day, int& hour, int& minute, int& second,
                                  int& workCode) = 0;

    // Fetches the user list into the SDK; the Next calls walk it.
    virtual bool LoadAllUserIds(int machineNumber) = 0;
    virtual bool NextUserRecord(int machineNumber, int& enrollNumber, QString& name, QString& password,
                                int& privilege, bool& enabled) = 0;
    virtual bool NextUserRecordStr(int machineNumber, QString& enrollNumber, QString& name,
                                   QString& password, int& privilege, bool& enabled) = 0;

    virtual void GetLastErrorCode(int& errorCode) = 0;

    // Terminal events (a finger read, a user verified) go to handler on the
    // thread that created this object, from its event loop once the SDK call
    // that received them has returned: never inside an SDK call, in the order
    // the terminal sent them. An empty handler drops them.
    virtual void SetEventHandler(TermEventHandler handler) = 0;

    // --- operations of the terminal test tool ---
    virtual bool ClearAdministrators(int machineNumber) = 0;
    // backupNumber: finger index 0..9, 10 password, 11 card, 12 the whole user.
    virtual bool DeleteEnrollData(int machineNumber, int enrollNumber, int enrollMachineNumber,
                                  int backupNumber) = 0;
    // Management (super) log; walked by NextSuperLogRecord.
    virtual bool LoadSuperLogs(int machineNumber) = 0;
    // Attendance log for the test tool's export; walked by NextLogRecord.
    virtual bool LoadLogs(int machineNumber) = 0;
    // Status counter 1..12 (administrators, users, templates, ...).
    virtual bool GetDeviceStatus(int machineNumber, int statusIndex, int& value) = 0;
    // Device parameter 1..35.
    virtual bool GetDeviceInfo(int machineNumber, int infoIndex, int& value) = 0;
    virtual bool SetDeviceInfo(int machineNumber, int infoIndex, int value) = 0;
    // Sets the terminal clock to the host's current time.
    virtual bool SetDeviceTime(int machineNumber) = 0;
    virtual bool PowerOffDevice(int machineNumber) = 0;
    virtual bool GetDeviceTime(int machineNumber, int& year, int& month, int& day, int& hour, int& minute,
                               int& second) = 0;
    // Outputs 2nd..13th argument: terminal no., enroll no., manipulated enroll no., operator machine,
    // manipulation, parameters 1 and 2, then year, month, day, hour, minute.
    virtual bool NextSuperLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber,
                                    int& enrollMachineNumber, int& manipulatedEnrollNumber,
                                    int& manipulation, int& params1, int& params2, int& year, int& month,
                                    int& day, int& hour, int& minute) = 0;
    virtual bool GetSerialNumber(int machineNumber, QString& serialNumber) = 0;
    virtual bool ClearAllData(int machineNumber) = 0;
    virtual bool GetProductCode(int machineNumber, QString& productCode) = 0;
    virtual bool GetFirmwareVersion(int machineNumber, QString& version) = 0;
    virtual bool GetSdkVersion(QString& version) = 0;
    virtual bool ClearAttendanceLogs(int machineNumber) = 0;
    virtual bool WriteUserInfo(int machineNumber, int enrollNumber, const QString& name,
                               const QString& password, int privilege, bool enabled) = 0;
    virtual bool ReadUserInfo(int machineNumber, int enrollNumber, QString& name, QString& password,
                              int& privilege, bool& enabled) = 0;
    // buffer: on entry its size is the room offered and length says how much of it may be used;
    // on success it holds the template and length its size in bytes.
    virtual bool ReadFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex, QByteArray& buffer,
                                    int& length) = 0;
    virtual bool SetUserTmp(int machineNumber, int enrollNumber, int fingerIndex,
                            const QByteArray& templateData) = 0;
    virtual bool DeleteFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex) = 0;
    // Converts a template to the terminal's older template format.
    virtual bool ConvertFingerTemplate(const QByteArray& templateData, QByteArray& output,
                                       int& outputLength) = 0;
    virtual bool ACUnlock(int machineNumber, int delay) = 0;
    // templateText: the template as hexadecimal text.
    virtual bool WriteFingerTemplateText(int machineNumber, int enrollNumber, int fingerIndex,
                                         const QString& templateText) = 0;
    // templateText: the template as Base64 text.
    virtual bool SetEnrollDataStr(int machineNumber, int enrollNumber, int enrollMachineNumber,
                                  int fingerIndex, int privilege, const QString& templateText,
                                  int password) = 0;
    // Length in bytes of a Base64 template text; -1 when it is not a template.
    virtual int FPTempLength(const QString& templateText) = 0;
    // width is given as a hint and filled with the image size; the image goes to imageBuffer and,
    // when imageFile is not empty, into that file.
    virtual bool CaptureFingerImage(bool fullImage, int& width, int& height, QByteArray& imageBuffer,
                                    const QString& imageFile) = 0;
    virtual bool UpdateFirmware(const QString& firmwareFile) = 0;
    virtual bool StartEnroll(int enrollNumber, int fingerIndex) = 0;
    virtual bool StartVerify(int enrollNumber, int fingerIndex) = 0;
    virtual bool StartIdentify() = 0;
    virtual bool CancelOperation() = 0;
    virtual bool BackupData(const QString& fileName) = 0;
    virtual bool RestoreData(const QString& fileName) = 0;
    virtual bool WriteLCD(int row, int column, const QString& text) = 0;
    virtual bool ClearLCD() = 0;
    virtual bool Beep(int delayMs) = 0;
    virtual bool PlayVoice(int position, int length) = 0;
    virtual bool PlayVoiceByIndex(int index) = 0;
    // enabled false: the host owns the display; true: the terminal shows its own screen again.
    virtual bool EnableDefaultLCD(bool enabled) = 0;
};
