#pragma once

#include "SimTerminalData.h"

#include <QDate>

// Fills a terminal with generated users and attendance records. The same
// options give the same data (own pseudo-random generator, no platform
// distributions), so tests and benchmarks can rely on it.
class SimSeeder {
public:
    struct Options {
        int users = 0;
        qint64 logs = 0;
        int days = 365;
        quint64 seed = 1;
        QDate lastDay; // the log ends on this day; invalid: today
    };

    // Replaces users and logs of data (parameters and clock stay).
    static void seed(SimTerminalData& data, const Options& options);
    // The enroll number text of the i-th generated user (0-based) for a kind.
    static QString enrollOf(SimKind kind, int index);
};
