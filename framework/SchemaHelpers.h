#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <functional>

// Grows a database schema at run time in one of two SQL dialects: the ACCESS
// dialect (Jet) when the database class is "access" in any letter case, the
// SQL Server dialect for every other class text, the empty one included.
//
// The statements run through SqlCommand, so they also run on SQLite. Statement
// errors become result codes and never escape; the existence tests pass on
// errors of the connection (DatabaseError).
class SchemaHelpers {
public:
    // Column type names.
    static const QString TextType;     // 字符型
    static const QString MemoType;     // 备注型
    static const QString DateType;     // 日期型
    static const QString BooleanType;  // 布尔型
    static const QString NumberType;   // 数字型
    static const QString IntegerType;  // 整数型
    static const QString CurrencyType; // 货币型
    static const QString OleType;      // OLE型

    // hv_DB_CreateTable results.
    enum CreateTableResult { TableCreated = 0, TableAlreadyExists = 1, CreateTableFailed = 2 };
    // hv_DB_AddField results.
    enum AddFieldResult {
        FieldAdded = 0,
        AddFieldTableMissing = 1,
        FieldAlreadyExists = 2,
        AddFieldFailed = 3
    };
    // hv_DB_SetFieldDefault results.
    enum SetFieldDefaultResult {
        DefaultSet = 0,
        SetDefaultTableMissing = 1,
        SetDefaultFieldMissing = 2,
        SetDefaultFailed = 3
    };

    // now: the local date and time that names a SQL Server key constraint.
    explicit SchemaHelpers(std::function<QDateTime()> now);

    // Called with each statement text before it runs, as generated.
    void setStatementObserver(std::function<void(const QString&)> observer) {
        m_observer = std::move(observer);
    }

    static bool isAccessDialect(const QString& databaseClass);

    static bool hv_DB_TableExists(QSqlDatabase* connection, const QString& table);
    static bool hv_DB_FieldExists(QSqlDatabase* connection, const QString& table, const QString& column);
    static QString hv_DB_DateQuote(const QString& databaseClass);
    static QString hv_DB_StrQuote(const QString& databaseClass);
    static QString hv_DB_TrueValue(const QString& databaseClass);
    static QString hv_DB_FalseValue(const QString& databaseClass);
    int hv_DB_CreateTable(QSqlDatabase* connection, const QString& databaseClass, const QString& table,
                          bool withId) const;
    int hv_DB_AddField(QSqlDatabase* connection, const QString& databaseClass, const QString& table,
                       const QString& column, const QString& constraintName, const QString& typeName,
                       int length, const QString& defaultText) const;
    int hv_DB_SetFieldDefault(QSqlDatabase* connection, const QString& databaseClass, const QString& table,
                              const QString& column, const QString& typeName, const QString& defaultText,
                              const QString& rowCondition) const;
    static QString hv_StrReplace(const QString& source, const QString& search, bool replaceAll,
                                 const QString& replacement);

    // The statement texts the operations run. An unknown type name gives an
    // empty text, which the operations answer with their "failed" result.
    static QString createTableStatement(const QString& databaseClass, const QString& table, bool withId,
                                        const QDateTime& now);
    static QString addFieldStatement(const QString& databaseClass, const QString& table,
                                     const QString& column, const QString& constraintName,
                                     const QString& typeName, int length, const QString& defaultText);
    static QString setFieldDefaultStatement(const QString& databaseClass, const QString& table,
                                            const QString& column, const QString& typeName,
                                            const QString& defaultText, const QString& rowCondition);
    // The default that hv_DB_AddField uses for a numeric type: "NULL" and
    // texts that are no number of the type become "0".
    static QString numericDefault(const QString& typeName, const QString& defaultText);

private:
    bool run(QSqlDatabase* connection, const QString& statement) const;

    std::function<QDateTime()> m_now;
    std::function<void(const QString&)> m_observer;
};
