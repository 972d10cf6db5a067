#pragma once

#include "SimSeeder.h"
#include "SimTerminalData.h"

#include <QList>
#include <QString>
#include <QStringList>

// One --terminal option: machine=N,kind=bw|color|face[,tcp=PORT][,serial=PATH]
// [,key=N][,users=N][,logs=N][,days=N][,seed=N][,end=YYYY-MM-DD][,id=NAME]
struct SimTerminalConfig {
    int machine = 1;
    SimKind kind = SimKind::BlackWhite;
    int tcpPort = -1; // -1: no TCP listener; 0: any free port
    QString serialPath; // symlink to publish the pseudo-terminal under; empty: none
    int commKey = -1;
    SimSeeder::Options seed;
    QString id; // data file name without extension; default "terminal-<machine>"
};

// The whole command line of termsim.
struct SimOptions {
    QList<SimTerminalConfig> terminals;
    QString dataDir;
    QString traceFile;
    QString bindAddress = QStringLiteral("127.0.0.1");
    int delayMs = 0;
    qint64 dropAfter = -1;   // drop the connection after this many log records sent; -1: never
    qint64 corruptFrame = 0; // corrupt the Nth reply frame (1-based); 0: never
    bool refuseConnects = false;
    int crashInCompaction = 0; // kill itself at this step of a data file compaction (SimTerminalStore); 0: never

    // Parses the arguments (without the program name); false with a message on error.
    static bool parse(const QStringList& arguments, SimOptions& options, QString& error);
    static bool parseTerminal(const QString& spec, SimTerminalConfig& config, QString& error);
    static QString usage();
};
