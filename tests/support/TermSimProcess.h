#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the real termsim executable for a test: starts it with the given
// arguments, waits until it reports "termsim: ready", and tells the TCP port
// each terminal got (terminals given tcp=0 get a free port).
class TermSimProcess {
public:
    TermSimProcess() = default;
    ~TermSimProcess();

    static QString executable();

    // false when termsim exits or does not get ready in time; output() says why.
    bool start(const QStringList& arguments, int timeoutMs = 120000);
    // Runs termsim expecting it to fail at start; returns its exit code (-1: it did not exit).
    int runToExit(const QStringList& arguments, int timeoutMs = 60000);
    // TCP port of the terminal with that machine number (0 when none).
    int tcpPort(int machine) const;
    QString output() const { return m_output; }
    QString errors() const { return m_errors; }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    void killHard(); // SIGKILL, as a crash or a power cut would
    void stop();     // SIGTERM and wait
    // Starts later runs with a file size limit (RLIMIT_FSIZE), so that writing
    // past that many bytes fails as on a full disk; -1: no limit.
    void setFileSizeLimit(qint64 bytes);

private:
    QProcess m_process;
    QString m_output;
    QString m_errors;
    qint64 m_fileSizeLimit = -1;
};
