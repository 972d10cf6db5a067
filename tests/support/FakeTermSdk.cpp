#include "FakeTermSdk.h"

#include <stdexcept>

QStringList FakeTermSdk::callNames() const
{
    QStringList names;
    for (const Call& call : calls)
        names << call.name;
    return names;
}

QStringList FakeTermSdk::callTrace() const
{
    QStringList trace;
    for (const Call& call : calls) {
        QStringList args;
        for (const QVariant& arg : call.args)
            args << arg.toString();
        trace << call.name + QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return trace;
}

void FakeTermSdk::record(const QString& operation, const QVariantList& args)
{
    calls.append({operation, args});
    if (onCall)
        onCall(calls.last());
}

FakeTermSdk::Reply FakeTermSdk::take(const QString& operation, const QVariantList& args)
{
    record(operation, args);
    Reply reply;
    auto queued = m_queued.find(operation);
    if (queued != m_queued.end() && !queued->isEmpty())
        reply = queued->takeFirst();
    else if (m_defaults.contains(operation))
        reply = m_defaults.value(operation);
    else if (operation.startsWith(QLatin1String("Next")))
        reply.result = false;
    if (reply.raise)
        throw std::runtime_error("terminal control failed in " + operation.toStdString());
    return reply;
}

void FakeTermSdk::SetEventHandler(TermEventHandler handler)
{
    m_eventHandler = std::move(handler);
}

void FakeTermSdk::raiseEvent(const TermEvent& event)
{
    if (const TermEventHandler handler = m_eventHandler)
        handler(event);
}

void FakeTermSdk::SetCommPort(int port)
{
    m_commPort = port;
    record(QStringLiteral("CommPort"), {port});
}

int FakeTermSdk::CommPort() const
{
    return m_commPort;
}

bool FakeTermSdk::ConnectSerial(int port, int machineNumber, int baudRate)
{
    const Reply reply = take(QStringLiteral("ConnectSerial"), {port, machineNumber, baudRate});
    return reply.result;
}

bool FakeTermSdk::ConnectNetwork(const QString& ipAddress, int port)
{
    const Reply reply = take(QStringLiteral("ConnectNetwork"), {ipAddress, port});
    return reply.result;
}

bool FakeTermSdk::SetCommKey(int commKey)
{
    const Reply reply = take(QStringLiteral("SetCommKey"), {commKey});
    return reply.result;
}

bool FakeTermSdk::SetDeviceEnabled(int machineNumber, bool enabled)
{
    const Reply reply = take(QStringLiteral("SetDeviceEnabled"), {machineNumber, enabled});
    return reply.result;
}

bool FakeTermSdk::RefreshDeviceData(int machineNumber)
{
    const Reply reply = take(QStringLiteral("RefreshDeviceData"), {machineNumber});
    return reply.result;
}

void FakeTermSdk::Disconnect()
{
    take(QStringLiteral("Disconnect"), {});
}

bool FakeTermSdk::LoadAllLogs(int machineNumber)
{
    const Reply reply = take(QStringLiteral("LoadAllLogs"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::NextLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber, int& enrollMachineNumber, int& verifyMode, int& inOutMode, int& year, int& month, int& day, int& hour, int& minute)
{
    const Reply reply = take(QStringLiteral("NextLogRecord"), {machineNumber});
    if (reply.outputs.size() > 0) terminalMachineNumber = reply.outputs.at(0).toInt();
    if (reply.outputs.size() > 1) enrollNumber = reply.outputs.at(1).toInt();
    if (reply.outputs.size() > 2) enrollMachineNumber = reply.outputs.at(2).toInt();
    if (reply.outputs.size() > 3) verifyMode = reply.outputs.at(3).toInt();
    if (reply.outputs.size() > 4) inOutMode = reply.outputs.at(4).toInt();
    if (reply.outputs.size() > 5) year = reply.outputs.at(5).toInt();
    if (reply.outputs.size() > 6) month = reply.outputs.at(6).toInt();
    if (reply.outputs.size() > 7) day = reply.outputs.at(7).toInt();
    if (reply.outputs.size() > 8) hour = reply.outputs.at(8).toInt();
    if (reply.outputs.size() > 9) minute = reply.outputs.at(9).toInt();
    return reply.result;
}

bool FakeTermSdk::NextLogRecordStr(int machineNumber, QString& enrollNumber, int& verifyMode, int& inOutMode, int& year, int& month, int& day, int& hour, int& minute, int& second, int& workCode)
{
    const Reply reply = take(QStringLiteral("NextLogRecordStr"), {machineNumber});
    if (reply.outputs.size() > 0) enrollNumber = reply.outputs.at(0).toString();
    if (reply.outputs.size() > 1) verifyMode = reply.outputs.at(1).toInt();
    if (reply.outputs.size() > 2) inOutMode = reply.outputs.at(2).toInt();
    if (reply.outputs.size() > 3) year = reply.outputs.at(3).toInt();
    if (reply.outputs.size() > 4) month = reply.outputs.at(4).toInt();
    if (reply.outputs.size() > 5) day = reply.outputs.at(5).toInt();
    if (reply.outputs.size() > 6) hour = reply.outputs.at(6).toInt();
    if (reply.outputs.size() > 7) minute = reply.outputs.at(7).toInt();
    if (reply.outputs.size() > 8) second = reply.outputs.at(8).toInt();
    if (reply.outputs.size() > 9) workCode = reply.outputs.at(9).toInt();
    return reply.result;
}

bool FakeTermSdk::LoadAllUserIds(int machineNumber)
{
    const Reply reply = take(QStringLiteral("LoadAllUserIds"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::NextUserRecord(int machineNumber, int& enrollNumber, QString& name, QString& password, int& privilege, bool& enabled)
{
    const Reply reply = take(QStringLiteral("NextUserRecord"), {machineNumber});
    if (reply.outputs.size() > 0) enrollNumber = reply.outputs.at(0).toInt();
    if (reply.outputs.size() > 1) name = reply.outputs.at(1).toString();
    if (reply.outputs.size() > 2) password = reply.outputs.at(2).toString();
    if (reply.outputs.size() > 3) privilege = reply.outputs.at(3).toInt();
    if (reply.outputs.size() > 4) enabled = reply.outputs.at(4).toBool();
    return reply.result;
}

bool FakeTermSdk::NextUserRecordStr(int machineNumber, QString& enrollNumber, QString& name, QString& password, int& privilege, bool& enabled)
{
    const Reply reply = take(QStringLiteral("NextUserRecordStr"), {machineNumber});
    if (reply.outputs.size() > 0) enrollNumber = reply.outputs.at(0).toString();
    if (reply.outputs.size() > 1) name = reply.outputs.at(1).toString();
    if (reply.outputs.size() > 2) password = reply.outputs.at(2).toString();
    if (reply.outputs.size() > 3) privilege = reply.outputs.at(3).toInt();
    if (reply.outputs.size() > 4) enabled = reply.outputs.at(4).toBool();
    return reply.result;
}

void FakeTermSdk::GetLastErrorCode(int& errorCode)
{
    const Reply reply = take(QStringLiteral("GetLastErrorCode"), {});
    if (reply.outputs.size() > 0) errorCode = reply.outputs.at(0).toInt();
}

bool FakeTermSdk::ClearAdministrators(int machineNumber)
{
    const Reply reply = take(QStringLiteral("ClearAdministrators"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::DeleteEnrollData(int machineNumber, int enrollNumber, int enrollMachineNumber, int backupNumber)
{
    const Reply reply = take(QStringLiteral("DeleteEnrollData"), {machineNumber, enrollNumber, enrollMachineNumber, backupNumber});
    return reply.result;
}

bool FakeTermSdk::LoadSuperLogs(int machineNumber)
{
    const Reply reply = take(QStringLiteral("LoadSuperLogs"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::LoadLogs(int machineNumber)
{
    const Reply reply = take(QStringLiteral("LoadLogs"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::GetDeviceStatus(int machineNumber, int statusIndex, int& value)
{
    const Reply reply = take(QStringLiteral("GetDeviceStatus"), {machineNumber, statusIndex});
    if (reply.outputs.size() > 0) value = reply.outputs.at(0).toInt();
    return reply.result;
}

bool FakeTermSdk::GetDeviceInfo(int machineNumber, int infoIndex, int& value)
{
    const Reply reply = take(QStringLiteral("GetDeviceInfo"), {machineNumber, infoIndex});
    if (reply.outputs.size() > 0) value = reply.outputs.at(0).toInt();
    return reply.result;
}

bool FakeTermSdk::SetDeviceInfo(int machineNumber, int infoIndex, int value)
{
    const Reply reply = take(QStringLiteral("SetDeviceInfo"), {machineNumber, infoIndex, value});
    return reply.result;
}

bool FakeTermSdk::SetDeviceTime(int machineNumber)
{
    const Reply reply = take(QStringLiteral("SetDeviceTime"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::PowerOffDevice(int machineNumber)
{
    const Reply reply = take(QStringLiteral("PowerOffDevice"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::GetDeviceTime(int machineNumber, int& year, int& month, int& day, int& hour, int& minute, int& second)
{
    const Reply reply = take(QStringLiteral("GetDeviceTime"), {machineNumber});
    if (reply.outputs.size() > 0) year = reply.outputs.at(0).toInt();
    if (reply.outputs.size() > 1) month = reply.outputs.at(1).toInt();
    if (reply.outputs.size() > 2) day = reply.outputs.at(2).toInt();
    if (reply.outputs.size() > 3) hour = reply.outputs.at(3).toInt();
    if (reply.outputs.size() > 4) minute = reply.outputs.at(4).toInt();
    if (reply.outputs.size() > 5) second = reply.outputs.at(5).toInt();
    return reply.result;
}

bool FakeTermSdk::NextSuperLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber, int& enrollMachineNumber, int& manipulatedEnrollNumber, int& manipulation, int& params1, int& params2, int& year, int& month, int& day, int& hour, int& minute)
{
    const Reply reply = take(QStringLiteral("NextSuperLogRecord"), {machineNumber});
    if (reply.outputs.size() > 0) terminalMachineNumber = reply.outputs.at(0).toInt();
    if (reply.outputs.size() > 1) enrollNumber = reply.outputs.at(1).toInt();
    if (reply.outputs.size() > 2) enrollMachineNumber = reply.outputs.at(2).toInt();
    if (reply.outputs.size() > 3) manipulatedEnrollNumber = reply.outputs.at(3).toInt();
    if (reply.outputs.size() > 4) manipulation = reply.outputs.at(4).toInt();
    if (reply.outputs.size() > 5) params1 = reply.outputs.at(5).toInt();
    if (reply.outputs.size() > 6) params2 = reply.outputs.at(6).toInt();
    if (reply.outputs.size() > 7) year = reply.outputs.at(7).toInt();
    if (reply.outputs.size() > 8) month = reply.outputs.at(8).toInt();
    if (reply.outputs.size() > 9) day = reply.outputs.at(9).toInt();
    if (reply.outputs.size() > 10) hour = reply.outputs.at(10).toInt();
    if (reply.outputs.size() > 11) minute = reply.outputs.at(11).toInt();
    return reply.result;
}

bool FakeTermSdk::GetSerialNumber(int machineNumber, QString& serialNumber)
{
    const Reply reply = take(QStringLiteral("GetSerialNumber"), {machineNumber});
    if (reply.outputs.size() > 0) serialNumber = reply.outputs.at(0).toString();
    return reply.result;
}

bool FakeTermSdk::ClearAllData(int machineNumber)
{
    const Reply reply = take(QStringLiteral("ClearAllData"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::GetProductCode(int machineNumber, QString& productCode)
{
    const Reply reply = take(QStringLiteral("GetProductCode"), {machineNumber});
    if (reply.outputs.size() > 0) productCode = reply.outputs.at(0).toString();
    return reply.result;
}

bool FakeTermSdk::GetFirmwareVersion(int machineNumber, QString& version)
{
    const Reply reply = take(QStringLiteral("GetFirmwareVersion"), {machineNumber});
    if (reply.outputs.size() > 0) version = reply.outputs.at(0).toString();
    return reply.result;
}

bool FakeTermSdk::GetSdkVersion(QString& version)
{
    const Reply reply = take(QStringLiteral("GetSdkVersion"), {});
    if (reply.outputs.size() > 0) version = reply.outputs.at(0).toString();
    return reply.result;
}

bool FakeTermSdk::ClearAttendanceLogs(int machineNumber)
{
    const Reply reply = take(QStringLiteral("ClearAttendanceLogs"), {machineNumber});
    return reply.result;
}

bool FakeTermSdk::WriteUserInfo(int machineNumber, int enrollNumber, const QString& name, const QString& password, int privilege, bool enabled)
{
    const Reply reply = take(QStringLiteral("WriteUserInfo"), {machineNumber, enrollNumber, name, password, privilege, enabled});
    return reply.result;
}

bool FakeTermSdk::ReadUserInfo(int machineNumber, int enrollNumber, QString& name, QString& password, int& privilege, bool& enabled)
{
    const Reply reply = take(QStringLiteral("ReadUserInfo"), {machineNumber, enrollNumber});
    if (reply.outputs.size() > 0) name = reply.outputs.at(0).toString();
    if (reply.outputs.size() > 1) password = reply.outputs.at(1).toString();
    if (reply.outputs.size() > 2) privilege = reply.outputs.at(2).toInt();
    if (reply.outputs.size() > 3) enabled = reply.outputs.at(3).toBool();
    return reply.result;
}

bool FakeTermSdk::ReadFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex, QByteArray& buffer, int& length)
{
    const Reply reply = take(QStringLiteral("ReadFingerTemplate"), {machineNumber, enrollNumber, fingerIndex});
    if (reply.outputs.size() > 0) buffer = reply.outputs.at(0).toByteArray();
    if (reply.outputs.size() > 1) length = reply.outputs.at(1).toInt();
    return reply.result;
}

bool FakeTermSdk::SetUserTmp(int machineNumber, int enrollNumber, int fingerIndex, const QByteArray& templateData)
{
    const Reply reply = take(QStringLiteral("SetUserTmp"), {machineNumber, enrollNumber, fingerIndex, templateData});
    return reply.result;
}

bool FakeTermSdk::DeleteFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex)
{
    const Reply reply = take(QStringLiteral("DeleteFingerTemplate"), {machineNumber, enrollNumber, fingerIndex});
    return reply.result;
}

bool FakeTermSdk::ConvertFingerTemplate(const QByteArray& templateData, QByteArray& output, int& outputLength)
{
    const Reply reply = take(QStringLiteral("ConvertFingerTemplate"), {templateData});
    if (reply.outputs.size() > 0) output = reply.outputs.at(0).toByteArray();
    if (reply.outputs.size() > 1) outputLength = reply.outputs.at(1).toInt();
    return reply.result;
}

bool FakeTermSdk::ACUnlock(int machineNumber, int delay)
{
    const Reply reply = take(QStringLiteral("ACUnlock"), {machineNumber, delay});
    return reply.result;
}

bool FakeTermSdk::WriteFingerTemplateText(int machineNumber, int enrollNumber, int fingerIndex, const QString& templateText)
{
    const Reply reply = take(QStringLiteral("WriteFingerTemplateText"), {machineNumber, enrollNumber, fingerIndex, templateText});
    return reply.result;
}

bool FakeTermSdk::SetEnrollDataStr(int machineNumber, int enrollNumber, int enrollMachineNumber, int fingerIndex, int privilege, const QString& templateText, int password)
{
    const Reply reply = take(QStringLiteral("SetEnrollDataStr"), {machineNumber, enrollNumber, enrollMachineNumber, fingerIndex, privilege, templateText, password});
    return reply.result;
}

int FakeTermSdk::FPTempLength(const QString& templateText)
{
    const Reply reply = take(QStringLiteral("FPTempLength"), {templateText});
    return reply.value;
}

bool FakeTermSdk::CaptureFingerImage(bool fullImage, int& width, int& height, QByteArray& imageBuffer, const QString& imageFile)
{
    const Reply reply = take(QStringLiteral("CaptureFingerImage"), {fullImage, imageFile});
    if (reply.outputs.size() > 0) width = reply.outputs.at(0).toInt();
    if (reply.outputs.size() > 1) height = reply.outputs.at(1).toInt();
    if (reply.outputs.size() > 2) imageBuffer = reply.outputs.at(2).toByteArray();
    return reply.result;
}

bool FakeTermSdk::UpdateFirmware(const QString& firmwareFile)
{
    const Reply reply = take(QStringLiteral("UpdateFirmware"), {firmwareFile});
    return reply.result;
}

bool FakeTermSdk::StartEnroll(int enrollNumber, int fingerIndex)
{
    const Reply reply = take(QStringLiteral("StartEnroll"), {enrollNumber, fingerIndex});
    return reply.result;
}

bool FakeTermSdk::StartVerify(int enrollNumber, int fingerIndex)
{
    const Reply reply = take(QStringLiteral("StartVerify"), {enrollNumber, fingerIndex});
    return reply.result;
}

bool FakeTermSdk::StartIdentify()
{
    const Reply reply = take(QStringLiteral("StartIdentify"), {});
    return reply.result;
}

bool FakeTermSdk::CancelOperation()
{
    const Reply reply = take(QStringLiteral("CancelOperation"), {});
    return reply.result;
}

bool FakeTermSdk::BackupData(const QString& fileName)
{
    const Reply reply = take(QStringLiteral("BackupData"), {fileName});
    return reply.result;
}

bool FakeTermSdk::RestoreData(const QString& fileName)
{
    const Reply reply = take(QStringLiteral("RestoreData"), {fileName});
    return reply.result;
}

bool FakeTermSdk::WriteLCD(int row, int column, const QString& text)
{
    const Reply reply = take(QStringLiteral("WriteLCD"), {row, column, text});
    return reply.result;
}

bool FakeTermSdk::ClearLCD()
{
    const Reply reply = take(QStringLiteral("ClearLCD"), {});
    return reply.result;
}

bool FakeTermSdk::Beep(int delayMs)
{
    const Reply reply = take(QStringLiteral("Beep"), {delayMs});
    return reply.result;
}

bool FakeTermSdk::PlayVoice(int position, int length)
{
    const Reply reply = take(QStringLiteral("PlayVoice"), {position, length});
    return reply.result;
}

bool FakeTermSdk::PlayVoiceByIndex(int index)
{
    const Reply reply = take(QStringLiteral("PlayVoiceByIndex"), {index});
    return reply.result;
}

bool FakeTermSdk::EnableDefaultLCD(bool enabled)
{
    const Reply reply = take(QStringLiteral("EnableDefaultLCD"), {enabled});
    return reply.result;
}
