#pragma once

#include <QString>
#include <QTemporaryDir>

// A private PostgreSQL server for a test: a cluster made with initdb in a
// temporary directory, started with pg_ctl, listening only on a Unix socket
// in that directory (no TCP), with trust authentication. The server refuses
// to run as root; a test running as root runs it as the unprivileged user
// "qvtest" (made by scripts/setup), which then owns the directory.
class PostgresServer {
public:
    PostgresServer() = default;
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    static inline const QString kUser = QStringLiteral("qvtest");

    // Directory of initdb and pg_ctl; empty when PostgreSQL is not installed.
    static QString binDirectory();

    // false with the reason when the server could not be made or started.
    bool start(QString& error);
    void stop();

    // The collector's URL of the server's "postgres" database.
    QString url() const;
    QString socketDirectory() const { return m_dir.path(); }
    QString user() const { return m_user; }

private:
    bool run(const QString& program, const QStringList& arguments, QString& error);

    QTemporaryDir m_dir{QStringLiteral("/tmp/qvpg-XXXXXX")};
    QString m_user;
    bool m_asOtherUser = false;
    bool m_running = false;
};
