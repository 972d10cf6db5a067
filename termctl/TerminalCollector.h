#pragma once

#include "TerminalEntry.h"

#include <QDate>
#include <QList>
#include <QString>

// One attendance record as QV's record table holds it.
struct CollectedRecord {
    int deviceNo = 0;
    QString enrollNo;
    QString time; // AttendanceText::timeText
    QString kind; // AttendanceText::stateWord
};

// What collecting one terminal gave.
struct TerminalHarvest {
    int index = 0;        // position of the terminal in the list
    TerminalEntry entry;
    QString address;      // "IP:port" or "COMn:machine"; the terminal's key in a database
    bool ok = false;
    QString error;        // why it failed, when !ok
    QList<CollectedRecord> records; // in the order the terminal delivered them; empty when !ok
};

// Collects the records of one terminal for a date range (both days
// included) the way QV's record collection does: the visit's transport,
// machine number and key, the whole log loaded, the numeric fetch for a
// black-and-white terminal and the text fetch for the others, the same time
// texts and 类型 words. Unlike QV it reports every failure (connect, load,
// a record that cannot be read), and a terminal that fails gives no records
// at all, so that a run never leaves part of a terminal's log behind.
// Blocking; safe to run on any thread (it makes its own SDK client).
TerminalHarvest collectTerminal(int index, const TerminalEntry& entry, QDate from, QDate to);

// The terminal's key: "IP:port" for TCP/IP, "COMn:machine" for a serial line.
QString terminalAddress(const TerminalEntry& entry);
