#include "SchemaHelpers.h"
#include "SqlCommand.h"
#include "SqliteTestDatabase.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QDateTime Now(QDate(2024, 3, 5), QTime(14, 7, 9));
} // namespace

class SchemaHelpersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dialectLiterals_data();
    void dialectLiterals();
    void createTableStatement_data();
    void createTableStatement();
    void addFieldStatement_data();
    void addFieldStatement();
    void setFieldDefaultStatement_data();
    void setFieldDefaultStatement();
    void strReplace_data();
    void strReplace();
    void sqliteAdaptation_data();
    void sqliteAdaptation();
    void existenceTests();
    void createAndAddOnSqlite_data();
    void createAndAddOnSqlite();
    void addedColumnsTakeTheirDefaults_data();
    void addedColumnsTakeTheirDefaults();
    void setFieldDefaultOnSqlite_data();
    void setFieldDefaultOnSqlite();
    void statementErrorsBecomeResultCodes();
};

void SchemaHelpersTest::dialectLiterals_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QStringList>("literals"); // date quote, text quote, true, false

    QTest::newRow("access") << u"access"_s << QStringList{u"#"_s, u"\""_s, u"True"_s, u"False"_s};
    QTest::newRow("ACCESS") << u"ACCESS"_s << QStringList{u"#"_s, u"\""_s, u"True"_s, u"False"_s};
    QTest::newRow("AcCeSs") << u"AcCeSs"_s << QStringList{u"#"_s, u"\""_s, u"True"_s, u"False"_s};
    QTest::newRow("mssql") << u"mssql"_s << QStringList{u"'"_s, u"'"_s, u"1"_s, u"0"_s};
    QTest::newRow("empty") << QString() << QStringList{u"'"_s, u"'"_s, u"1"_s, u"0"_s};
    QTest::newRow("access with a blank") << u"access "_s << QStringList{u"'"_s, u"'"_s, u"1"_s, u"0"_s};
}

void SchemaHelpersTest::dialectLiterals() {
    QFETCH(QString, databaseClass);
    QFETCH(QStringList, literals);
    QCOMPARE((QStringList{SchemaHelpers::hv_DB_DateQuote(databaseClass),
                          SchemaHelpers::hv_DB_StrQuote(databaseClass),
                          SchemaHelpers::hv_DB_TrueValue(databaseClass),
                          SchemaHelpers::hv_DB_FalseValue(databaseClass)}),
             literals);
}

void SchemaHelpersTest::createTableStatement_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<bool>("withId");
    QTest::addColumn<QString>("statement");

    QTest::newRow("access with ID") << u"access"_s << true
                                    << u"CREATE TABLE [Staff](ID Counter PRIMARY KEY)"_s;
    QTest::newRow("SQL Server with ID")
        << u"mssql"_s << true
        << u"CREATE TABLE [Staff](ID Bigint IDENTITY NOT NULL CONSTRAINT ID_BK_20240305140709 PRIMARY KEY)"_s;
    QTest::newRow("access without ID") << u"access"_s << false << u"CREATE TABLE [Staff]"_s;
    QTest::newRow("SQL Server without ID") << QString() << false << u"CREATE TABLE [Staff]"_s;
}

void SchemaHelpersTest::createTableStatement() {
    QFETCH(QString, databaseClass);
    QFETCH(bool, withId);
    QFETCH(QString, statement);
    QCOMPARE(SchemaHelpers::createTableStatement(databaseClass, u" Staff "_s, withId, Now), statement);
}

void SchemaHelpersTest::addFieldStatement_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QString>("constraintName");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("statement");

    const QString s = u"mssql"_s;
    const QString a = u"access"_s;
    // Every statement begins "Alter Table [Staff] Add [Remark".
    QTest::newRow("text, SQL Server, NULL, length 0")
        << s << QString() << u"字符型"_s << 0 << u"NULL"_s
        << u"] Varchar(255) CONSTRAINT HV_Staff_Remark Default('')"_s;
    QTest::newRow("text, ACCESS") << a << QString() << u"字符型"_s << 20 << u"x"_s
                                  << u"] Varchar(20) Default \"x\""_s;
    QTest::newRow("text, ACCESS, NULL")
        << a << u"c"_s << u"字符型"_s << -1 << u"NULL"_s << u"] Varchar(255) Default \"\""_s;
    QTest::newRow("memo, SQL Server")
        << s << u"c"_s << u"备注型"_s << 0 << u"NULL"_s << u"] ntext CONSTRAINT HV_c Default('')"_s;
    QTest::newRow("memo, ACCESS") << a << u"c"_s << u"备注型"_s << 0 << u"m"_s << u"] Memo Default \"m\""_s;
    QTest::newRow("date, SQL Server")
        << s << u"c"_s << u"日期型"_s << 0 << u"2024-01-02"_s << u"] DateTime Default('2024-01-02')"_s;
    QTest::newRow("date, SQL Server, NULL")
        << s << u"c"_s << u"日期型"_s << 0 << u"NULL"_s << u"] DateTime"_s;
    QTest::newRow("date, ACCESS") << a << u"c"_s << u"日期型"_s << 0 << u"2024-01-02"_s
                                  << u"] DateTime Default #2024-01-02#"_s;
    QTest::newRow("date, ACCESS, NULL") << a << u"c"_s << u"日期型"_s << 0 << u"NULL"_s << u"] DateTime"_s;
    QTest::newRow("boolean, SQL Server, TRUE")
        << s << u"c"_s << u"布尔型"_s << 0 << u"TRUE"_s << u"] bit CONSTRAINT HV_c Default(1)"_s;
    QTest::newRow("boolean, SQL Server, 1")
        << s << u"c"_s << u"布尔型"_s << 0 << u"1"_s << u"] bit CONSTRAINT HV_c Default(1)"_s;
    QTest::newRow("boolean, SQL Server, lower-case true")
        << s << u"c"_s << u"布尔型"_s << 0 << u"true"_s << u"] bit CONSTRAINT HV_c Default(0)"_s;
    QTest::newRow("boolean, ACCESS, lower-case true")
        << a << u"c"_s << u"布尔型"_s << 0 << u"true"_s << u"] logical Default true"_s;
    QTest::newRow("boolean, ACCESS, 0")
        << a << u"c"_s << u"布尔型"_s << 0 << u"0"_s << u"] logical Default 0"_s;
    QTest::newRow("boolean, ACCESS, NULL")
        << a << u"c"_s << u"布尔型"_s << 0 << u"NULL"_s << u"] logical Default False"_s;
    QTest::newRow("boolean, ACCESS, yes")
        << a << u"c"_s << u"布尔型"_s << 0 << u"yes"_s << u"] logical Default False"_s;
    QTest::newRow("OLE, SQL Server")
        << s << QString() << u"OLE型"_s << 0 << u"NULL"_s
        << u"PATH] Varchar(255) CONSTRAINT HV_Staff_RemarkPATH Default(''),[RemarkOLE] Image"_s;
    QTest::newRow("OLE, ACCESS") << a << QString() << u"OLE型"_s << 0 << u"NULL"_s
                                 << u"PATH] Varchar(255) Default \"\",[RemarkOLE] Image"_s;
    QTest::newRow("number, SQL Server")
        << s << u"c"_s << u"数字型"_s << 0 << u"1.5"_s << u"] Float CONSTRAINT HV_c Default(1.5)"_s;
    QTest::newRow("number, ACCESS, NULL")
        << a << u"c"_s << u"数字型"_s << 0 << u"NULL"_s << u"] Double Default 0"_s;
    QTest::newRow("number, ACCESS, not a number")
        << a << u"c"_s << u"数字型"_s << 0 << u"1,5"_s << u"] Double Default 0"_s;
    QTest::newRow("integer, SQL Server, abc")
        << s << u"c"_s << u"整数型"_s << 4 << u"abc"_s << u"] Integer CONSTRAINT HV_c Default(0)"_s;
    QTest::newRow("integer, ACCESS, 1.5")
        << a << u"c"_s << u"整数型"_s << 4 << u"1.5"_s << u"] Integer Default 0"_s;
    QTest::newRow("integer, ACCESS, empty")
        << a << u"c"_s << u"整数型"_s << 4 << QString() << u"] Integer Default 0"_s;
    QTest::newRow("currency, SQL Server")
        << s << u"c"_s << u"货币型"_s << 0 << u"-2"_s << u"] Money CONSTRAINT HV_c Default(-2)"_s;
    QTest::newRow("currency, ACCESS")
        << a << u"c"_s << u"货币型"_s << 0 << u"3.25"_s << u"] Money Default 3.25"_s;
    QTest::newRow("constraint name with parentheses")
        << s << u"a(b)"_s << u"整数型"_s << 0 << u"1"_s << u"] Integer CONSTRAINT HV_a_b_ Default(1)"_s;
    QTest::newRow("constraint name trimmed")
        << s << u" k "_s << u"整数型"_s << 0 << u"1"_s << u"] Integer CONSTRAINT HV_ k Default(1)"_s;
}

void SchemaHelpersTest::addFieldStatement() {
    QFETCH(QString, databaseClass);
    QFETCH(QString, constraintName);
    QFETCH(QString, type);
    QFETCH(int, length);
    QFETCH(QString, defaultText);
    QFETCH(QString, statement);
    QCOMPARE(SchemaHelpers::addFieldStatement(databaseClass, u" Staff"_s, u"Remark "_s, constraintName, type,
                                              length, defaultText),
             u"Alter Table [Staff] Add [Remark"_s + statement);
}

void SchemaHelpersTest::setFieldDefaultStatement_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("statement");

    const QString s = u"mssql"_s;
    const QString a = u"access"_s;
    // Every statement begins "Update [Staff] set [Remark".
    QTest::newRow("text, SQL Server")
        << s << u"字符型"_s << u"x"_s << QString() << u"]='x' Where ISNULL(Remark,'NULL')='NULL'"_s;
    QTest::newRow("memo, ACCESS, NULL")
        << a << u"备注型"_s << u"NULL"_s << QString() << u"]=\"\" Where ISNULL(Remark)"_s;
    QTest::newRow("number, SQL Server, NULL")
        << s << u"数字型"_s << u"NULL"_s << QString() << u"]=0 Where ISNULL(Remark,-88888)=-88888"_s;
    QTest::newRow("integer, ACCESS") << a << u"整数型"_s << u"7"_s << QString()
                                     << u"]=7 Where ISNULL(Remark)"_s;
    QTest::newRow("currency, SQL Server")
        << s << u"货币型"_s << u"2.5"_s << QString() << u"]=2.5 Where ISNULL(Remark,-88888)=-88888"_s;
    QTest::newRow("date, SQL Server") << s << u"日期型"_s << u"2024-01-02"_s << QString()
                                      << u"]='2024-01-02' Where ISNULL(Remark,'2024-01-02')='2024-01-02'"_s;
    QTest::newRow("date, ACCESS, NULL stays")
        << a << u"日期型"_s << u"NULL"_s << QString() << u"]=#NULL# Where ISNULL(Remark)"_s;
    QTest::newRow("boolean, SQL Server, NULL")
        << s << u"布尔型"_s << u"NULL"_s << QString() << u"]=0 Where ISNULL(Remark,0)=0"_s;
    QTest::newRow("boolean, ACCESS, NULL")
        << a << u"布尔型"_s << u"NULL"_s << QString() << u"]=false Where ISNULL(Remark)"_s;
    QTest::newRow("boolean, ACCESS, True")
        << a << u"布尔型"_s << u"True"_s << QString() << u"]=True Where ISNULL(Remark)"_s;
    QTest::newRow("OLE, SQL Server") << s << u"OLE型"_s << u"NULL"_s << QString()
                                     << u"PATH]='' Where ISNULL(RemarkPATH,'NULL')='NULL'"_s;
    QTest::newRow("OLE, ACCESS") << a << u"OLE型"_s << u"p"_s << QString()
                                 << u"PATH]=\"p\" Where ISNULL(RemarkPATH)"_s;
    QTest::newRow("row condition kept untrimmed")
        << s << u"整数型"_s << u"1"_s << u" ID > 3 "_s << u"]=1 Where  ID > 3 "_s;
    QTest::newRow("blank row condition")
        << a << u"整数型"_s << u"1"_s << u"   "_s << u"]=1 Where ISNULL(Remark)"_s;
}

void SchemaHelpersTest::setFieldDefaultStatement() {
    QFETCH(QString, databaseClass);
    QFETCH(QString, type);
    QFETCH(QString, defaultText);
    QFETCH(QString, condition);
    QFETCH(QString, statement);
    QCOMPARE(SchemaHelpers::setFieldDefaultStatement(databaseClass, u"Staff "_s, u" Remark"_s, type,
                                                     defaultText, condition),
             u"Update [Staff] set [Remark"_s + statement);
}

void SchemaHelpersTest::strReplace_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");

    QTest::newRow("first only") << u"a(b(c"_s << u"("_s << false << u"_"_s << u"a_b(c"_s;
    QTest::newRow("all") << u"a(b(c"_s << u"("_s << true << u"_"_s << u"a_b_c"_s;
    QTest::newRow("case counts") << u"aAa"_s << u"A"_s << true << u"x"_s << u"axa"_s;
    QTest::newRow("replaced text not rescanned") << u"aaa"_s << u"a"_s << true << u"aa"_s << u"aaaaaa"_s;
    QTest::newRow("not found") << u"abc"_s << u"x"_s << true << u"y"_s << u"abc"_s;
    QTest::newRow("empty search") << u"abc"_s << QString() << true << u"y"_s << u"abc"_s;
    QTest::newRow("search equals replacement") << u"abc"_s << u"b"_s << true << u"b"_s << u"abc"_s;
}

void SchemaHelpersTest::strReplace() {
    QFETCH(QString, source);
    QFETCH(QString, search);
    QFETCH(bool, all);
    QFETCH(QString, replacement);
    QFETCH(QString, result);
    QCOMPARE(SchemaHelpers::hv_StrReplace(source, search, all, replacement), result);
}

void SchemaHelpersTest::sqliteAdaptation_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("sqlite");

    QTest::newRow("ACCESS key") << u"CREATE TABLE [T](ID Counter PRIMARY KEY)"_s
                                << QStringList{u"CREATE TABLE [T](ID INTEGER PRIMARY KEY)"_s};
    QTest::newRow("SQL Server key")
        << u"CREATE TABLE [系统参数]([ID] Bigint IDENTITY NOT NULL CONSTRAINT [HV_系统参数_ID] PRIMARY KEY)"_s
        << QStringList{
               u"CREATE TABLE [系统参数]([ID] INTEGER NOT NULL CONSTRAINT [HV_系统参数_ID] PRIMARY KEY)"_s};
    QTest::newRow("ACCESS literals") << u"Update [T] set [C]=\"a'b\"\"c\" Where [D]=#2024-01-02#"_s
                                     << QStringList{u"Update [T] set [C]='a''b\"c' Where [D]='2024-01-02'"_s};
    QTest::newRow("ISNULL with one argument") << u"Update [T] set [C]=0 Where ISNULL(C)"_s
                                              << QStringList{u"Update [T] set [C]=0 Where (C IS NULL)"_s};
    QTest::newRow("ISNULL with two arguments")
        << u"Update [T] set [C]='' Where ISNULL(C,'N,(')='N,('"_s
        << QStringList{u"Update [T] set [C]='' Where IFNULL(C,'N,(')='N,('"_s};
    QTest::newRow("names and texts untouched")
        << u"Insert Into [ISNULL(x)]([a]) Values('ISNULL(y)')"_s
        << QStringList{u"Insert Into [ISNULL(x)]([a]) Values('ISNULL(y)')"_s};
    QTest::newRow("two columns in one add")
        << u"Alter Table [T] Add [PPATH] Varchar(255) CONSTRAINT HV_T_PPATH Default(''),[POLE] Image"_s
        << QStringList{u"Alter Table [T] Add [PPATH] Varchar(255) CONSTRAINT HV_T_PPATH Default('')"_s,
                       u"Alter Table [T] Add [POLE] Image"_s};
    QTest::newRow("one column") << u"Alter Table [T] Add [C] Varchar(9) Default \"a,b\""_s
                                << QStringList{u"Alter Table [T] Add [C] Varchar(9) Default 'a,b'"_s};
}

void SchemaHelpersTest::sqliteAdaptation() {
    QFETCH(QString, statement);
    QFETCH(QStringList, sqlite);
    QCOMPARE(SqlCommand::sqliteStatements(statement), sqlite);
}

void SchemaHelpersTest::existenceTests() {
    SqliteTestDatabase db;
    QVERIFY(db.run(u"CREATE TABLE Staff(Name text, \"[Staff].[Code]\" text, \"[Bare]\" int)"_s));
    QSqlDatabase* c = &db.connection;
    QVERIFY(SchemaHelpers::hv_DB_TableExists(c, u"sTAFF"_s));
    QVERIFY(!SchemaHelpers::hv_DB_TableExists(c, u"Staff "_s)); // table names are not trimmed
    QVERIFY(!SchemaHelpers::hv_DB_TableExists(c, QString()));
    QVERIFY(!SchemaHelpers::hv_DB_TableExists(nullptr, u"Staff"_s));
    QVERIFY(SchemaHelpers::hv_DB_FieldExists(c, u"Staff"_s, u" NAME "_s));
    QVERIFY(SchemaHelpers::hv_DB_FieldExists(c, u"Staff"_s, u"code"_s)); // [Staff].[Code] is reduced to Code
    QVERIFY(SchemaHelpers::hv_DB_FieldExists(c, u"Staff"_s, u"Bare"_s));
    QVERIFY(!SchemaHelpers::hv_DB_FieldExists(c, u"Staff"_s, u"Staff].[Code"_s));
    QVERIFY(!SchemaHelpers::hv_DB_FieldExists(c, u"Missing"_s, u"Name"_s));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, SchemaHelpers::hv_DB_FieldExists(nullptr, u"Staff"_s, u"Name"_s));
}

void SchemaHelpersTest::createAndAddOnSqlite_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::newRow("ACCESS") << u"Access"_s;
    QTest::newRow("SQL Server") << u"mssql"_s;
}

// Every operation for real, in either dialect, on SQLite.
void SchemaHelpersTest::createAndAddOnSqlite() {
    QFETCH(QString, databaseClass);
    SqliteTestDatabase db;
    SchemaHelpers schema([] { return Now; });
    QStringList ran;
    schema.setStatementObserver([&](const QString& statement) { ran << statement; });
    QSqlDatabase* c = &db.connection;

    QCOMPARE(schema.hv_DB_CreateTable(c, databaseClass, u"Staff"_s, true), int(SchemaHelpers::TableCreated));
    QCOMPARE(schema.hv_DB_CreateTable(c, databaseClass, u"STAFF"_s, true),
             int(SchemaHelpers::TableAlreadyExists));
    QCOMPARE(schema.hv_DB_CreateTable(c, databaseClass, u"Plain"_s, false),
             int(SchemaHelpers::CreateTableFailed));
    const QStringList types = {u"字符型"_s, u"备注型"_s, u"日期型"_s, u"布尔型"_s,
                               u"数字型"_s, u"整数型"_s, u"货币型"_s, u"OLE型"_s};
    for (const QString& type : types)
        QCOMPARE(
            schema.hv_DB_AddField(c, databaseClass, u"Staff"_s, u"C"_s + type, QString(), type, 0, u"NULL"_s),
            int(SchemaHelpers::FieldAdded));
    QVERIFY(SchemaHelpers::hv_DB_FieldExists(c, u"Staff"_s, u"COLE型PATH"_s));
    QVERIFY(SchemaHelpers::hv_DB_FieldExists(c, u"Staff"_s, u"COLE型OLE"_s));
    QCOMPARE(
        schema.hv_DB_AddField(c, databaseClass, u"Staff"_s, u"COLE型"_s, QString(), u"OLE型"_s, 0, u"NULL"_s),
        int(SchemaHelpers::FieldAlreadyExists));
    QCOMPARE(
        schema.hv_DB_AddField(c, databaseClass, u"Staff"_s, u"c字符型"_s, QString(), u"字符型"_s, 0, u"x"_s),
        int(SchemaHelpers::FieldAlreadyExists));
    QCOMPARE(schema.hv_DB_AddField(c, databaseClass, u"Nowhere"_s, u"C"_s, QString(), u"字符型"_s, 0, u"x"_s),
             int(SchemaHelpers::AddFieldTableMissing));
    QCOMPARE(schema.hv_DB_AddField(c, databaseClass, u"Staff"_s, u"New"_s, QString(), u"文本型"_s, 0, u"x"_s),
             int(SchemaHelpers::AddFieldFailed));
    // The identity key numbers rows by itself.
    QVERIFY(db.run(u"INSERT INTO Staff(C整数型) VALUES (5)"_s));
    QVERIFY(db.run(u"INSERT INTO Staff(C整数型) VALUES (6)"_s));
    QCOMPARE(db.column(u"SELECT ID FROM Staff ORDER BY ID"_s), u"1|2"_s);
    // Nothing ran for the answers found without a statement.
    QCOMPARE(ran.filter(u"Nowhere"_s), QStringList());
    QCOMPARE(ran.filter(u"[New"_s), QStringList());
}

void SchemaHelpersTest::addedColumnsTakeTheirDefaults_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("value"); // in the row that existed before the column and in a new row

    QTest::newRow("ACCESS text") << u"access"_s << u"字符型"_s << u"ab"_s << u"ab"_s;
    QTest::newRow("SQL Server text, NULL") << u"mssql"_s << u"字符型"_s << u"NULL"_s << QString();
    QTest::newRow("ACCESS integer abc") << u"access"_s << u"整数型"_s << u"abc"_s << u"0"_s;
    QTest::newRow("SQL Server integer abc") << u"mssql"_s << u"整数型"_s << u"abc"_s << u"0"_s;
    QTest::newRow("ACCESS boolean") << u"access"_s << u"布尔型"_s << u"TRUE"_s << u"1"_s;
    QTest::newRow("SQL Server boolean") << u"mssql"_s << u"布尔型"_s << u"1"_s << u"1"_s;
    QTest::newRow("ACCESS date") << u"access"_s << u"日期型"_s << u"2024-01-02"_s << u"2024-01-02"_s;
    QTest::newRow("ACCESS currency") << u"access"_s << u"货币型"_s << u"2.5"_s << u"2.5"_s;
}

void SchemaHelpersTest::addedColumnsTakeTheirDefaults() {
    QFETCH(QString, databaseClass);
    QFETCH(QString, type);
    QFETCH(QString, defaultText);
    QFETCH(QString, value);
    SqliteTestDatabase db;
    SchemaHelpers schema([] { return Now; });
    QCOMPARE(schema.hv_DB_CreateTable(&db.connection, databaseClass, u"T"_s, true), 0);
    QVERIFY(db.run(u"INSERT INTO T(ID) VALUES (NULL)"_s));
    QCOMPARE(
        schema.hv_DB_AddField(&db.connection, databaseClass, u"T"_s, u"C"_s, QString(), type, 0, defaultText),
        0);
    QVERIFY(db.run(u"INSERT INTO T(ID) VALUES (NULL)"_s));
    QCOMPARE(db.column(u"SELECT C FROM T ORDER BY ID"_s), value + u'|' + value);
}

void SchemaHelpersTest::setFieldDefaultOnSqlite_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("values"); // of column C in rows 1 (null), 2 (set) and 3 (null)

    QTest::newRow("ACCESS integer") << u"access"_s << u"整数型"_s << u"7"_s << QString() << u"7|1|7"_s;
    QTest::newRow("SQL Server integer NULL")
        << u"mssql"_s << u"整数型"_s << u"NULL"_s << QString() << u"0|1|0"_s;
    QTest::newRow("ACCESS text") << u"access"_s << u"字符型"_s << u"z"_s << QString() << u"z|1|z"_s;
    QTest::newRow("SQL Server text") << u"mssql"_s << u"字符型"_s << u"z"_s << QString() << u"z|1|z"_s;
    QTest::newRow("row condition") << u"access"_s << u"整数型"_s << u"9"_s << u"ID >= 2"_s << u"<null>|9|9"_s;
}

void SchemaHelpersTest::setFieldDefaultOnSqlite() {
    QFETCH(QString, databaseClass);
    QFETCH(QString, type);
    QFETCH(QString, defaultText);
    QFETCH(QString, condition);
    QFETCH(QString, values);
    SqliteTestDatabase db;
    SchemaHelpers schema([] { return Now; });
    QVERIFY(db.run(u"CREATE TABLE T(ID INTEGER PRIMARY KEY, C)"_s));
    QVERIFY(db.run(u"INSERT INTO T(C) VALUES (NULL), (1), (NULL)"_s));
    QCOMPARE(schema.hv_DB_SetFieldDefault(&db.connection, databaseClass, u"T"_s, u"C"_s, type, defaultText,
                                          condition),
             int(SchemaHelpers::DefaultSet));
    QCOMPARE(db.column(u"SELECT C FROM T ORDER BY ID"_s), values);
}

void SchemaHelpersTest::statementErrorsBecomeResultCodes() {
    SqliteTestDatabase db;
    SchemaHelpers schema([] { return Now; });
    QSqlDatabase* c = &db.connection;
    QVERIFY(db.run(u"CREATE TABLE T(ID INTEGER PRIMARY KEY, C text)"_s));
    // A delimiter inside a default text breaks the statement.
    QCOMPARE(schema.hv_DB_AddField(c, u"mssql"_s, u"T"_s, u"D"_s, QString(), u"字符型"_s, 9, u"it's"_s),
             int(SchemaHelpers::AddFieldFailed));
    QCOMPARE(schema.hv_DB_SetFieldDefault(c, u"mssql"_s, u"T"_s, u"C"_s, u"字符型"_s, u"it's"_s, QString()),
             int(SchemaHelpers::SetDefaultFailed));
    QCOMPARE(schema.hv_DB_SetFieldDefault(c, u"access"_s, u"T"_s, u"C"_s, u"数值型"_s, u"1"_s, QString()),
             int(SchemaHelpers::SetDefaultFailed));
    QCOMPARE(schema.hv_DB_SetFieldDefault(c, u"access"_s, u"T"_s, u"X"_s, u"整数型"_s, u"1"_s, QString()),
             int(SchemaHelpers::SetDefaultFieldMissing));
    QCOMPARE(schema.hv_DB_SetFieldDefault(c, u"access"_s, u"U"_s, u"C"_s, u"整数型"_s, u"1"_s, QString()),
             int(SchemaHelpers::SetDefaultTableMissing));
    // A closed connection: the existence test passes its error on.
    db.connection.close();
    QVERIFY_THROWS_EXCEPTION(DatabaseError, schema.hv_DB_CreateTable(c, u"access"_s, u"T"_s, true));
}

QTEST_GUILESS_MAIN(SchemaHelpersTest)
#include "SchemaHelpersTest.moc"
