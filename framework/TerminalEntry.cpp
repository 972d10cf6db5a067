#include "TerminalEntry.h"

namespace {
bool inList(const QString& text, const QStringList& entries)
{
    for (const QString& entry : entries)
        if (text.compare(entry, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
} // namespace

QStringList TerminalEntry::columns()
{
    return {kDeviceNo, kDeviceType, kCommMode, kSerialPort, kBaudRate, kIpAddress, kTcpPort, kCommPassword};
}

QString TerminalEntry::value(const QString& column) const
{
    if (column == kDeviceNo)
        return deviceNo;
    if (column == kDeviceType)
        return deviceType;
    if (column == kCommMode)
        return commMode;
    if (column == kSerialPort)
        return serialPort;
    if (column == kBaudRate)
        return baudRate;
    if (column == kIpAddress)
        return ipAddress;
    if (column == kTcpPort)
        return tcpPort;
    if (column == kCommPassword)
        return commPassword;
    return {};
}

void TerminalEntry::setValue(const QString& column, const QString& text)
{
    if (column == kDeviceNo)
        deviceNo = text;
    else if (column == kDeviceType)
        deviceType = text;
    else if (column == kCommMode)
        commMode = text;
    else if (column == kSerialPort)
        serialPort = text;
    else if (column == kBaudRate)
        baudRate = text;
    else if (column == kIpAddress)
        ipAddress = text;
    else if (column == kTcpPort)
        tcpPort = text;
    else if (column == kCommPassword)
        commPassword = text;
}

std::optional<TerminalEntry::Problem> TerminalEntry::check(bool withPassword) const
{
    if (deviceNo.isEmpty())
        return Problem{kDeviceNo, QStringLiteral("【设备号】不能为空")};
    if (deviceType.isEmpty())
        return Problem{kDeviceType, QStringLiteral("【设备类型】不能为空")};
    if (!inList(deviceType, {kBlackWhite, kColour, kFace}))
        return Problem{kDeviceType, QStringLiteral("【设备类型】的值只能为“黑白屏”或“彩色屏”或“面部识别”")};
    if (commMode.isEmpty())
        return Problem{kCommMode, QStringLiteral("【通讯方式】不能为空")};
    if (!inList(commMode, {kSerialMode, kNetworkMode}))
        return Problem{kCommMode, QStringLiteral("【通讯方式】的值只能为“串口(232/485)”或“TCP/IP”")};
    if (isSerial()) {
        if (serialPort.isEmpty())
            return Problem{kSerialPort, QStringLiteral("【串口号】不能为空")};
        if (baudRate.isEmpty())
            return Problem{kBaudRate, QStringLiteral("【波特率】不能为空")};
    } else {
        if (ipAddress.isEmpty())
            return Problem{kIpAddress, QStringLiteral("【IP地址】不能为空")};
        if (tcpPort.isEmpty())
            return Problem{kTcpPort, QStringLiteral("【端口号】不能为空")};
        if (withPassword && commPassword.isEmpty())
            return Problem{kCommPassword, QStringLiteral("【密码】不能为空")};
    }
    return std::nullopt;
}

std::optional<int> TerminalEntry::tableInteger(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

std::optional<TerminalEntry::Problem> TerminalEntry::checkStored() const
{
    if (auto problem = check(false))
        return problem;
    for (const QString& column : {kDeviceNo, kSerialPort, kBaudRate, kTcpPort}) {
        const QString text = value(column);
        if (!text.trimmed().isEmpty() && !tableInteger(text))
            return Problem{column, QStringLiteral("“%1”不是有效的整数值（字段【%2】）").arg(text, column)};
    }
    return std::nullopt;
}
