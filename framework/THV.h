#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The system object: values shared across the whole system. One is created
// and owned by each THalvern component, which is its QObject parent.
class THV : public QObject {
    Q_OBJECT
    Q_PROPERTY(QSqlDatabase* Sys_ADOConnection READ Sys_ADOConnection WRITE setSys_ADOConnection)

public:
    explicit THV(QObject* owner);

    // The database connection, copied from the component when the settings
    // are loaded; not owned. None (nullptr) until then.
    QSqlDatabase* Sys_ADOConnection() const { return m_adoConnection; }
    void setSys_ADOConnection(QSqlDatabase* connection) { m_adoConnection = connection; }

    // Names offered for a font size, and the size in points of the name at
    // the same position: the two lists always have the same length.
    const QStringList& fontSizeNames() const { return m_fontSizeNames; }
    const QStringList& fontSizePoints() const { return m_fontSizePoints; }

    // "A" for the ACCESS dialect, "S" for the SQL Server dialect.
    const QString& databaseKind() const { return m_databaseKind; }
    void setDatabaseKind(const QString& letter) { m_databaseKind = letter; }

    // The kind letter that a database class selects: "A" for "access" in any
    // letter case, "S" for every other class.
    static QString databaseKindLetterFor(const QString& databaseClass);

    const QString& systemName() const { return m_systemName; }

private:
    QSqlDatabase* m_adoConnection = nullptr;
    QStringList m_fontSizeNames;
    QStringList m_fontSizePoints;
    QString m_databaseKind = QStringLiteral("A");
    QString m_systemName = QStringLiteral("澄岳系统");
};
