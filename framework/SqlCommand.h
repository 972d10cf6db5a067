#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <stdexcept>

// A database statement that failed, or a connection that is missing or not
// open; the text names the statement and the driver's message.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs the framework component's statement texts on a connection, the way
// the connection's direct command execution does.
//
// The texts are those of the ACCESS and SQL Server dialects. SQLite, the
// embedded database, runs either dialect after sqliteStatements() has made
// these changes, and only these:
// - ISNULL(x) becomes (x IS NULL) and ISNULL(x, y) becomes IFNULL(x, y):
//   ISNULL is an operator keyword in SQLite, not a function;
// - "text" (an ACCESS text literal) becomes 'text' and #date# (an ACCESS
//   date literal) becomes 'date', so they never depend on SQLite's habit of
//   reading an unknown double-quoted name as a text;
// - ID Counter PRIMARY KEY and ID Bigint IDENTITY NOT NULL CONSTRAINT name
//   PRIMARY KEY become INTEGER PRIMARY KEY (with the constraint name), so the
//   key numbers new rows by itself;
// - "Alter Table T Add a, b" (the two columns of an OLE column) becomes one
//   "Alter Table T Add" per column, run together in one transaction.
class SqlCommand {
public:
    static bool isSqlite(const QSqlDatabase& connection);
    static QStringList sqliteStatements(const QString& text);

    // Runs a statement without a result set; throws DatabaseError on failure.
    static void execute(QSqlDatabase* connection, const QString& text);
    // Opens a query with a result set, positioned on its first row when it
    // has one; throws DatabaseError on failure.
    static QSqlQuery open(QSqlDatabase* connection, const QString& text);
    // Throws DatabaseError when there is no connection or it is not open.
    static QSqlDatabase& openConnection(QSqlDatabase* connection);
};
