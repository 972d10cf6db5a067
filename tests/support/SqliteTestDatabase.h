#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>

// A private in-memory SQLite database, open for the test's lifetime.
class SqliteTestDatabase {
public:
    SqliteTestDatabase() : m_name(QUuid::createUuid().toString()) {
        connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        connection.setDatabaseName(QStringLiteral(":memory:"));
        connection.open();
    }
    ~SqliteTestDatabase() {
        connection.close();
        connection = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    SqliteTestDatabase(const SqliteTestDatabase&) = delete;
    SqliteTestDatabase& operator=(const SqliteTestDatabase&) = delete;

    // Runs a statement of the test's own; false when it fails.
    bool run(const QString& statement) {
        QSqlQuery query(connection);
        return query.exec(statement);
    }
    // The first column of every row a query gives, joined by "|" (null as "<null>").
    QString column(const QString& select) {
        QSqlQuery query(connection);
        if (!query.exec(select))
            return QStringLiteral("<failed>");
        QStringList values;
        while (query.next())
            values << (query.value(0).isNull() ? QStringLiteral("<null>") : query.value(0).toString());
        return values.join(u'|');
    }

    QSqlDatabase connection;

private:
    QString m_name;
};
