#pragma once

#include "WireRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <vector>

// Kinds of terminal. Black-and-white terminals keep numeric enroll numbers and
// log to the minute; colour-screen and face terminals keep text enroll numbers
// and log to the second.
enum class SimKind : quint8 { BlackWhite = 0, Color = 1, Face = 2 };

struct SimUser {
    QString enroll;
    QString name;
    QString password;
    int privilege = 0; // 0 user, 1 enroller, 2 administrator, 3 super administrator
    bool enabled = true;
    std::array<QByteArray, 10> templates; // finger 0..9; empty: none
};

// One attendance record: 16 bytes, the enroll number interned in SimTerminalData::enrollTexts.
struct SimLogRecord {
    quint32 enrollId = 0;
    quint32 time = 0; // WireTime
    quint32 workCode = 0;
    quint8 verifyMode = 1;
    quint8 inOutMode = 0;
    quint16 reserved = 0;
};

// One management log record: the layout the wire carries (WireRecords).
using SimSuperLogRecord = WireRecords::SuperLog;

struct SimFirmwareRecord {
    QString fileName;
    quint32 size = 0;
    quint32 crc = 0;
    quint32 time = 0; // WireTime of the terminal clock when accepted
};

// Everything a terminal keeps across restarts: what its data file holds.
struct SimTerminalData {
    static constexpr int ParameterCount = 35;

    SimKind kind = SimKind::BlackWhite;
    qint64 clockOffsetSeconds = 0; // terminal clock minus host clock
    std::array<qint32, ParameterCount> parameters{}; // GetDeviceInfo 1..35 at index 0..34
    std::vector<SimUser> users;
    QList<QByteArray> enrollTexts; // UTF-8, indexed by SimLogRecord::enrollId
    std::vector<SimLogRecord> logs;
    std::vector<SimSuperLogRecord> superLogs;
    std::vector<SimFirmwareRecord> firmware;
};
