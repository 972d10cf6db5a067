#include "TermSimProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include <sys/resource.h>

TermSimProcess::~TermSimProcess()
{
    if (isRunning())
        killHard();
}

QString TermSimProcess::executable()
{
    return QStringLiteral(TERMSIM_EXECUTABLE);
}

bool TermSimProcess::start(const QStringList& arguments, int timeoutMs)
{
    m_output.clear();
    m_errors.clear();
    m_process.setProgram(executable());
    m_process.setArguments(arguments);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    while (!m_output.contains(QLatin1String("termsim: ready"))) {
        if (m_process.state() != QProcess::Running || deadline.hasExpired()) {
            m_errors += QString::fromUtf8(m_process.readAllStandardError());
            return false;
        }
        m_process.waitForReadyRead(int(qMax<qint64>(1, qMin<qint64>(deadline.remainingTime(), 1000))));
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
    }
    return true;
}

int TermSimProcess::runToExit(const QStringList& arguments, int timeoutMs)
{
    m_process.setProgram(executable());
    m_process.setArguments(arguments);
    m_process.start();
    if (!m_process.waitForFinished(timeoutMs)) {
        killHard();
        return -1;
    }
    m_output = QString::fromUtf8(m_process.readAllStandardOutput());
    m_errors = QString::fromUtf8(m_process.readAllStandardError());
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void TermSimProcess::setFileSizeLimit(qint64 bytes)
{
    m_fileSizeLimit = bytes;
    if (bytes < 0) {
        m_process.setChildProcessModifier({});
        return;
    }
    m_process.setChildProcessModifier([bytes] {
        const struct rlimit limit = {rlim_t(bytes), rlim_t(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
}

int TermSimProcess::tcpPort(int machine) const
{
    const QRegularExpression re(QStringLiteral("terminal %1 kind=\\w+ tcp=[0-9.]+:(\\d+)").arg(machine));
    const auto match = re.match(m_output);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void TermSimProcess::killHard()
{
    m_process.kill();
    m_process.waitForFinished(10000);
}

void TermSimProcess::stop()
{
    if (!isRunning())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        killHard();
}
