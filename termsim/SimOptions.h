#pragma once

#include "SimSeeder.h"
#include "SimTerminalData.h"
#include "WireFrame.h"

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
    // Speed of the serial line: -1 follows the baud rate of each Connect, 0 no
    // line speed (as fast as the pseudo-terminal goes), N bits per second.
    int lineBaud = -1;
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

    // Bounds that keep one process safe from clients that misbehave
    // (docs/emulator.md, "Limits").
    qint64 maxUnsentBytes = 1 << 20;       // reply bytes waiting per connection before its requests wait
    int maxTransfers = 2;                  // open bulk transfers per terminal; the least recently read goes first
    qint64 maxFrameBytes = WireFrame::MaxRequestPayload; // payload of a request frame
    int idleTimeoutS = 3600;               // no request for this long ends the session (TCP: the connection)
    int frameTimeoutS = 10;                // TCP: a frame must arrive whole within this time
    int frameGapMs = 500;                  // serial: a pause this long inside a frame abandons it
    int maxConnections = 64;               // TCP connections over all terminals

    // Parses the arguments (without the program name); false with a message on error.
    static bool parse(const QStringList& arguments, SimOptions& options, QString& error);
    static bool parseTerminal(const QString& spec, SimTerminalConfig& config, QString& error);
    static QString usage();
};
