#include "LogExport.h"

#include "DevbenchRoutines.h"
#include "ITermSdk.h"

#include <QSaveFile>

#include <cstdio>

namespace {

template <typename... Args>
QByteArray formatted(const char* format, Args... args)
{
    char line[160];
    const int n = std::snprintf(line, sizeof line, format, args...);
    return QByteArray(line, qBound(0, n, int(sizeof line) - 1));
}

void writeWhole(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw CommandError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}

} // namespace

QByteArray LogExport::attendanceLine(int enrollNumber, int verifyMode, int state, int year, int month, int day,
                                     int hour, int minute)
{
    return formatted("%5d %d %d %4d-%2d-%2d %2d:%2d\r\n", enrollNumber, verifyMode, state, year, month, day, hour,
                     minute);
}

QByteArray LogExport::managementLine(int enrollNumber, int params1, int manipulatedEnrollNumber, int manipulation,
                                     int params2, int enrollMachineNumber, int year, int month, int day, int hour,
                                     int minute)
{
    return formatted("%5d %5d %5d %5d %5d %5d %d-%d-%d %d:%d\r\n", enrollNumber, params1, manipulatedEnrollNumber,
                     manipulation, params2, enrollMachineNumber, year, month, day, hour, minute);
}

void LogExport::exportAttendanceLog(ITermSdk& sdk, int machineNumber, const QString& fileName)
{
    // Emptied first, as the original does before it asks the terminal.
    writeWhole(fileName, QByteArray());
    QByteArray text;
    if (sdk.LoadLogs(machineNumber)) {
        int terminal = 0, enroll = 0, enrollMachine = 0, verify = 0, state = 0;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        while (sdk.NextLogRecord(machineNumber, terminal, enroll, enrollMachine, verify, state, year, month, day, hour,
                                 minute))
            text += attendanceLine(enroll, verify, state, year, month, day, hour, minute);
    }
    if (!text.isEmpty())
        writeWhole(fileName, text);
}

int LogExport::exportManagementLog(ITermSdk& sdk, int machineNumber, const QString& fileName)
{
    writeWhole(fileName, QByteArray());
    QByteArray text;
    int count = 0;
    if (sdk.LoadSuperLogs(machineNumber)) {
        int terminal = 0, enroll = 0, enrollMachine = 0, manipulated = 0, manipulation = 0, params1 = 0, params2 = 0;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        while (sdk.NextSuperLogRecord(machineNumber, terminal, enroll, enrollMachine, manipulated, manipulation,
                                      params1, params2, year, month, day, hour, minute)) {
            text += managementLine(enroll, params1, manipulated, manipulation, params2, enrollMachine, year, month, day,
                                   hour, minute);
            ++count;
        }
    }
    if (!text.isEmpty())
        writeWhole(fileName, text);
    return count;
}
