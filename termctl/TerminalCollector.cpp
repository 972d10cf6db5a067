#include "TerminalCollector.h"

#include "AttendanceText.h"
#include "IntegerText.h"
#include "TTermSdk.h"
#include "TermError.h"

#include <stdexcept>

namespace {
constexpr int kNoKey = -1;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int tableInteger(const QString& text, const QString& column)
{
    const auto value = TerminalEntry::tableInteger(text);
    if (!value)
        throw Failure(QStringLiteral("【%1】“%2”不是整数").arg(column, text).toStdString());
    return *value;
}

QString sdkError(TTermSdk& sdk, const QString& what)
{
    int code = 0;
    sdk.GetLastErrorCode(code);
    QString text = QStringLiteral("%1 failed: error %2 (%3)").arg(what).arg(code).arg(TermError::text(code));
    const QString detail = sdk.lastErrorDetail();
    if (!detail.isEmpty() && detail != TermError::text(code))
        text += QStringLiteral(": ") + detail;
    return text;
}
} // namespace

QString terminalAddress(const TerminalEntry& entry)
{
    if (entry.isSerial())
        return QStringLiteral("COM%1:%2").arg(entry.serialPort.trimmed(), entry.deviceNo.trimmed());
    return QStringLiteral("%1:%2").arg(entry.ipAddress, entry.tcpPort.trimmed());
}

TerminalHarvest collectTerminal(int index, const TerminalEntry& entry, QDate from, QDate to)
{
    TerminalHarvest harvest;
    harvest.index = index;
    harvest.entry = entry;
    harvest.address = terminalAddress(entry);
    TTermSdk sdk;
    bool connected = false;
    try {
        // Every conversion before the first call to the terminal, as the visit does.
        const int deviceNo = tableInteger(entry.deviceNo, TerminalEntry::kDeviceNo);
        int machine = 1;
        int key = kNoKey;
        if (!entry.commPassword.isEmpty()) {
            try {
                key = integerFromText(entry.commPassword);
            } catch (const ConversionError& e) {
                throw Failure(QStringLiteral("【通讯密码】%1").arg(QString::fromUtf8(e.what())).toStdString());
            }
        }
        if (entry.isSerial()) {
            machine = deviceNo;
            const int port = tableInteger(entry.serialPort, TerminalEntry::kSerialPort);
            const int baud = tableInteger(entry.baudRate, TerminalEntry::kBaudRate);
            if (key != kNoKey)
                sdk.SetCommKey(key);
            sdk.SetCommPort(port);
            connected = sdk.ConnectSerial(port, machine, baud);
        } else {
            const int port = tableInteger(entry.tcpPort, TerminalEntry::kTcpPort);
            if (key != kNoKey)
                sdk.SetCommKey(key);
            connected = sdk.ConnectNetwork(entry.ipAddress, port);
        }
        if (!connected)
            throw Failure(sdkError(sdk, QStringLiteral("connect")).toStdString());

        if (!sdk.LoadAllLogs(machine)) {
            int code = 0;
            sdk.GetLastErrorCode(code);
            if (code != TermError::NoData) // an empty log is no failure
                throw Failure(sdkError(sdk, QStringLiteral("LoadAllLogs")).toStdString());
        } else {
            const bool numeric = entry.isBlackWhite();
            QString enrollNo;
            int terminalNo = 0, number = 0, enrollMachine = 0, verify = 0, state = 0, year = 0, month = 0, day = 0,
                hour = 0, minute = 0, second = 0, workCode = 0;
            for (;;) {
                if (numeric) {
                    if (!sdk.NextLogRecord(machine, terminalNo, number, enrollMachine, verify, state, year, month, day,
                                           hour, minute))
                        break;
                    enrollNo = QString::number(number);
                } else {
                    enrollNo.clear();
                    if (!sdk.NextLogRecordStr(machine, enrollNo, verify, state, year, month, day, hour, minute, second,
                                              workCode))
                        break;
                }
                const QDate date(year, month, day);
                if (!date.isValid())
                    throw Failure(QStringLiteral("a record's date %1-%2-%3 is not a date").arg(year).arg(month).arg(day)
                                      .toStdString());
                if (date < from || date > to)
                    continue;
                const QString time = AttendanceText::timeText(year, month, day, hour, minute, second, !numeric);
                if (time.isEmpty())
                    throw Failure(QStringLiteral("a record's time %1:%2:%3 is not a time of day")
                                      .arg(hour).arg(minute).arg(second).toStdString());
                harvest.records.append({deviceNo, enrollNo, time, AttendanceText::stateWord(state)});
            }
        }
        harvest.ok = true;
    } catch (const Failure& failure) {
        harvest.error = QString::fromUtf8(failure.what());
        harvest.records.clear();
    }
    if (connected) {
        sdk.RefreshDeviceData(entry.isSerial() ? entry.deviceNo.trimmed().toInt() : 1);
        sdk.SetDeviceEnabled(entry.isSerial() ? entry.deviceNo.trimmed().toInt() : 1, true);
        sdk.Disconnect();
    }
    return harvest;
}
