#include "WireOp.h"

QString wireOpName(quint16 op)
{
    switch (static_cast<WireOp>(op)) {
    case WireOp::Connect: return QStringLiteral("Connect");
    case WireOp::Disconnect: return QStringLiteral("Disconnect");
    case WireOp::ReadChunk: return QStringLiteral("ReadChunk");
    case WireOp::PutChunk: return QStringLiteral("PutChunk");
    case WireOp::SetDeviceEnabled: return QStringLiteral("SetDeviceEnabled");
    case WireOp::RefreshDeviceData: return QStringLiteral("RefreshDeviceData");
    case WireOp::LoadAllLogs: return QStringLiteral("LoadAllLogs");
    case WireOp::LoadAllUserIds: return QStringLiteral("LoadAllUserIds");
    case WireOp::ClearAdministrators: return QStringLiteral("ClearAdministrators");
    case WireOp::DeleteEnrollData: return QStringLiteral("DeleteEnrollData");
    case WireOp::LoadSuperLogs: return QStringLiteral("LoadSuperLogs");
    case WireOp::LoadLogs: return QStringLiteral("LoadLogs");
    case WireOp::GetDeviceStatus: return QStringLiteral("GetDeviceStatus");
    case WireOp::GetDeviceInfo: return QStringLiteral("GetDeviceInfo");
    case WireOp::SetDeviceInfo: return QStringLiteral("SetDeviceInfo");
    case WireOp::SetDeviceTime: return QStringLiteral("SetDeviceTime");
    case WireOp::PowerOffDevice: return QStringLiteral("PowerOffDevice");
    case WireOp::GetDeviceTime: return QStringLiteral("GetDeviceTime");
    case WireOp::GetSerialNumber: return QStringLiteral("GetSerialNumber");
    case WireOp::ClearAllData: return QStringLiteral("ClearAllData");
    case WireOp::GetProductCode: return QStringLiteral("GetProductCode");
    case WireOp::GetFirmwareVersion: return QStringLiteral("GetFirmwareVersion");
    case WireOp::ClearAttendanceLogs: return QStringLiteral("ClearAttendanceLogs");
    case WireOp::WriteUserInfo: return QStringLiteral("WriteUserInfo");
    case WireOp::ReadUserInfo: return QStringLiteral("ReadUserInfo");
    case WireOp::ReadFingerTemplate: return QStringLiteral("ReadFingerTemplate");
    case WireOp::SetUserTmp: return QStringLiteral("SetUserTmp");
    case WireOp::DeleteFingerTemplate: return QStringLiteral("DeleteFingerTemplate");
    case WireOp::ACUnlock: return QStringLiteral("ACUnlock");
    case WireOp::WriteFingerTemplateText: return QStringLiteral("WriteFingerTemplateText");
    case WireOp::SetEnrollDataStr: return QStringLiteral("SetEnrollDataStr");
    case WireOp::CaptureFingerImage: return QStringLiteral("CaptureFingerImage");
    case WireOp::UpdateFirmware: return QStringLiteral("UpdateFirmware");
    case WireOp::StartEnroll: return QStringLiteral("StartEnroll");
    case WireOp::StartVerify: return QStringLiteral("StartVerify");
    case WireOp::StartIdentify: return QStringLiteral("StartIdentify");
    case WireOp::CancelOperation: return QStringLiteral("CancelOperation");
    case WireOp::BackupData: return QStringLiteral("BackupData");
    case WireOp::RestoreData: return QStringLiteral("RestoreData");
    case WireOp::WriteLCD: return QStringLiteral("WriteLCD");
    case WireOp::ClearLCD: return QStringLiteral("ClearLCD");
    case WireOp::Beep: return QStringLiteral("Beep");
    case WireOp::PlayVoice: return QStringLiteral("PlayVoice");
    case WireOp::PlayVoiceByIndex: return QStringLiteral("PlayVoiceByIndex");
    case WireOp::EnableDefaultLCD: return QStringLiteral("EnableDefaultLCD");
    case WireOp::SimFinger: return QStringLiteral("SimFinger");
    }
    return QString();
}
