#include "RecordCollection.h"

#include "AttendanceText.h"
#include "BulkRead.h"
#include "DateText.h"
#include "ITermSdk.h"
#include "QvTables.h"
#include "ReadProgress.h"
#include "TerminalVisit.h"
#include "WorkingTable.h"

#include <QDate>

#include <optional>
#include <stdexcept>

namespace RecordCollection {
namespace {
using namespace QvTables;

// A date or time that cannot be read ends the current terminal's reading.
struct UnreadableDate : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The range's bounds as whole days. The texts cannot change during a run, so
// they are read once; a text that is not a date fails every range test, as
// reading it again for each record would.
class DateRange {
public:
    DateRange(const QString& start, const QString& end) : m_start(parseDateText(start)), m_end(parseDateText(end)) {}

    bool contains(int year, int month, int day) const
    {
        const QDate date(year, month, day);
        if (!date.isValid())
            throw UnreadableDate("record date is not a date");
        if (!m_start)
            throw UnreadableDate("start of the range is not a date");
        if (*m_start > date)
            return false;
        if (!m_end)
            throw UnreadableDate("end of the range is not a date");
        return !(*m_end < date);
    }

private:
    std::optional<QDate> m_start;
    std::optional<QDate> m_end;
};

// The record's time text; a time that is not a time of day ends the terminal's reading.
QString timeText(int year, int month, int day, int hour, int minute, int second, bool withSeconds)
{
    QString text = AttendanceText::timeText(year, month, day, hour, minute, second, withSeconds);
    if (text.isEmpty())
        throw UnreadableDate("record time is not a time");
    return text;
}

void addRecord(WorkingTable& records, const QVariant& deviceNo, const QString& enrollNo, const QString& time,
               int state)
{
    records.append();
    records.setFieldValue(kDeviceNo, deviceNo);
    records.setFieldValue(kEnrollNo, enrollNo);
    records.setFieldValue(kName, QStringLiteral(""));
    records.setFieldValue(kTime, time);
    records.setFieldValue(kKind, AttendanceText::stateWord(state));
    records.post();
}

void fetchLog(Context& c, const DateRange& range, ReadProgress& progress)
{
    const int machine = c.state.machineNumber;
    const QVariant deviceNo = c.devices.fieldValue(kDeviceNo);
    IEventPump& events = *c.services.events;
    int verifyMode = 0, inOut = 0, year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (c.devices.fieldText(kDeviceType) == kBlackWhite) {
        int terminalNo = 0, enrollNo = 0, enrollMachine = 0;
        // A black-and-white terminal's log is read without a pause for window messages.
        while (!c.shouldStop() && c.sdk.NextLogRecord(machine, terminalNo, enrollNo, enrollMachine, verifyMode,
                                                      inOut, year, month, day, hour, minute)) {
            const bool kept = range.contains(year, month, day);
            if (kept)
                addRecord(c.target, deviceNo, QString::number(enrollNo),
                          timeText(year, month, day, hour, minute, 0, false), inOut);
            progress.count(kept ? 1 : 0);
        }
        events.processEvents();
    } else {
        QString enrollNo;
        int second = 0, workCode = 0;
        while (!c.shouldStop()) {
            enrollNo.clear();
            if (!c.sdk.NextLogRecordStr(machine, enrollNo, verifyMode, inOut, year, month, day, hour, minute, second,
                                        workCode))
                break;
            const bool kept = range.contains(year, month, day);
            if (kept)
                addRecord(c.target, deviceNo, enrollNo, timeText(year, month, day, hour, minute, second, true), inOut);
            progress.count(kept ? 1 : 0);
            events.processEvents();
        }
    }
}
} // namespace

void run(Context& c)
{
    QString start, end;
    c.askDateRange(start, end);
    if (start.isEmpty())
        return;
    c.target.emptyTable();
    const DateRange range(start, end);
    runBulkRead(c, {QStringLiteral("条"), QStringLiteral("考勤记录"),
                    [&c] { return c.sdk.LoadAllLogs(c.state.machineNumber); },
                    [&](ReadProgress& progress) { fetchLog(c, range, progress); }});
}

} // namespace RecordCollection
