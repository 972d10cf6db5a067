#include "TestFiles.h"
#include "FakeHostSystem.h"
#include "SqlCommand.h"
#include "SqliteTestDatabase.h"
#include "THV.h"
#include "THalvern.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace TestFiles;

namespace {

// A component on an empty settings file and a private SQLite database.
struct Fixture {
    QTemporaryDir dir;
    FakeHostSystem host;
    SqliteTestDatabase db;
    THalvern component{nullptr, {}};
    QStringList ran;

    explicit Fixture(const QString& databaseClass) {
        const QString path = dir.filePath(u"host.ini"_s);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.close();
        component.setHostSystem(&host);
        component.setIni_IniFilePath(path);
        component.setSys_AdoConnection(&db.connection);
        component.setSys_DatabaseClass(databaseClass);
        component.setStatementObserver([this](const QString& statement) { ran << statement; });
    }
};

QString mailText(const THalvern::MailSettings& m) {
    return QStringList{m.senderAddress,
                       m.accountName,
                       m.loginPassword,
                       m.displayName,
                       m.smtpServer,
                       m.lastSendDate,
                       QString::number(m.port),
                       m.useSslTls ? u"ssl"_s : u"-"_s,
                       m.loginRequired ? u"login"_s : u"-"_s}
        .join(u'|');
}

QString smsText(const THalvern::SmsSettings& s) {
    return QStringList{s.gatewayAddresses, s.userName,  s.password,      s.proxyMode,
                       s.proxyHost,        s.proxyPort, s.proxyUserName, s.proxyPassword}
        .join(u'|');
}

const QString DefaultMail =
    u"service@quorvand.example|service@quorvand.example|quorvand|澄岳时代|smtp.quorvand.example||25|-|-"_s;
const QString DefaultSms =
    u"sms1.quorvand.example:9900;sms2.quorvand.example:9900;sms3.quorvand.example:9900;"
    "sms4.quorvand.example:9900|quorvand|quorvand|不使用代理|192.168.0.1|1080||"_s;

} // namespace

class ParameterTablesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstLoadCreatesTablesAndDefaultRows_data();
    void firstLoadCreatesTablesAndDefaultRows();
    void defaultRowStatements_data();
    void defaultRowStatements();
    void olderMailTableIsUpgraded();
    void systemRowsBeforeTheColumnShowLoginName();
    void nullRules();
    void errorsOfTheTablesReachTheHostOnlyFromTheFullLoading();
    void systemParameterFallsBackToTrue();
};

void ParameterTablesTest::firstLoadCreatesTablesAndDefaultRows_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QString>("kind");
    QTest::newRow("ACCESS") << u"ACCESS"_s << u"A"_s;
    QTest::newRow("SQL Server") << u"mssql"_s << u"S"_s;
}

void ParameterTablesTest::firstLoadCreatesTablesAndDefaultRows() {
    QFETCH(QString, databaseClass);
    QFETCH(QString, kind);
    Fixture f(databaseClass);
    f.component.hv_Sys_GetDefineParam();
    QCOMPARE(f.component.hv()->databaseKind(), kind);
    QCOMPARE(f.component.hv()->Sys_ADOConnection(), &f.db.connection);
    QCOMPARE(f.db.column(u"SELECT COUNT(*) FROM [邮件参数]"_s), u"1"_s);
    QCOMPARE(f.db.column(u"SELECT COUNT(*) FROM [短信参数]"_s), u"1"_s);
    QCOMPARE(f.db.column(u"SELECT COUNT(*) FROM [系统参数]"_s), u"0"_s);
    QCOMPARE(f.db.column(u"SELECT [邮件中采用的名称] FROM [邮件参数]"_s), u"澄岳时代"_s);
    QCOMPARE(mailText(f.component.mailSettings()), DefaultMail);
    QCOMPARE(smsText(f.component.smsSettings()), DefaultSms);
    QVERIFY(f.component.showLoginName());
    // A second full load finds every table and adds nothing.
    f.ran.clear();
    f.component.hv_Sys_GetDefineParam();
    QCOMPARE(f.ran.filter(u"Insert"_s), QStringList());
    QCOMPARE(f.db.column(u"SELECT COUNT(*) FROM [邮件参数]"_s), u"1"_s);
    QCOMPARE(f.db.column(u"SELECT COUNT(*) FROM [短信参数]"_s), u"1"_s);
}

void ParameterTablesTest::defaultRowStatements_data() {
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QString>("mailInsert");
    QTest::addColumn<QString>("smsInsert");

    QTest::newRow("ACCESS")
        << u"access"_s
        << u"Insert Into "
           u"[邮件参数]([发件电子邮箱],[邮箱帐户名称],[邮箱登录密码],[邮件中采用的名称],[SMTP服务器],["
           u"邮件显示名称],"
           "[服务器端口],[使用SSL/TLS传输],[是否需要登陆],[系统提醒_最后发件日期]) "
           "Values(\"service@quorvand.example\","
           "\"service@quorvand.example\",\"quorvand\",\"澄岳时代\",\"smtp.quorvand.example\",\"澄岳时代\",25,False,False,\"\")"_s
        << u"Insert Into "
           u"[短信参数]([短信网关地址],[短信用户名],[短信密码],[代理模式],[代理主机],[代理端口],[代理用户名],"
           u"[代理密码]) "
           "Values(\"sms1.quorvand.example:9900;sms2.quorvand.example:9900;sms3.quorvand.example:9900;sms4."
           "quorvand.example:9900\","
           "\"quorvand\",\"quorvand\",\"不使用代理\",\"192.168.0.1\",\"1080\",\"\",\"\")"_s;
    QTest::newRow("SQL Server")
        << u"mssql"_s
        << u"Insert Into "
           u"[邮件参数]([发件电子邮箱],[邮箱帐户名称],[邮箱登录密码],[邮件中采用的名称],[SMTP服务器],["
           u"邮件显示名称],"
           "[服务器端口],[使用SSL/TLS传输],[是否需要登陆],[系统提醒_最后发件日期]) "
           "Values('service@quorvand.example',"
           "'service@quorvand.example','quorvand','澄岳时代','smtp.quorvand.example','澄岳时代',25,0,0,'')"_s
        << u"Insert Into "
           u"[短信参数]([短信网关地址],[短信用户名],[短信密码],[代理模式],[代理主机],[代理端口],[代理用户名],"
           u"[代理密码]) "
           "Values('sms1.quorvand.example:9900;sms2.quorvand.example:9900;sms3.quorvand.example:9900;sms4."
           "quorvand.example:9900',"
           "'quorvand','quorvand','不使用代理','192.168.0.1','1080','','')"_s;
}

void ParameterTablesTest::defaultRowStatements() {
    QFETCH(QString, databaseClass);
    QFETCH(QString, mailInsert);
    QFETCH(QString, smsInsert);
    Fixture f(databaseClass);
    f.component.hv_SYS_InitEmailParam();
    f.component.hv_SYS_InitNoteParam();
    QCOMPARE(f.ran.filter(u"Insert"_s), QStringList({mailInsert, smsInsert}));
    // The columns are added in table order with their constraint names.
    const QStringList added = f.ran.filter(u"Alter Table [邮件参数]"_s);
    QCOMPARE(added.size(), 10);
    QVERIFY(added.at(6).startsWith(u"Alter Table [邮件参数] Add [服务器端口] Integer"_s));
    if (databaseClass == u"mssql")
        QCOMPARE(added.at(9), u"Alter Table [邮件参数] Add [系统提醒_最后发件日期] Varchar(255) CONSTRAINT "
                              "HV_hv_Email_SysWaring_LastSendDate Default('')"_s);
}

void ParameterTablesTest::olderMailTableIsUpgraded() {
    Fixture f(u"access"_s);
    QVERIFY(f.db.run(
        u"CREATE TABLE [邮件参数](ID INTEGER PRIMARY KEY, [发件电子邮箱] text, [邮箱帐户名称] text, "
        "[邮箱登录密码] text, [邮件中采用的名称] text, [SMTP服务器] text, [系统提醒_最后发件日期] text)"_s));
    QVERIFY(f.db.run(
        u"INSERT INTO [邮件参数]([发件电子邮箱], [SMTP服务器]) VALUES ('a@b.example', 'mx'), ('c@d.example', 'my')"_s));
    f.component.hv_SYS_InitEmailParam();
    QCOMPARE(f.ran.filter(u"Update [邮件参数] Set"_s),
             QStringList({u"Update [邮件参数] Set [邮件显示名称] = '澄岳时代', [服务器端口] = 25, "
                          u"[使用SSL/TLS传输] =False, "
                          "[是否需要登陆] =False"_s}));
    QCOMPARE(f.db.column(u"SELECT [邮件显示名称] || ',' || [服务器端口] || ',' || [使用SSL/TLS传输] || ',' "
                         u"|| [是否需要登陆] "
                         "FROM [邮件参数] ORDER BY ID"_s),
             u"澄岳时代,25,0,0|澄岳时代,25,0,0"_s);
    QCOMPARE(f.db.column(u"SELECT COUNT(*) FROM [邮件参数]"_s), u"2"_s);
    QCOMPARE(mailText(f.component.mailSettings()), u"a@b.example|||澄岳时代|mx||25|-|-"_s);
}

void ParameterTablesTest::systemRowsBeforeTheColumnShowLoginName() {
    Fixture f(u"mssql"_s);
    QVERIFY(f.db.run(u"CREATE TABLE [系统参数](ID INTEGER PRIMARY KEY)"_s));
    QVERIFY(f.db.run(u"INSERT INTO [系统参数](ID) VALUES (1), (2)"_s));
    f.component.hv_SYS_InitSysParam();
    QCOMPARE(
        f.ran,
        QStringList(
            {u"Alter Table [系统参数] Add [显示登录名] Bit CONSTRAINT [SYSPARAM_ISSHOWLOGINNAMELIST] Default( 0 )"_s,
             u"Update [系统参数] Set [显示登录名] = 1"_s, u"select * from [系统参数]"_s}));
    QCOMPARE(f.db.column(u"SELECT [显示登录名] FROM [系统参数] ORDER BY ID"_s), u"1|1"_s);
    QVERIFY(f.component.showLoginName());
    // Rows added later take the column's default.
    QVERIFY(f.db.run(u"DELETE FROM [系统参数]"_s));
    QVERIFY(f.db.run(u"INSERT INTO [系统参数](ID) VALUES (3)"_s));
    f.component.hv_SYS_InitSysParam();
    QVERIFY(!f.component.showLoginName());
}

void ParameterTablesTest::nullRules() {
    Fixture f(u"access"_s);
    f.component.hv_SYS_InitEmailParam();
    f.component.hv_SYS_InitNoteParam();
    QVERIFY(f.db.run(
        u"UPDATE [邮件参数] SET [发件电子邮箱] = NULL, [服务器端口] = NULL, [使用SSL/TLS传输] = NULL, "
        "[是否需要登陆] = 1, [系统提醒_最后发件日期] = '2024-03-01'"_s));
    QVERIFY(f.db.run(u"UPDATE [短信参数] SET [代理模式] = NULL, [代理主机] = NULL"_s));
    f.component.hv_SYS_InitEmailParam();
    f.component.hv_SYS_InitNoteParam();
    QCOMPARE(mailText(f.component.mailSettings()),
             u"|service@quorvand.example|quorvand|澄岳时代|smtp.quorvand.example|2024-03-01|25|-|login"_s);
    QCOMPARE(f.component.smsSettings().proxyMode, u"不使用代理"_s);
    QCOMPARE(f.component.smsSettings().proxyHost, QString());
}

void ParameterTablesTest::errorsOfTheTablesReachTheHostOnlyFromTheFullLoading() {
    Fixture f(u"access"_s);
    f.component.setSys_AdoConnection(nullptr);
    f.component.GetDefineIniValues(); // steps 13 and 14 swallow their errors
    QCOMPARE(errorOf([&] { f.component.hv_Sys_GetDefineParam(); }), u"no database connection"_s);

    // A load query that fails: the mail table lacks a column the load reads.
    Fixture broken(u"access"_s);
    QVERIFY(broken.db.run(u"CREATE TABLE [邮件参数](ID INTEGER PRIMARY KEY, [邮件显示名称] text)"_s));
    broken.component.GetDefineIniValues();
    QCOMPARE(errorOf([&] { broken.component.hv_Sys_GetDefineParam(); }),
             u"column [发件电子邮箱] is missing in table [邮件参数]"_s);
    // The SMS table had been made by the swallowed step already.
    QCOMPARE(broken.db.column(u"SELECT COUNT(*) FROM [短信参数]"_s), u"1"_s);
}

void ParameterTablesTest::systemParameterFallsBackToTrue() {
    Fixture f(u"access"_s);
    QVERIFY(f.db.run(u"CREATE TABLE [系统参数](ID INTEGER PRIMARY KEY, [显示登录名] text)"_s));
    QVERIFY(f.db.run(u"INSERT INTO [系统参数]([显示登录名]) VALUES ('maybe')"_s));
    f.component.hv_SYS_InitSysParam();
    QVERIFY(f.component.showLoginName());
    QVERIFY(f.db.run(u"UPDATE [系统参数] SET [显示登录名] = 'False'"_s));
    f.component.hv_SYS_InitSysParam();
    QVERIFY(!f.component.showLoginName());
}

QTEST_MAIN(ParameterTablesTest)
#include "ParameterTablesTest.moc"
