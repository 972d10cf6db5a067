#include "SimOptions.h"

#include "SimTerminal.h"
#include "WireFrame.h"

#include <QSet>

namespace {

bool toInt(const QString& text, qint64 min, qint64 max, qint64& value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value >= min && value <= max;
}

struct LimitOption {
    const char* name = nullptr;
    qint64 min = 0;
    qint64 max = 0;
    void (*store)(SimOptions&, qint64) = nullptr;
};

LimitOption limitOption(const QString& arg)
{
    static const LimitOption options[] = {
        {"--max-unsent", 1024, qint64(1) << 32, [](SimOptions& o, qint64 v) { o.maxUnsentBytes = v; }},
        {"--max-transfers", 1, 10000, [](SimOptions& o, qint64 v) { o.maxTransfers = int(v); }},
        {"--max-frame", 64, WireFrame::MaxPayload, [](SimOptions& o, qint64 v) { o.maxFrameBytes = v; }},
        {"--idle-timeout", 1, 86400, [](SimOptions& o, qint64 v) { o.idleTimeoutS = int(v); }},
        {"--frame-timeout", 1, 3600, [](SimOptions& o, qint64 v) { o.frameTimeoutS = int(v); }},
        {"--frame-gap-ms", 10, 60000, [](SimOptions& o, qint64 v) { o.frameGapMs = int(v); }},
        {"--max-connections", 1, 100000, [](SimOptions& o, qint64 v) { o.maxConnections = int(v); }},
    };
    for (const LimitOption& l : options)
        if (arg == QLatin1String(l.name))
            return l;
    return {};
}

} // namespace

QString SimOptions::usage()
{
    return QStringLiteral(
        "usage: termsim [options] --terminal SPEC [--terminal SPEC ...]\n"
        "  SPEC: machine=N,kind=bw|color|face[,tcp=PORT][,serial=PATH][,key=N]\n"
        "        [,users=N][,logs=N][,days=N][,seed=N][,end=YYYY-MM-DD][,id=NAME][,baud=N]\n"
        "  --data-dir DIR       keep each terminal's data in DIR/<id>.dat and <id>.journal\n"
        "  --trace FILE         append one line per request served to FILE\n"
        "  --bind ADDR          TCP address to listen on (default 127.0.0.1)\n"
        "  --delay-ms N         answer every request N ms late\n"
        "  --drop-after N       drop the connection after N log records sent in a bulk transfer\n"
        "  --corrupt-frame N    corrupt the Nth reply frame sent\n"
        "  --refuse-connects    refuse every session\n"
        "  --crash-in-compaction STEP  kill itself at step 1..3 of compacting a data file (crash tests)\n"
        "  limits (docs/emulator.md):\n"
        "  --max-unsent BYTES   reply bytes waiting per connection before its requests wait (default 1048576)\n"
        "  --max-transfers N    open bulk transfers per terminal (default 2)\n"
        "  --max-frame BYTES    largest request payload accepted (default 524352)\n"
        "  --idle-timeout S     end a session without requests for S seconds (default 3600)\n"
        "  --frame-timeout S    TCP: drop a connection whose frame is not whole after S seconds (default 10)\n"
        "  --frame-gap-ms MS    serial: abandon a frame after a pause of MS between its bytes (default 500)\n"
        "  --max-connections N  TCP connections over all terminals (default 64)\n");
}

bool SimOptions::parseTerminal(const QString& spec, SimTerminalConfig& c, QString& error)
{
    bool haveMachine = false;
    for (const QString& part : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            error = QStringLiteral("'%1' is not key=value").arg(part);
            return false;
        }
        const QString key = part.left(eq).trimmed();
        const QString value = part.mid(eq + 1).trimmed();
        qint64 n = 0;
        if (key == QLatin1String("machine")) {
            if (!toInt(value, 1, 255, n)) {
                error = QStringLiteral("machine must be 1..255");
                return false;
            }
            c.machine = int(n);
            haveMachine = true;
        } else if (key == QLatin1String("kind")) {
            if (!SimTerminal::kindFromName(value, c.kind)) {
                error = QStringLiteral("kind must be bw, color or face");
                return false;
            }
        } else if (key == QLatin1String("tcp")) {
            if (!toInt(value, 0, 65535, n)) {
                error = QStringLiteral("tcp must be a port number 0..65535");
                return false;
            }
            c.tcpPort = int(n);
        } else if (key == QLatin1String("serial")) {
            if (value.isEmpty()) {
                error = QStringLiteral("serial needs a path");
                return false;
            }
            c.serialPath = value;
        } else if (key == QLatin1String("key")) {
            if (!toInt(value, 0, 999999999, n)) {
                error = QStringLiteral("key must be a number 0..999999999");
                return false;
            }
            c.commKey = int(n);
        } else if (key == QLatin1String("users")) {
            if (!toInt(value, 0, 100000, n)) {
                error = QStringLiteral("users must be 0..100000");
                return false;
            }
            c.seed.users = int(n);
        } else if (key == QLatin1String("logs")) {
            if (!toInt(value, 0, 50000000, n)) {
                error = QStringLiteral("logs must be 0..50000000");
                return false;
            }
            c.seed.logs = n;
        } else if (key == QLatin1String("days")) {
            if (!toInt(value, 1, 36500, n)) {
                error = QStringLiteral("days must be 1..36500");
                return false;
            }
            c.seed.days = int(n);
        } else if (key == QLatin1String("seed")) {
            if (!toInt(value, 0, std::numeric_limits<qint64>::max(), n)) {
                error = QStringLiteral("seed must be a non-negative number");
                return false;
            }
            c.seed.seed = quint64(n);
        } else if (key == QLatin1String("end")) {
            c.seed.lastDay = QDate::fromString(value, Qt::ISODate);
            if (!c.seed.lastDay.isValid()) {
                error = QStringLiteral("end must be a date YYYY-MM-DD");
                return false;
            }
        } else if (key == QLatin1String("baud")) {
            if (!toInt(value, 0, 4000000, n)) {
                error = QStringLiteral("baud must be 0 (no line speed) .. 4000000");
                return false;
            }
            c.lineBaud = int(n);
        } else if (key == QLatin1String("id")) {
            if (value.isEmpty() || value.contains(QLatin1Char('/'))) {
                error = QStringLiteral("id must be a plain file name");
                return false;
            }
            c.id = value;
        } else {
            error = QStringLiteral("unknown terminal setting '%1'").arg(key);
            return false;
        }
    }
    if (!haveMachine) {
        error = QStringLiteral("a terminal needs machine=N");
        return false;
    }
    if (c.tcpPort < 0 && c.serialPath.isEmpty()) {
        error = QStringLiteral("terminal %1 needs tcp=PORT or serial=PATH").arg(c.machine);
        return false;
    }
    if (c.id.isEmpty())
        c.id = QStringLiteral("terminal-%1").arg(c.machine);
    return true;
}

bool SimOptions::parse(const QStringList& arguments, SimOptions& o, QString& error)
{
    auto value = [&](qsizetype& i, const QString& name, QString& out) {
        if (i + 1 >= arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        out = arguments.at(++i);
        return true;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString arg = arguments.at(i);
        QString v;
        // Accept --name=value as well as --name value.
        const qsizetype eq = arg.startsWith(QLatin1String("--")) ? arg.indexOf(QLatin1Char('=')) : -1;
        bool inlineValue = false;
        if (eq > 0) {
            v = arg.mid(eq + 1);
            arg = arg.left(eq);
            inlineValue = true;
        }
        auto need = [&](const QString& name) { return inlineValue || value(i, name, v); };
        qint64 n = 0;
        if (arg == QLatin1String("--terminal")) {
            if (!need(arg))
                return false;
            SimTerminalConfig c;
            if (!parseTerminal(v, c, error))
                return false;
            o.terminals.append(c);
        } else if (arg == QLatin1String("--data-dir")) {
            if (!need(arg))
                return false;
            o.dataDir = v;
        } else if (arg == QLatin1String("--trace")) {
            if (!need(arg))
                return false;
            o.traceFile = v;
        } else if (arg == QLatin1String("--bind")) {
            if (!need(arg))
                return false;
            o.bindAddress = v;
        } else if (arg == QLatin1String("--delay-ms")) {
            if (!need(arg))
                return false;
            if (!toInt(v, 0, 600000, n)) {
                error = QStringLiteral("--delay-ms must be 0..600000");
                return false;
            }
            o.delayMs = int(n);
        } else if (arg == QLatin1String("--drop-after")) {
            if (!need(arg))
                return false;
            if (!toInt(v, 0, std::numeric_limits<qint64>::max(), n)) {
                error = QStringLiteral("--drop-after must be a record count");
                return false;
            }
            o.dropAfter = n;
        } else if (arg == QLatin1String("--corrupt-frame")) {
            if (!need(arg))
                return false;
            if (!toInt(v, 1, std::numeric_limits<qint64>::max(), n)) {
                error = QStringLiteral("--corrupt-frame must be a frame number from 1");
                return false;
            }
            o.corruptFrame = n;
        } else if (arg == QLatin1String("--crash-in-compaction")) {
            if (!need(arg))
                return false;
            if (!toInt(v, 1, 3, n)) {
                error = QStringLiteral("--crash-in-compaction must be a step 1..3");
                return false;
            }
            o.crashInCompaction = int(n);
        } else if (arg == QLatin1String("--refuse-connects")) {
            o.refuseConnects = true;
        } else if (const auto limit = limitOption(arg); limit.name) {
            if (!need(arg))
                return false;
            if (!toInt(v, limit.min, limit.max, n)) {
                error = QStringLiteral("%1 must be %2..%3").arg(arg).arg(limit.min).arg(limit.max);
                return false;
            }
            limit.store(o, n);
        } else {
            error = QStringLiteral("unknown option '%1'").arg(arguments.at(i));
            return false;
        }
    }
    if (o.terminals.isEmpty()) {
        error = QStringLiteral("give at least one --terminal");
        return false;
    }
    QSet<QString> ids;
    QSet<int> ports;
    for (const SimTerminalConfig& c : o.terminals) {
        if (ids.contains(c.id)) {
            error = QStringLiteral("two terminals named '%1': give each an id=NAME").arg(c.id);
            return false;
        }
        ids.insert(c.id);
        if (c.tcpPort > 0) {
            if (ports.contains(c.tcpPort)) {
                error = QStringLiteral("two terminals on TCP port %1").arg(c.tcpPort);
                return false;
            }
            ports.insert(c.tcpPort);
        }
    }
    // Terminals sharing a serial line need distinct machine numbers and one speed.
    for (qsizetype a = 0; a < o.terminals.size(); ++a)
        for (qsizetype b = a + 1; b < o.terminals.size(); ++b)
            if (!o.terminals[a].serialPath.isEmpty() && o.terminals[a].serialPath == o.terminals[b].serialPath &&
                o.terminals[a].machine == o.terminals[b].machine) {
                error = QStringLiteral("two terminals with machine number %1 on line %2")
                            .arg(o.terminals[a].machine)
                            .arg(o.terminals[a].serialPath);
                return false;
            }
    for (qsizetype a = 0; a < o.terminals.size(); ++a)
        for (qsizetype b = a + 1; b < o.terminals.size(); ++b)
            if (!o.terminals[a].serialPath.isEmpty() && o.terminals[a].serialPath == o.terminals[b].serialPath &&
                o.terminals[a].lineBaud != o.terminals[b].lineBaud) {
                error = QStringLiteral("terminals on line %1 give different baud settings").arg(o.terminals[a].serialPath);
                return false;
            }
    return true;
}
