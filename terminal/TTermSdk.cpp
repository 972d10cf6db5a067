#include "TTermSdk.h"

namespace {
constexpr int kNotConnected = -2;
}

void TTermSdk::SetCommPort(int port)
{
    m_commPort = port;
}

int TTermSdk::CommPort() const
{
    return m_commPort;
}

bool TTermSdk::ConnectSerial([[maybe_unused]] int port, [[maybe_unused]] int machineNumber, [[maybe_unused]] int baudRate)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ConnectNetwork([[maybe_unused]] const QString& ipAddress, [[maybe_unused]] int port)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::SetCommKey([[maybe_unused]] int commKey)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::SetDeviceEnabled([[maybe_unused]] int machineNumber, [[maybe_unused]] bool enabled)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::RefreshDeviceData([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

void TTermSdk::Disconnect()
{
    
}

bool TTermSdk::LoadAllLogs([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::NextLogRecord([[maybe_unused]] int machineNumber, [[maybe_unused]] int& terminalMachineNumber, [[maybe_unused]] int& enrollNumber, [[maybe_unused]] int& enrollMachineNumber, [[maybe_unused]] int& verifyMode, [[maybe_unused]] int& inOutMode, [[maybe_unused]] int& year, [[maybe_unused]] int& month, [[maybe_unused]] int& day, [[maybe_unused]] int& hour, [[maybe_unused]] int& minute)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::NextLogRecordStr([[maybe_unused]] int machineNumber, [[maybe_unused]] QString& enrollNumber, [[maybe_unused]] int& verifyMode, [[maybe_unused]] int& inOutMode, [[maybe_unused]] int& year, [[maybe_unused]] int& month, [[maybe_unused]] int& day, [[maybe_unused]] int& hour, [[maybe_unused]] int& minute, [[maybe_unused]] int& second, [[maybe_unused]] int& workCode)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::LoadAllUserIds([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::NextUserRecord([[maybe_unused]] int machineNumber, [[maybe_unused]] int& enrollNumber, [[maybe_unused]] QString& name, [[maybe_unused]] QString& password, [[maybe_unused]] int& privilege, [[maybe_unused]] bool& enabled)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::NextUserRecordStr([[maybe_unused]] int machineNumber, [[maybe_unused]] QString& enrollNumber, [[maybe_unused]] QString& name, [[maybe_unused]] QString& password, [[maybe_unused]] int& privilege, [[maybe_unused]] bool& enabled)
{
    m_lastError = kNotConnected;
    return false;
}

void TTermSdk::GetLastErrorCode(int& errorCode)
{
    errorCode = m_lastError;
}

bool TTermSdk::ClearAdministrators([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::DeleteEnrollData([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] int enrollMachineNumber, [[maybe_unused]] int backupNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::LoadSuperLogs([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::LoadLogs([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::GetDeviceStatus([[maybe_unused]] int machineNumber, [[maybe_unused]] int statusIndex, [[maybe_unused]] int& value)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::GetDeviceInfo([[maybe_unused]] int machineNumber, [[maybe_unused]] int infoIndex, [[maybe_unused]] int& value)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::SetDeviceInfo([[maybe_unused]] int machineNumber, [[maybe_unused]] int infoIndex, [[maybe_unused]] int value)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::SetDeviceTime([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::PowerOffDevice([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::GetDeviceTime([[maybe_unused]] int machineNumber, [[maybe_unused]] int& year, [[maybe_unused]] int& month, [[maybe_unused]] int& day, [[maybe_unused]] int& hour, [[maybe_unused]] int& minute, [[maybe_unused]] int& second)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::NextSuperLogRecord([[maybe_unused]] int machineNumber, [[maybe_unused]] int& terminalMachineNumber, [[maybe_unused]] int& enrollNumber, [[maybe_unused]] int& enrollMachineNumber, [[maybe_unused]] int& manipulatedEnrollNumber, [[maybe_unused]] int& manipulation, [[maybe_unused]] int& params1, [[maybe_unused]] int& params2, [[maybe_unused]] int& year, [[maybe_unused]] int& month, [[maybe_unused]] int& day, [[maybe_unused]] int& hour, [[maybe_unused]] int& minute)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::GetSerialNumber([[maybe_unused]] int machineNumber, [[maybe_unused]] QString& serialNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ClearAllData([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::GetProductCode([[maybe_unused]] int machineNumber, [[maybe_unused]] QString& productCode)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::GetFirmwareVersion([[maybe_unused]] int machineNumber, [[maybe_unused]] QString& version)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::GetSdkVersion([[maybe_unused]] QString& version)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ClearAttendanceLogs([[maybe_unused]] int machineNumber)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::WriteUserInfo([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] const QString& name, [[maybe_unused]] const QString& password, [[maybe_unused]] int privilege, [[maybe_unused]] bool enabled)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ReadUserInfo([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] QString& name, [[maybe_unused]] QString& password, [[maybe_unused]] int& privilege, [[maybe_unused]] bool& enabled)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ReadFingerTemplate([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] int fingerIndex, [[maybe_unused]] QByteArray& buffer, [[maybe_unused]] int& length)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::SetUserTmp([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] int fingerIndex, [[maybe_unused]] const QByteArray& templateData)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::DeleteFingerTemplate([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] int fingerIndex)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ConvertFingerTemplate([[maybe_unused]] const QByteArray& templateData, [[maybe_unused]] QByteArray& output, [[maybe_unused]] int& outputLength)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ACUnlock([[maybe_unused]] int machineNumber, [[maybe_unused]] int delay)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::WriteFingerTemplateText([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] int fingerIndex, [[maybe_unused]] const QString& templateText)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::SetEnrollDataStr([[maybe_unused]] int machineNumber, [[maybe_unused]] int enrollNumber, [[maybe_unused]] int enrollMachineNumber, [[maybe_unused]] int fingerIndex, [[maybe_unused]] int privilege, [[maybe_unused]] const QString& templateText, [[maybe_unused]] int password)
{
    m_lastError = kNotConnected;
    return false;
}

int TTermSdk::FPTempLength([[maybe_unused]] const QString& templateText)
{
    m_lastError = kNotConnected;
    return -1;
}

bool TTermSdk::CaptureFingerImage([[maybe_unused]] bool fullImage, [[maybe_unused]] int& width, [[maybe_unused]] int& height, [[maybe_unused]] QByteArray& imageBuffer, [[maybe_unused]] const QString& imageFile)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::UpdateFirmware([[maybe_unused]] const QString& firmwareFile)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::StartEnroll([[maybe_unused]] int enrollNumber, [[maybe_unused]] int fingerIndex)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::StartVerify([[maybe_unused]] int enrollNumber, [[maybe_unused]] int fingerIndex)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::StartIdentify()
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::CancelOperation()
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::BackupData([[maybe_unused]] const QString& fileName)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::RestoreData([[maybe_unused]] const QString& fileName)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::WriteLCD([[maybe_unused]] int row, [[maybe_unused]] int column, [[maybe_unused]] const QString& text)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::ClearLCD()
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::Beep([[maybe_unused]] int delayMs)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::PlayVoice([[maybe_unused]] int position, [[maybe_unused]] int length)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::PlayVoiceByIndex([[maybe_unused]] int index)
{
    m_lastError = kNotConnected;
    return false;
}

bool TTermSdk::EnableDefaultLCD([[maybe_unused]] bool enabled)
{
    m_lastError = kNotConnected;
    return false;
}
