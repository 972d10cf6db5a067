#include "PostgresServer.h"

#include <QDir>
#include <QProcess>

#include <unistd.h>

PostgresServer::~PostgresServer()
{
    stop();
}

QString PostgresServer::binDirectory()
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& version : found) {
        const QString bin = versions.filePath(version + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

bool PostgresServer::run(const QString& program, const QStringList& arguments, QString& error)
{
    QProcess process;
    if (m_asOtherUser) {
        process.setProgram(QStringLiteral("runuser"));
        process.setArguments(QStringList{QStringLiteral("-u"), kUser, QStringLiteral("--"), program} + arguments);
    } else {
        process.setProgram(program);
        process.setArguments(arguments);
    }
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

bool PostgresServer::start(QString& error)
{
    const QString bin = binDirectory();
    if (bin.isEmpty()) {
        error = QStringLiteral("PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)");
        return false;
    }
    if (!m_dir.isValid()) {
        error = QStringLiteral("cannot make a temporary directory");
        return false;
    }
    m_asOtherUser = ::geteuid() == 0;
    m_user = m_asOtherUser ? kUser : qEnvironmentVariable("USER", QStringLiteral("postgres"));
    if (m_asOtherUser) {
        QProcess chown;
        chown.start(QStringLiteral("chown"), {kUser, m_dir.path()});
        if (!chown.waitForFinished() || chown.exitCode() != 0) {
            error = QStringLiteral("cannot give %1 to user %2 (scripts/setup makes the user): %3")
                        .arg(m_dir.path(), kUser, QString::fromLocal8Bit(chown.readAllStandardError()));
            return false;
        }
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!run(bin + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"), m_user,
              QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")},
             error))
        return false;
    if (!run(bin + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), data, QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")),
              QStringLiteral("-o"), QStringLiteral("-k %1 -c listen_addresses=''").arg(m_dir.path()),
              QStringLiteral("-w"), QStringLiteral("start")},
             error))
        return false;
    m_running = true;
    return true;
}

void PostgresServer::stop()
{
    if (!m_running)
        return;
    QString ignored;
    run(binDirectory() + QStringLiteral("/pg_ctl"),
        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"), QStringLiteral("immediate"),
         QStringLiteral("-w"), QStringLiteral("stop")},
        ignored);
    m_running = false;
}

QString PostgresServer::url() const
{
    return QStringLiteral("postgresql:///postgres?host=%1&user=%2").arg(m_dir.path(), m_user);
}
