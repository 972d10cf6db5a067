// termctl: a small command line over the terminal SDK client.
//
//   termctl [connection] info | users [--numeric] | logs [--from D --to D] [--text|--numeric] | set-time
//          | sim-finger --enroll N --finger K [--score S]      (termsim only)
//   connection: --host ADDR --port N  |  --serial N [--machine N] [--baud N];  --key N
//
// Failures are reported on stderr with the error code and its meaning; the exit
// status is 0 on success, 1 for a usage error and 2 for a terminal error.
#include "Collect.h"
#include "TTermSdk.h"
#include "TermError.h"
#include "TermSerialPortMap.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

#include <cstdio>

namespace {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

int terminalError(TTermSdk& sdk, const QString& what)
{
    int code = 0;
    sdk.GetLastErrorCode(code);
    err() << "termctl: " << what << " failed: error " << code << " (" << TermError::text(code) << ")";
    const QString detail = sdk.lastErrorDetail();
    if (!detail.isEmpty() && detail != TermError::text(code))
        err() << ": " << detail;
    err() << Qt::endl;
    return 2;
}

int usage(const QString& message)
{
    err() << "termctl: " << message << "\n"
          << "usage: termctl [--host ADDR --port N | --serial N] [--machine N] [--baud N] [--key N]\n"
          << "               info | users [--numeric] | logs [--from YYYY-MM-DD --to YYYY-MM-DD] [--text|--numeric]"
             " | set-time\n"
          << "               sim-finger --enroll N --finger K [--score S]   (emulator only)\n"
          << "Try termctl --help." << Qt::endl;
    return 1;
}

QString csv(const QString& field)
{
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) && !field.contains(QLatin1Char('\n')))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

const char* const kStatusNames[12] = {
    "administrators", "users", "fingerprint templates", "passwords", "management records",
    "attendance records", "fingerprint capacity", "user capacity", "attendance record capacity",
    "fingerprints remaining", "users remaining", "attendance records remaining"};

int runInfo(TTermSdk& sdk, int machine)
{
    QString text;
    if (!sdk.GetFirmwareVersion(machine, text))
        return terminalError(sdk, QStringLiteral("GetFirmwareVersion"));
    out() << "firmware: " << text << "\n";
    if (!sdk.GetSerialNumber(machine, text))
        return terminalError(sdk, QStringLiteral("GetSerialNumber"));
    out() << "serial number: " << text << "\n";
    if (!sdk.GetProductCode(machine, text))
        return terminalError(sdk, QStringLiteral("GetProductCode"));
    out() << "product code: " << text << "\n";
    int y, mo, d, h, mi, s;
    if (!sdk.GetDeviceTime(machine, y, mo, d, h, mi, s))
        return terminalError(sdk, QStringLiteral("GetDeviceTime"));
    out() << "clock: "
          << QStringLiteral("%1-%2-%3 %4:%5:%6")
                 .arg(y, 4, 10, QLatin1Char('0'))
                 .arg(mo, 2, 10, QLatin1Char('0'))
                 .arg(d, 2, 10, QLatin1Char('0'))
                 .arg(h, 2, 10, QLatin1Char('0'))
                 .arg(mi, 2, 10, QLatin1Char('0'))
                 .arg(s, 2, 10, QLatin1Char('0'))
          << "\n";
    for (int i = 1; i <= 12; ++i) {
        int value = 0;
        if (!sdk.GetDeviceStatus(machine, i, value))
            return terminalError(sdk, QStringLiteral("GetDeviceStatus(%1)").arg(i));
        out() << "status " << i << " " << kStatusNames[i - 1] << ": " << value << "\n";
    }
    return 0;
}

int runUsers(TTermSdk& sdk, int machine, bool numeric)
{
    if (!sdk.LoadAllUserIds(machine))
        return terminalError(sdk, QStringLiteral("LoadAllUserIds"));
    out() << "enroll,name,password,privilege,enabled\n";
    QString enroll, name, password;
    int number = 0, privilege = 0;
    bool enabled = false;
    for (;;) {
        if (numeric) {
            if (!sdk.NextUserRecord(machine, number, name, password, privilege, enabled))
                break;
            enroll = QString::number(number);
        } else if (!sdk.NextUserRecordStr(machine, enroll, name, password, privilege, enabled)) {
            break;
        }
        out() << csv(enroll) << ',' << csv(name) << ',' << csv(password) << ',' << privilege << ','
              << (enabled ? 1 : 0) << '\n';
    }
    return 0;
}

int runLogs(TTermSdk& sdk, int machine, bool numeric, const QDate& from, const QDate& to)
{
    if (!sdk.LoadAllLogs(machine)) {
        int code = 0;
        sdk.GetLastErrorCode(code);
        if (code == TermError::NoData) {
            out() << "enroll,time,state,verify,workcode\n";
            return 0;
        }
        return terminalError(sdk, QStringLiteral("LoadAllLogs"));
    }
    out() << "enroll,time,state,verify,workcode\n";
    QString enroll;
    int tmn = 0, number = 0, emn = 0, verify = 0, state = 0, y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, work = 0;
    for (;;) {
        if (numeric) {
            if (!sdk.NextLogRecord(machine, tmn, number, emn, verify, state, y, mo, d, h, mi))
                break;
            enroll = QString::number(number);
        } else if (!sdk.NextLogRecordStr(machine, enroll, verify, state, y, mo, d, h, mi, s, work)) {
            break;
        }
        const QDate date(y, mo, d);
        if ((from.isValid() && date < from) || (to.isValid() && date > to))
            continue;
        QString time = QStringLiteral("%1-%2-%3 %4:%5")
                           .arg(y, 4, 10, QLatin1Char('0'))
                           .arg(mo, 2, 10, QLatin1Char('0'))
                           .arg(d, 2, 10, QLatin1Char('0'))
                           .arg(h, 2, 10, QLatin1Char('0'))
                           .arg(mi, 2, 10, QLatin1Char('0'));
        if (!numeric)
            time += QStringLiteral(":%1").arg(s, 2, 10, QLatin1Char('0'));
        out() << csv(enroll) << ',' << time << ',' << state << ',' << verify << ',' << (numeric ? 0 : work) << '\n';
    }
    return 0;
}

int runSetTime(TTermSdk& sdk, int machine)
{
    if (!sdk.SetDeviceTime(machine))
        return terminalError(sdk, QStringLiteral("SetDeviceTime"));
    int y, mo, d, h, mi, s;
    if (!sdk.GetDeviceTime(machine, y, mo, d, h, mi, s))
        return terminalError(sdk, QStringLiteral("GetDeviceTime"));
    out() << "clock set: " << QStringLiteral("%1-%2-%3 %4:%5:%6").arg(y).arg(mo, 2, 10, QLatin1Char('0'))
                                  .arg(d, 2, 10, QLatin1Char('0')).arg(h, 2, 10, QLatin1Char('0'))
                                  .arg(mi, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'))
          << "\n";
    return 0;
}

// The emulator's finger on the sensor. The enrol, verify or identify it
// answers was started by another connection (devbench, a test), which gets
// the terminal's events; this one only reports what the finger did.
int runSimFinger(TTermSdk& sdk, const QString& enroll, int finger, int score)
{
    TTermSdk::SimFingerResult result;
    if (!sdk.simulateFinger(enroll, finger, score, result)) {
        int code = 0;
        sdk.GetLastErrorCode(code);
        if (code == TermError::Refused)
            err() << "termctl: the terminal is not waiting for a finger (start an enrol, verify or identify"
                     " first), or it is no emulator"
                  << Qt::endl;
        return terminalError(sdk, QStringLiteral("sim-finger"));
    }
    out() << "finger " << finger << " of " << enroll << " read, score " << score << "\n";
    switch (result.operation) {
    case 1:
        if (result.pressesLeft > 0)
            out() << "enrol: " << result.pressesLeft << " more press(es) needed\n";
        else
            out() << "enrol: template stored\n";
        break;
    case 2:
    case 3:
        out() << (result.operation == 2 ? "verify: " : "identify: ")
              << (result.matchedEnroll.isEmpty() ? QStringLiteral("no match")
                                                 : QStringLiteral("user %1 verified").arg(result.matchedEnroll))
              << "\n";
        break;
    default:
        break;
    }
    if (!result.eventsSent)
        out() << "no connection waits for the events (the one that started the operation has gone)\n";
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("termctl"));
    if (app.arguments().value(1) == QLatin1String("collect"))
        return runCollect(app.arguments().mid(2));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Talks to one attendance terminal (or termsim) through the SDK client.\n"
        "Commands: info, users, logs, set-time; sim-finger (termsim only: a finger on the sensor).\n"
        "Serial port N opens TERMSDK_COM<N> when set, else /dev/ttyS<N-1>."));
    parser.addHelpOption();
    const QCommandLineOption host(QStringLiteral("host"), QStringLiteral("TCP address of the terminal."),
                                  QStringLiteral("addr"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("TCP port (default 4370)."),
                                  QStringLiteral("n"), QStringLiteral("4370"));
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("Serial port number (COM<n>)."),
                                    QStringLiteral("n"));
    const QCommandLineOption machine(QStringLiteral("machine"),
                                     QStringLiteral("Machine number on a serial line (default 1)."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Serial baud rate (default 19200)."),
                                  QStringLiteral("n"), QStringLiteral("19200"));
    const QCommandLineOption key(QStringLiteral("key"), QStringLiteral("Communication key."), QStringLiteral("n"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("logs: first day (YYYY-MM-DD)."),
                                  QStringLiteral("date"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("logs: last day (YYYY-MM-DD)."),
                                QStringLiteral("date"));
    const QCommandLineOption text(QStringLiteral("text"), QStringLiteral("Text enroll numbers, with seconds (default)."));
    const QCommandLineOption numeric(QStringLiteral("numeric"),
                                     QStringLiteral("Numeric enroll numbers, minute precision."));
    const QCommandLineOption enroll(QStringLiteral("enroll"),
                                    QStringLiteral("sim-finger: enroll number of the finger's owner."),
                                    QStringLiteral("n"));
    const QCommandLineOption finger(QStringLiteral("finger"), QStringLiteral("sim-finger: finger index 0..9."),
                                    QStringLiteral("k"));
    const QCommandLineOption score(QStringLiteral("score"),
                                   QStringLiteral("sim-finger: read score 0..100 (default 80)."),
                                   QStringLiteral("s"), QStringLiteral("80"));
    parser.addOptions({host, port, serial, machine, baud, key, from, to, text, numeric, enroll, finger, score});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("info | users | logs | set-time | sim-finger"));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return usage(QStringLiteral("give exactly one command"));
    const QString command = args.first();
    if (parser.isSet(host) == parser.isSet(serial))
        return usage(QStringLiteral("give either --host (with --port) or --serial"));

    auto integer = [&parser](const QCommandLineOption& o, int& value) {
        bool ok = false;
        value = parser.value(o).toInt(&ok);
        return ok;
    };
    int portNumber = 0, machineNumber = 1, baudRate = 19200, commKey = -1;
    if (!integer(port, portNumber) || !integer(machine, machineNumber) || !integer(baud, baudRate))
        return usage(QStringLiteral("--port, --machine and --baud take whole numbers"));
    if (parser.isSet(key) && !integer(key, commKey))
        return usage(QStringLiteral("--key takes a whole number"));
    QDate fromDate, toDate;
    if (parser.isSet(from) && !(fromDate = QDate::fromString(parser.value(from), Qt::ISODate)).isValid())
        return usage(QStringLiteral("--from takes a date YYYY-MM-DD"));
    if (parser.isSet(to) && !(toDate = QDate::fromString(parser.value(to), Qt::ISODate)).isValid())
        return usage(QStringLiteral("--to takes a date YYYY-MM-DD"));
    if (command != QLatin1String("info") && command != QLatin1String("users") &&
        command != QLatin1String("logs") && command != QLatin1String("set-time") &&
        command != QLatin1String("sim-finger"))
        return usage(QStringLiteral("unknown command '%1'").arg(command));
    int fingerIndex = 0, readScore = 80;
    if (command == QLatin1String("sim-finger")) {
        if (!parser.isSet(enroll) || parser.value(enroll).trimmed().isEmpty() || !parser.isSet(finger))
            return usage(QStringLiteral("sim-finger needs --enroll and --finger"));
        if (!integer(finger, fingerIndex) || fingerIndex < 0 || fingerIndex > 9)
            return usage(QStringLiteral("--finger takes 0..9"));
        if (!integer(score, readScore) || readScore < 0 || readScore > 100)
            return usage(QStringLiteral("--score takes 0..100"));
    }

    TTermSdk sdk;
    if (commKey != -1)
        sdk.SetCommKey(commKey);
    bool connected = false;
    if (parser.isSet(serial)) {
        int comPort = 0;
        if (!integer(serial, comPort) || comPort < 1)
            return usage(QStringLiteral("--serial takes a port number from 1"));
        sdk.SetCommPort(comPort);
        connected = sdk.ConnectSerial(comPort, machineNumber, baudRate);
        if (!connected)
            return terminalError(sdk, QStringLiteral("connect to serial port %1 (%2, machine %3)")
                                          .arg(comPort)
                                          .arg(TermSerialPortMap::devicePath(comPort))
                                          .arg(machineNumber));
    } else {
        connected = sdk.ConnectNetwork(parser.value(host), portNumber);
        if (!connected)
            return terminalError(sdk, QStringLiteral("connect to %1:%2").arg(parser.value(host)).arg(portNumber));
        machineNumber = 1;
    }

    int rc = 0;
    if (command == QLatin1String("info"))
        rc = runInfo(sdk, machineNumber);
    else if (command == QLatin1String("users"))
        rc = runUsers(sdk, machineNumber, parser.isSet(numeric));
    else if (command == QLatin1String("logs"))
        rc = runLogs(sdk, machineNumber, parser.isSet(numeric), fromDate, toDate);
    else if (command == QLatin1String("sim-finger"))
        rc = runSimFinger(sdk, parser.value(enroll).trimmed(), fingerIndex, readScore);
    else
        rc = runSetTime(sdk, machineNumber);
    out().flush();
    sdk.Disconnect();
    return rc;
}
