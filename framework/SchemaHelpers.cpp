#include "SchemaHelpers.h"

#include "IntegerText.h"
#include "SqlCommand.h"

#include <QSqlRecord>
#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

const QString SchemaHelpers::TextType = u"字符型"_s;
const QString SchemaHelpers::MemoType = u"备注型"_s;
const QString SchemaHelpers::DateType = u"日期型"_s;
const QString SchemaHelpers::BooleanType = u"布尔型"_s;
const QString SchemaHelpers::NumberType = u"数字型"_s;
const QString SchemaHelpers::IntegerType = u"整数型"_s;
const QString SchemaHelpers::CurrencyType = u"货币型"_s;
const QString SchemaHelpers::OleType = u"OLE型"_s;

namespace {

bool isNumericType(const QString& type) {
    return type == SchemaHelpers::NumberType || type == SchemaHelpers::IntegerType ||
           type == SchemaHelpers::CurrencyType;
}

// A bracketed column name gives the text inside the brackets; one qualified
// by a table ("[T.C]") gives its column part.
QString reducedColumnName(QString name) {
    if (name.startsWith(u'[') && name.endsWith(u']')) {
        const qsizetype dot = name.indexOf(u'.');
        if (dot >= 0)
            name = name.mid(dot + 1);
        name = name.mid(1, name.size() - 2);
    }
    return name;
}

} // namespace

SchemaHelpers::SchemaHelpers(std::function<QDateTime()> now) : m_now(std::move(now)) {}

bool SchemaHelpers::isAccessDialect(const QString& databaseClass) {
    return databaseClass.compare(u"access", Qt::CaseInsensitive) == 0;
}

bool SchemaHelpers::hv_DB_TableExists(QSqlDatabase* connection, const QString& table) {
    if (!connection || table.isEmpty())
        return false;
    const QString wanted = table.toLower();
    for (const QString& name : SqlCommand::openConnection(connection).tables(QSql::Tables)) {
        if (name.toLower() == wanted)
            return true;
    }
    return false;
}

bool SchemaHelpers::hv_DB_FieldExists(QSqlDatabase* connection, const QString& table, const QString& column) {
    const QSqlRecord record = SqlCommand::openConnection(connection).record(table);
    const QString wanted = column.trimmed().toLower();
    for (int i = 0; i < record.count(); ++i) {
        if (reducedColumnName(record.fieldName(i)).trimmed().toLower() == wanted)
            return true;
    }
    return false;
}

QString SchemaHelpers::hv_DB_DateQuote(const QString& databaseClass) {
    return isAccessDialect(databaseClass) ? u"#"_s : u"'"_s;
}

QString SchemaHelpers::hv_DB_StrQuote(const QString& databaseClass) {
    return isAccessDialect(databaseClass) ? u"\""_s : u"'"_s;
}

QString SchemaHelpers::hv_DB_TrueValue(const QString& databaseClass) {
    return isAccessDialect(databaseClass) ? u"True"_s : u"1"_s;
}

QString SchemaHelpers::hv_DB_FalseValue(const QString& databaseClass) {
    return isAccessDialect(databaseClass) ? u"False"_s : u"0"_s;
}

QString SchemaHelpers::hv_StrReplace(const QString& source, const QString& search, bool replaceAll,
                                     const QString& replacement) {
    if (search == replacement || search.isEmpty())
        return source;
    const qsizetype first = source.indexOf(search);
    if (first < 0)
        return source;
    if (!replaceAll)
        return QString(source).replace(first, search.size(), replacement);
    // Left to right, never looking again inside text already replaced.
    return QString(source).replace(search, replacement);
}

QString SchemaHelpers::numericDefault(const QString& typeName, const QString& defaultText) {
    if (defaultText == u"NULL")
        return u"0"_s;
    if (typeName == IntegerType) {
        try {
            integerFromText(defaultText);
        } catch (const ConversionError&) {
            return u"0"_s;
        }
        return defaultText;
    }
    bool ok = false;
    const double value = defaultText.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? defaultText : u"0"_s;
}

QString SchemaHelpers::createTableStatement(const QString& databaseClass, const QString& table, bool withId,
                                            const QDateTime& now) {
    const QString head = u"CREATE TABLE ["_s + table.trimmed() + u']';
    if (!withId)
        return head;
    if (isAccessDialect(databaseClass))
        return head + u"(ID Counter PRIMARY KEY)"_s;
    return head + u"(ID Bigint IDENTITY NOT NULL CONSTRAINT ID_BK_"_s + now.toString(u"yyyyMMddhhmmss"_s) +
           u" PRIMARY KEY)"_s;
}

QString SchemaHelpers::addFieldStatement(const QString& databaseClass, const QString& table,
                                         const QString& column, const QString& constraintName,
                                         const QString& typeName, int length, const QString& defaultText) {
    const bool access = isAccessDialect(databaseClass);
    const QString t = table.trimmed();
    const QString c = column.trimmed();
    const QString q = hv_DB_StrQuote(databaseClass);
    const QString d = hv_DB_DateQuote(databaseClass);
    const QString k = hv_StrReplace(hv_StrReplace(constraintName.isEmpty() ? u"HV_"_s + t + u'_' + c
                                                                           : u"HV_"_s + constraintName,
                                                  u"("_s, true, u"_"_s),
                                    u")"_s, true, u"_"_s)
                          .trimmed();
    const QString head = u"Alter Table ["_s + t + u"] Add ["_s + c;
    const QString text = defaultText == u"NULL" ? QString() : defaultText;

    if (typeName == TextType) {
        const QString n = QString::number(length < 1 ? 255 : length);
        return access ? head + u"] Varchar("_s + n + u") Default "_s + q + text + q
                      : head + u"] Varchar("_s + n + u") CONSTRAINT "_s + k + u" Default("_s + q + text + q +
                            u')';
    }
    if (typeName == MemoType) {
        return access ? head + u"] Memo Default "_s + q + text + q
                      : head + u"] ntext CONSTRAINT "_s + k + u" Default("_s + q + text + q + u')';
    }
    if (typeName == DateType) {
        QString statement = head + u"] DateTime"_s;
        if (defaultText != u"NULL")
            statement +=
                access ? u" Default "_s + d + defaultText + d : u" Default("_s + d + defaultText + d + u')';
        return statement;
    }
    if (typeName == BooleanType) {
        if (!access) {
            const bool on = defaultText == u"TRUE" || defaultText == u"1";
            return head + u"] bit CONSTRAINT "_s + k + (on ? u" Default(1)"_s : u" Default(0)"_s);
        }
        const QString upper = defaultText.toUpper();
        const bool literal = defaultText != u"NULL" &&
                             (upper == u"TRUE" || upper == u"FALSE" || upper == u"0" || upper == u"1");
        return head + u"] logical"_s + (literal ? u" Default "_s + defaultText : u" Default False"_s);
    }
    if (typeName == OleType) {
        return access ? head + u"PATH] Varchar(255) Default \"\",["_s + c + u"OLE] Image"_s
                      : head + u"PATH] Varchar(255) CONSTRAINT "_s + k + u"PATH Default("_s + q + q +
                            u"),["_s + c + u"OLE] Image"_s;
    }
    if (isNumericType(typeName)) {
        const QString sqlType = typeName == NumberType    ? (access ? u"Double"_s : u"Float"_s)
                                : typeName == IntegerType ? u"Integer"_s
                                                          : u"Money"_s;
        const QString value = numericDefault(typeName, defaultText);
        return access ? head + u"] "_s + sqlType + u" Default "_s + value
                      : head + u"] "_s + sqlType + u" CONSTRAINT "_s + k + u" Default("_s + value + u')';
    }
    return QString();
}

QString SchemaHelpers::setFieldDefaultStatement(const QString& databaseClass, const QString& table,
                                                const QString& column, const QString& typeName,
                                                const QString& defaultText, const QString& rowCondition) {
    const bool access = isAccessDialect(databaseClass);
    const QString c = column.trimmed();
    const QString q = hv_DB_StrQuote(databaseClass);
    const QString d = hv_DB_DateQuote(databaseClass);
    const bool isNull = defaultText == u"NULL";
    QString set;
    QString condition;
    if (typeName == TextType || typeName == MemoType) {
        const QString value = isNull ? QString() : defaultText;
        set = u"]="_s + q + value + q;
        condition = access ? u" Where ISNULL("_s + c + u')'
                           : u" Where ISNULL("_s + c + u',' + q + u"NULL"_s + q + u")="_s + q + u"NULL"_s + q;
    } else if (isNumericType(typeName)) {
        const QString value = isNull ? u"0"_s : defaultText;
        set = u"]="_s + value;
        condition = access ? u" Where ISNULL("_s + c + u')' : u" Where ISNULL("_s + c + u",-88888)=-88888"_s;
    } else if (typeName == DateType) {
        set = u"]="_s + d + defaultText + d;
        condition =
            access ? u" Where ISNULL("_s + c + u')'
                   : u" Where ISNULL("_s + c + u',' + d + defaultText + d + u")="_s + d + defaultText + d;
    } else if (typeName == BooleanType) {
        const QString value = isNull ? (access ? u"false"_s : u"0"_s) : defaultText;
        set = u"]="_s + value;
        condition = access ? u" Where ISNULL("_s + c + u')'
                           : u" Where ISNULL("_s + c + u',' + value + u")="_s + value;
    } else if (typeName == OleType) {
        const QString value = isNull ? QString() : defaultText;
        set = u"PATH]="_s + q + value + q;
        condition =
            access ? u" Where ISNULL("_s + c + u"PATH)"_s
                   : u" Where ISNULL("_s + c + u"PATH,"_s + q + u"NULL"_s + q + u")="_s + q + u"NULL"_s + q;
    } else {
        return QString();
    }
    if (!rowCondition.trimmed().isEmpty())
        condition = u" Where "_s + rowCondition;
    return u"Update ["_s + table.trimmed() + u"] set ["_s + c + set + condition;
}

bool SchemaHelpers::run(QSqlDatabase* connection, const QString& statement) const {
    if (statement.isEmpty())
        return false;
    if (m_observer)
        m_observer(statement);
    try {
        SqlCommand::execute(connection, statement);
    } catch (const DatabaseError&) {
        return false;
    }
    return true;
}

int SchemaHelpers::hv_DB_CreateTable(QSqlDatabase* connection, const QString& databaseClass,
                                     const QString& table, bool withId) const {
    if (hv_DB_TableExists(connection, table))
        return TableAlreadyExists;
    return run(connection, createTableStatement(databaseClass, table, withId, m_now())) ? TableCreated
                                                                                        : CreateTableFailed;
}

int SchemaHelpers::hv_DB_AddField(QSqlDatabase* connection, const QString& databaseClass,
                                  const QString& table, const QString& column, const QString& constraintName,
                                  const QString& typeName, int length, const QString& defaultText) const {
    if (!hv_DB_TableExists(connection, table))
        return AddFieldTableMissing;
    const QString existing = typeName == OleType ? column.trimmed() + u"PATH"_s : column;
    if (hv_DB_FieldExists(connection, table, existing))
        return FieldAlreadyExists;
    const QString value = isNumericType(typeName) ? numericDefault(typeName, defaultText) : defaultText;
    if (!run(connection,
             addFieldStatement(databaseClass, table, column, constraintName, typeName, length, defaultText)))
        return AddFieldFailed;
    // Rows that existed before the column get the default too; whether that
    // works does not change the result.
    try {
        hv_DB_SetFieldDefault(connection, databaseClass, table, column, typeName, value, QString());
    } catch (const DatabaseError&) {
    }
    return FieldAdded;
}

int SchemaHelpers::hv_DB_SetFieldDefault(QSqlDatabase* connection, const QString& databaseClass,
                                         const QString& table, const QString& column, const QString& typeName,
                                         const QString& defaultText, const QString& rowCondition) const {
    if (!hv_DB_TableExists(connection, table))
        return SetDefaultTableMissing;
    const QString existing = typeName == OleType ? column.trimmed() + u"PATH"_s : column;
    if (!hv_DB_FieldExists(connection, table, existing))
        return SetDefaultFieldMissing;
    return run(connection,
               setFieldDefaultStatement(databaseClass, table, column, typeName, defaultText, rowCondition))
               ? DefaultSet
               : SetDefaultFailed;
}
