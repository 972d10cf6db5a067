#include "RecordDatabase.h"

#include "AttendanceText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

namespace {
QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

bool isPostgresUrl(const QString& url)
{
    return url.startsWith(QLatin1String("postgresql://")) || url.startsWith(QLatin1String("postgres://"));
}
} // namespace

RecordDatabase::RecordDatabase() : m_connection(QStringLiteral("records-") + QUuid::createUuid().toString()) {}

RecordDatabase::~RecordDatabase()
{
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QString RecordDatabase::displayUrl(const QString& url)
{
    if (isPostgresUrl(url))
        return QUrl(url).toString(QUrl::RemovePassword);
    if (url.startsWith(QLatin1String("odbc:"))) {
        QString shown = url;
        static const QRegularExpression password(QStringLiteral("(pwd|password)=[^;]*"),
                                                 QRegularExpression::CaseInsensitiveOption);
        shown.replace(password, QStringLiteral("\\1=***"));
        return shown;
    }
    return url;
}

bool RecordDatabase::open(const QString& url, QString& error)
{
    if (isPostgresUrl(url)) {
        const QUrl parsed(url);
        if (!parsed.isValid()) {
            error = QStringLiteral("%1 is not a PostgreSQL URL").arg(displayUrl(url));
            return false;
        }
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
        const QUrlQuery query(parsed);
        QString host = parsed.host();
        if (query.hasQueryItem(QStringLiteral("host")))
            host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
        m_db.setHostName(host);
        if (parsed.port() > 0)
            m_db.setPort(parsed.port());
        QString user = parsed.userName(QUrl::FullyDecoded);
        if (query.hasQueryItem(QStringLiteral("user")))
            user = query.queryItemValue(QStringLiteral("user"), QUrl::FullyDecoded);
        m_db.setUserName(user);
        m_db.setPassword(parsed.password(QUrl::FullyDecoded));
        m_db.setDatabaseName(parsed.path(QUrl::FullyDecoded).mid(1));
    } else if (url.startsWith(QLatin1String("odbc:"))) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connection);
        m_db.setDatabaseName(url.mid(5));
    } else if (url.contains(QLatin1String("://"))) {
        error = QStringLiteral("%1: unknown kind of database (use a file name, sqlite:, postgresql:// or odbc:)")
                    .arg(displayUrl(url));
        return false;
    } else {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        m_db.setDatabaseName(url.startsWith(QLatin1String("sqlite:")) ? url.mid(7) : url);
    }
    if (!m_db.isValid()) {
        error = QStringLiteral("cannot open %1: the Qt SQL driver %2 is not installed")
                    .arg(displayUrl(url), m_db.driverName());
        return false;
    }
    if (!m_db.open()) {
        error = QStringLiteral("cannot open %1: %2").arg(displayUrl(url), m_db.lastError().text());
        return false;
    }
    if (!ensureTable(error)) {
        error = QStringLiteral("%1: %2").arg(displayUrl(url), error);
        return false;
    }
    return true;
}

bool RecordDatabase::ensureTable(QString& error)
{
    if (m_db.tables().contains(kTable))
        return true;
    // SQL Server keeps Chinese text only in its national character types.
    const bool national = m_db.driverName() == QLatin1String("QODBC");
    auto text = [national](int size) { return QStringLiteral("%1(%2)").arg(national ? "NVARCHAR" : "VARCHAR").arg(size); };
    using namespace AttendanceText;
    const QString statement =
        QStringLiteral("CREATE TABLE %1 (%2 %3 NOT NULL, %4 INTEGER, %5 %6 NOT NULL, %7 %8, %9 %10 NOT NULL, %11 %12, "
                       "CONSTRAINT %13 UNIQUE (%2, %5, %9))")
            .arg(quoted(kTable), quoted(kAddressColumn), text(100), quoted(kDeviceNo), quoted(kEnrollNo), text(50),
                 quoted(kName), text(50), quoted(kTime))
            .arg(text(20), quoted(kKind), text(50), quoted(QStringLiteral("考勤记录_唯一")));
    QSqlQuery query(m_db);
    if (!query.exec(statement)) {
        error = QStringLiteral("cannot create table %1: %2").arg(kTable, query.lastError().text());
        return false;
    }
    return true;
}

int RecordDatabase::addRecords(const QString& address, const QList<CollectedRecord>& records, QString& error)
{
    using namespace AttendanceText;
    if (!m_db.transaction()) {
        error = QStringLiteral("cannot begin a transaction: %1").arg(m_db.lastError().text());
        return -1;
    }
    // Portable "insert unless present": no ON CONFLICT in SQL Server, no MERGE in SQLite.
    QSqlQuery insert(m_db);
    const bool prepared = insert.prepare(
        QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7) SELECT ?, CAST(? AS INTEGER), ?, ?, ?, ? "
                       "WHERE NOT EXISTS (SELECT 1 FROM %1 WHERE %2 = ? AND %4 = ? AND %6 = ?)")
            .arg(quoted(kTable), quoted(kAddressColumn), quoted(kDeviceNo), quoted(kEnrollNo), quoted(kName),
                 quoted(kTime), quoted(kKind)));
    int added = 0;
    bool ok = prepared;
    for (qsizetype i = 0; ok && i < records.size(); ++i) {
        const CollectedRecord& r = records.at(i);
        insert.addBindValue(address);
        insert.addBindValue(r.deviceNo);
        insert.addBindValue(r.enrollNo);
        insert.addBindValue(QStringLiteral(""));
        insert.addBindValue(r.time);
        insert.addBindValue(r.kind);
        insert.addBindValue(address);
        insert.addBindValue(r.enrollNo);
        insert.addBindValue(r.time);
        ok = insert.exec();
        if (ok)
            added += insert.numRowsAffected() > 0 ? 1 : 0;
    }
    if (ok && m_db.commit())
        return added;
    error = QStringLiteral("cannot add the records (nothing of this terminal was kept): %1")
                .arg(ok ? m_db.lastError().text() : insert.lastError().text());
    m_db.rollback();
    return -1;
}
