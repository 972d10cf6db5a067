#pragma once

#include <QString>

// Operation codes of the wire protocol (docs/protocol.md lists each payload).
// Session and transfer codes are below 0x10; the others map one to one onto
// the SDK operations of the same name.
enum class WireOp : quint16 {
    Connect = 0x01,
    Disconnect = 0x02,
    ReadChunk = 0x03,
    PutChunk = 0x04,

    SetDeviceEnabled = 0x10,
    RefreshDeviceData = 0x11,
    LoadAllLogs = 0x12,
    LoadAllUserIds = 0x13,
    ClearAdministrators = 0x14,
    DeleteEnrollData = 0x15,
    LoadSuperLogs = 0x16,
    LoadLogs = 0x17,
    GetDeviceStatus = 0x18,
    GetDeviceInfo = 0x19,
    SetDeviceInfo = 0x1A,
    SetDeviceTime = 0x1B,
    PowerOffDevice = 0x1C,
    GetDeviceTime = 0x1D,
    GetSerialNumber = 0x1E,
    ClearAllData = 0x1F,
    GetProductCode = 0x20,
    GetFirmwareVersion = 0x21,
    ClearAttendanceLogs = 0x22,
    WriteUserInfo = 0x23,
    ReadUserInfo = 0x24,
    ReadFingerTemplate = 0x25,
    SetUserTmp = 0x26,
    DeleteFingerTemplate = 0x27,
    ACUnlock = 0x28,
    WriteFingerTemplateText = 0x29,
    SetEnrollDataStr = 0x2A,
    CaptureFingerImage = 0x2B,
    UpdateFirmware = 0x2C,
    StartEnroll = 0x2D,
    StartVerify = 0x2E,
    StartIdentify = 0x2F,
    CancelOperation = 0x30,
    BackupData = 0x31,
    RestoreData = 0x32,
    WriteLCD = 0x33,
    ClearLCD = 0x34,
    Beep = 0x35,
    PlayVoice = 0x36,
    PlayVoiceByIndex = 0x37,
    EnableDefaultLCD = 0x38,

    // The emulator's own request: a finger placed on the sensor. A real
    // terminal does not know it and answers Refused.
    SimFinger = 0x70,
};

// Codes of the event frames a terminal sends on its own while the session
// that started an enrol, verify or identify waits for a finger.
enum class WireEvent : quint16 {
    FingerFeature = 0x01, // i32 score of the finger read
    Verify = 0x02,        // i32 user id (-1: no match), str8 enroll number (empty: no match)
};

// Name of an operation as the trace and messages show it ("LoadAllLogs");
// an empty string for a code that is no operation.
QString wireOpName(quint16 op);
