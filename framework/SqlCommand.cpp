#include "SqlCommand.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

namespace {

[[noreturn]] void fail(const QString& text) {
    throw DatabaseError(text.toStdString());
}

bool isIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Index just past the literal or bracketed name starting at i (a quote,
// "[" or "#"), or -1 when it is not closed.
qsizetype skipDelimited(const QString& text, qsizetype i) {
    const QChar open = text.at(i);
    const QChar close = open == u'[' ? u']' : open;
    for (qsizetype j = i + 1; j < text.size(); ++j) {
        if (text.at(j) != close)
            continue;
        // A doubled quote inside a quoted text stands for one quote.
        if ((close == u'\'' || close == u'"') && j + 1 < text.size() && text.at(j + 1) == close) {
            ++j;
            continue;
        }
        return j + 1;
    }
    return -1;
}

// Splits text at top-level commas (outside literals, names and parentheses).
QStringList splitTopLevel(const QString& text) {
    QStringList parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c == u'\'' || c == u'"' || c == u'[') {
            const qsizetype end = skipDelimited(text, i);
            i = end < 0 ? text.size() : end;
            continue;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c == u',' && depth == 0) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
        ++i;
    }
    parts << text.mid(start);
    return parts;
}

QString sqliteText(const QString& text);

// Rewrites an ISNULL call whose "(" is at open; returns the index past its ")".
qsizetype rewriteIsNull(const QString& text, qsizetype open, QString& out) {
    int depth = 0;
    for (qsizetype i = open; i < text.size();) {
        const QChar c = text.at(i);
        if (c == u'\'' || c == u'"' || c == u'[' || c == u'#') {
            const qsizetype end = skipDelimited(text, i);
            i = end < 0 ? text.size() : end;
            continue;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth == 0) {
            const QStringList args = splitTopLevel(text.mid(open + 1, i - open - 1));
            if (args.size() == 1)
                out += u'(' + sqliteText(args.at(0)) + QStringLiteral(" IS NULL)");
            else
                out += QStringLiteral("IFNULL(") + sqliteText(args.join(u',')) + u')';
            return i + 1;
        }
        ++i;
    }
    // Unbalanced: leave it for SQLite to report.
    out += text.mid(open);
    return text.size();
}

QString sqliteText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c == u'\'' || c == u'[' || c == u'"' || c == u'#') {
            const qsizetype end = skipDelimited(text, i);
            if (end < 0) {
                out += text.mid(i);
                break;
            }
            if (c == u'\'' || c == u'[') {
                out += text.mid(i, end - i);
            } else {
                QString inner = text.mid(i + 1, end - i - 2);
                if (c == u'"')
                    inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
                out += u'\'' + inner.replace(u'\'', QStringLiteral("''")) + u'\'';
            }
            i = end;
            continue;
        }
        if (isIdentifierChar(c)) {
            qsizetype end = i;
            while (end < text.size() && isIdentifierChar(text.at(end)))
                ++end;
            const QString word = text.mid(i, end - i);
            qsizetype next = end;
            while (next < text.size() && text.at(next).isSpace())
                ++next;
            if (word.compare(u"ISNULL", Qt::CaseInsensitive) == 0 && next < text.size() &&
                text.at(next) == u'(') {
                i = rewriteIsNull(text, next, out);
                continue;
            }
            out += word;
            i = end;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace

bool SqlCommand::isSqlite(const QSqlDatabase& connection) {
    return connection.driverName().startsWith(u"QSQLITE");
}

QStringList SqlCommand::sqliteStatements(const QString& text) {
    static const QRegularExpression counterKey(QStringLiteral(R"(\bCounter\s+PRIMARY\s+KEY\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression identityKey(
        QStringLiteral(
            R"(\bBigint\s+IDENTITY\s+NOT\s+NULL\s+CONSTRAINT\s+(\[[^\]]*\]|\S+)\s+PRIMARY\s+KEY\b)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression alterAdd(
        QStringLiteral(R"(^(\s*Alter\s+Table\s+(?:\[[^\]]*\]|\S+)\s+Add\s+))"),
        QRegularExpression::CaseInsensitiveOption);

    QString adapted = text;
    adapted.replace(counterKey, QStringLiteral("INTEGER PRIMARY KEY"));
    adapted.replace(identityKey, QStringLiteral("INTEGER NOT NULL CONSTRAINT \\1 PRIMARY KEY"));
    adapted = sqliteText(adapted);

    const QRegularExpressionMatch alter = alterAdd.match(adapted);
    if (!alter.hasMatch())
        return {adapted};
    const QString head = alter.captured(1);
    QStringList statements;
    for (const QString& column : splitTopLevel(adapted.mid(head.size())))
        statements << head + column.trimmed();
    return statements;
}

QSqlDatabase& SqlCommand::openConnection(QSqlDatabase* connection) {
    if (!connection)
        fail(QStringLiteral("no database connection"));
    if (!connection->isOpen())
        fail(QStringLiteral("database connection %1 is not open").arg(connection->connectionName()));
    return *connection;
}

void SqlCommand::execute(QSqlDatabase* connection, const QString& text) {
    QSqlDatabase& db = openConnection(connection);
    const QStringList statements = isSqlite(db) ? sqliteStatements(text) : QStringList{text};
    const bool together = statements.size() > 1 && db.transaction();
    for (const QString& statement : statements) {
        QSqlQuery query(db);
        if (!query.exec(statement)) {
            const QString message = query.lastError().text();
            if (together)
                db.rollback();
            fail(QStringLiteral("statement failed: %1: %2").arg(text, message));
        }
    }
    if (together && !db.commit())
        fail(QStringLiteral("statement failed: %1: %2").arg(text, db.lastError().text()));
}

QSqlQuery SqlCommand::open(QSqlDatabase* connection, const QString& text) {
    QSqlDatabase& db = openConnection(connection);
    const QString statement = isSqlite(db) ? sqliteStatements(text).join(u';') : text;
    QSqlQuery query(db);
    if (!query.exec(statement))
        fail(QStringLiteral("query failed: %1: %2").arg(text, query.lastError().text()));
    query.first();
    return query;
}
