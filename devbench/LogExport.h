#pragma once

#include <QByteArray>
#include <QString>

class ITermSdk;

// The text exports of the terminal's logs, in the fixed line formats of the
// original Windows tool (ANSI text, CR LF, no header), so that files move
// between the two.
class LogExport {
public:
    // "%5d %d %d %4d-%2d-%2d %2d:%2d\r\n": enroll number, verify mode, state,
    // then the date and time, widths filled with spaces on the left.
    static QByteArray attendanceLine(int enrollNumber, int verifyMode, int state, int year, int month, int day,
                                     int hour, int minute);
    // "%5d %5d %5d %5d %5d %5d %d-%d-%d %d:%d\r\n": operator, parameter 1,
    // the enroll number acted on, manipulation, parameter 2, the operator's
    // machine number, then the date and time.
    static QByteArray managementLine(int enrollNumber, int params1, int manipulatedEnrollNumber, int manipulation,
                                     int params2, int enrollMachineNumber, int year, int month, int day, int hour,
                                     int minute);

    // Creates or empties the file, then writes a line per record of the
    // attendance log (LoadLogs, NextLogRecord); when LoadLogs fails the file
    // stays empty. The file appears whole or not at all. Throws CommandError
    // naming the file when it cannot be written.
    static void exportAttendanceLog(ITermSdk& sdk, int machineNumber, const QString& fileName);
    // The same for the management log (LoadSuperLogs, NextSuperLogRecord);
    // answers the number of records written.
    static int exportManagementLog(ITermSdk& sdk, int machineNumber, const QString& fileName);
};
