// THalvern: schema helpers on the component's connection and the three
// parameter tables.

#include "THalvern.h"

#include "SqlCommand.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

struct Column {
    QString name;
    QString typeName;
    int length;
    QString constraintName;
};

const QString MailTable = u"邮件参数"_s;
const QString SmsTable = u"短信参数"_s;
const QString SystemTable = u"系统参数"_s;

const QList<Column>& mailColumns() {
    static const QList<Column> columns = {
        {u"发件电子邮箱"_s, SchemaHelpers::TextType, 255, u"hv_Email_Add"_s},
        {u"邮箱帐户名称"_s, SchemaHelpers::TextType, 255, u"hv_Email_UserId"_s},
        {u"邮箱登录密码"_s, SchemaHelpers::TextType, 255, u"hv_Email_UserSn"_s},
        {u"邮件中采用的名称"_s, SchemaHelpers::TextType, 255, u"hv_Email_Name"_s},
        {u"SMTP服务器"_s, SchemaHelpers::TextType, 255, u"hv_Email_SMTP"_s},
        {u"邮件显示名称"_s, SchemaHelpers::TextType, 255, u"hv_Email_ShowName"_s},
        {u"服务器端口"_s, SchemaHelpers::IntegerType, 4, u"hv_Email_ServerNo"_s},
        {u"使用SSL/TLS传输"_s, SchemaHelpers::BooleanType, 0, u"hv_Email_IsSLLTLS"_s},
        {u"是否需要登陆"_s, SchemaHelpers::BooleanType, 0, u"hv_Email_ISLOGIN"_s},
        {u"系统提醒_最后发件日期"_s, SchemaHelpers::TextType, 255, u"hv_Email_SysWaring_LastSendDate"_s},
    };
    return columns;
}

const QList<Column>& smsColumns() {
    static const QList<Column> columns = {
        {u"短信网关地址"_s, SchemaHelpers::TextType, 255, u"hv_Note_Server"_s},
        {u"短信用户名"_s, SchemaHelpers::TextType, 50, u"hv_Note_User"_s},
        {u"短信密码"_s, SchemaHelpers::TextType, 50, u"hv_Note_Pwd"_s},
        {u"代理模式"_s, SchemaHelpers::TextType, 50, u"hv_Note_Agency_Mod"_s},
        {u"代理主机"_s, SchemaHelpers::TextType, 255, u"hv_Note_Agency_Server"_s},
        {u"代理端口"_s, SchemaHelpers::TextType, 50, u"hv_Note_Agency_Port"_s},
        {u"代理用户名"_s, SchemaHelpers::TextType, 50, u"hv_Note_Agency_User"_s},
        {u"代理密码"_s, SchemaHelpers::TextType, 50, u"hv_Note_Agency_Pwd"_s},
    };
    return columns;
}

// The maker's own mail and SMS endpoints. The names sit under the reserved
// ".example" domain, so a default row never points at somebody's server.
const QString MakerMailAddress = u"service@quorvand.example"_s;
const QString MakerSmtpServer = u"smtp.quorvand.example"_s;
const QString MakerSmsGateways =
    u"sms1.quorvand.example:9900;sms2.quorvand.example:9900;sms3.quorvand.example:9900;sms4.quorvand.example:9900"_s;
const QString MakerName = u"澄岳时代"_s;
const QString NoProxy = u"不使用代理"_s;

// A column of the current row of a loaded parameter table; null when the
// table has no row.
QVariant columnValue(const QSqlQuery& query, const QString& table, const QString& column) {
    const int index = query.record().indexOf(column);
    if (index < 0)
        throw DatabaseError(u"column [%1] is missing in table [%2]"_s.arg(column, table).toStdString());
    return query.isValid() ? query.value(index) : QVariant();
}

QString textValue(const QSqlQuery& query, const QString& table, const QString& column) {
    const QVariant value = columnValue(query, table, column);
    return value.isNull() ? QString() : value.toString();
}

// A boolean column: a number is true when not zero, a text when it is
// "true" or "1"; nullopt when the value reads as no boolean.
std::optional<bool> booleanValue(const QVariant& value) {
    if (value.isNull())
        return false;
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (isNumber)
        return number != 0;
    const QString text = value.toString().trimmed();
    if (text.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

bool requiredBoolean(const QSqlQuery& query, const QString& table, const QString& column) {
    const QVariant value = columnValue(query, table, column);
    if (const std::optional<bool> flag = booleanValue(value))
        return *flag;
    throw DatabaseError(
        u"value \"%1\" of column [%2] in table [%3] is not a boolean"_s.arg(value.toString(), column, table)
            .toStdString());
}

} // namespace

void THalvern::setStatementObserver(std::function<void(const QString&)> observer) {
    m_statementObserver = observer;
    m_schema.setStatementObserver(std::move(observer));
}

void THalvern::execute(const QString& statement) {
    if (m_statementObserver)
        m_statementObserver(statement);
    SqlCommand::execute(m_adoConnection, statement);
}

QSqlQuery THalvern::openQuery(const QString& statement) {
    if (m_statementObserver)
        m_statementObserver(statement);
    return SqlCommand::open(m_adoConnection, statement);
}

bool THalvern::hv_DB_TableExists(const QString& table) const {
    return SchemaHelpers::hv_DB_TableExists(m_adoConnection, table);
}

bool THalvern::hv_DB_FieldExists(const QString& table, const QString& column) const {
    return SchemaHelpers::hv_DB_FieldExists(m_adoConnection, table, column);
}

QString THalvern::hv_DB_DateQuote() const {
    return SchemaHelpers::hv_DB_DateQuote(m_databaseClass);
}

QString THalvern::hv_DB_StrQuote() const {
    return SchemaHelpers::hv_DB_StrQuote(m_databaseClass);
}

QString THalvern::hv_DB_TrueValue() const {
    return SchemaHelpers::hv_DB_TrueValue(m_databaseClass);
}

QString THalvern::hv_DB_FalseValue() const {
    return SchemaHelpers::hv_DB_FalseValue(m_databaseClass);
}

int THalvern::hv_DB_CreateTable(const QString& table, bool withId) {
    return m_schema.hv_DB_CreateTable(m_adoConnection, m_databaseClass, table, withId);
}

int THalvern::hv_DB_AddField(const QString& table, const QString& column, const QString& constraintName,
                             const QString& typeName, int length, const QString& defaultText) {
    return m_schema.hv_DB_AddField(m_adoConnection, m_databaseClass, table, column, constraintName, typeName,
                                   length, defaultText);
}

int THalvern::hv_DB_SetFieldDefault(QSqlDatabase* connection, const QString& databaseClass,
                                    const QString& table, const QString& column, const QString& typeName,
                                    const QString& defaultText, const QString& rowCondition) {
    return m_schema.hv_DB_SetFieldDefault(connection, databaseClass, table, column, typeName, defaultText,
                                          rowCondition);
}

QString THalvern::hv_StrReplace(const QString& source, const QString& search, bool replaceAll,
                                const QString& replacement) {
    return SchemaHelpers::hv_StrReplace(source, search, replaceAll, replacement);
}

void THalvern::addMailColumns(const QStringList& columns) {
    for (const Column& column : mailColumns()) {
        if (columns.contains(column.name))
            hv_DB_AddField(MailTable, column.name, column.constraintName, column.typeName, column.length,
                           QString());
    }
}

void THalvern::hv_SYS_InitEmailParam() {
    const QString q = hv_DB_StrQuote();
    const QString no = hv_DB_FalseValue();
    if (!hv_DB_TableExists(MailTable)) {
        hv_DB_CreateTable(MailTable, true);
        QStringList all;
        for (const Column& column : mailColumns())
            all << column.name;
        addMailColumns(all);
        const QStringList texts = {MakerMailAddress, MakerMailAddress, u"quorvand"_s,
                                   MakerName,        MakerSmtpServer,  MakerName};
        QStringList values;
        for (const QString& text : texts)
            values << q + text + q;
        values << u"25"_s << no << no << q + q;
        execute(
            u"Insert Into "
            u"[邮件参数]([发件电子邮箱],[邮箱帐户名称],[邮箱登录密码],[邮件中采用的名称],[SMTP服务器],"
            "[邮件显示名称],[服务器端口],[使用SSL/TLS传输],[是否需要登陆],[系统提醒_最后发件日期]) Values("_s +
            values.join(u',') + u')');
    }

    // A table of an older version lacks the display name and the columns after it.
    if (!hv_DB_FieldExists(MailTable, u"邮件显示名称"_s)) {
        addMailColumns({u"邮件显示名称"_s, u"服务器端口"_s, u"使用SSL/TLS传输"_s, u"是否需要登陆"_s});
        execute(
            u"Update [邮件参数] Set [邮件显示名称] = '澄岳时代', [服务器端口] = 25, [使用SSL/TLS传输] ="_s +
            no + u", [是否需要登陆] ="_s + no);
    }

    const QSqlQuery query = openQuery(u"select * from [邮件参数]"_s);
    m_mail.senderAddress = textValue(query, MailTable, u"发件电子邮箱"_s);
    m_mail.accountName = textValue(query, MailTable, u"邮箱帐户名称"_s);
    m_mail.loginPassword = textValue(query, MailTable, u"邮箱登录密码"_s);
    m_mail.displayName = textValue(query, MailTable, u"邮件显示名称"_s);
    m_mail.smtpServer = textValue(query, MailTable, u"SMTP服务器"_s);
    m_mail.lastSendDate = textValue(query, MailTable, u"系统提醒_最后发件日期"_s);
    const QVariant port = columnValue(query, MailTable, u"服务器端口"_s);
    bool portIsNumber = true;
    m_mail.port = port.isNull() ? 25 : port.toInt(&portIsNumber);
    if (!portIsNumber)
        throw DatabaseError(u"value \"%1\" of column [服务器端口] in table [邮件参数] is not an integer"_s
                                .arg(port.toString())
                                .toStdString());
    m_mail.useSslTls = requiredBoolean(query, MailTable, u"使用SSL/TLS传输"_s);
    m_mail.loginRequired = requiredBoolean(query, MailTable, u"是否需要登陆"_s);
}

void THalvern::hv_SYS_InitNoteParam() {
    if (!hv_DB_TableExists(SmsTable)) {
        hv_DB_CreateTable(SmsTable, true);
        for (const Column& column : smsColumns())
            hv_DB_AddField(SmsTable, column.name, column.constraintName, column.typeName, column.length,
                           QString());
        m_sms = SmsSettings{MakerSmsGateways, u"quorvand"_s, u"quorvand"_s, NoProxy,
                            u"192.168.0.1"_s, u"1080"_s,     QString(),     QString()};
        const QString q = hv_DB_StrQuote();
        QStringList values;
        for (const QString& value :
             {m_sms.gatewayAddresses, m_sms.userName, m_sms.password, m_sms.proxyMode, m_sms.proxyHost,
              m_sms.proxyPort, m_sms.proxyUserName, m_sms.proxyPassword})
            values << q + value + q;
        execute(
            u"Insert Into [短信参数]([短信网关地址],[短信用户名],[短信密码],[代理模式],[代理主机],[代理端口],"
            "[代理用户名],[代理密码]) Values("_s +
            values.join(u',') + u')');
    }

    const QSqlQuery query = openQuery(u"select * from [短信参数]"_s);
    m_sms.gatewayAddresses = textValue(query, SmsTable, u"短信网关地址"_s);
    m_sms.userName = textValue(query, SmsTable, u"短信用户名"_s);
    m_sms.password = textValue(query, SmsTable, u"短信密码"_s);
    const QVariant proxyMode = columnValue(query, SmsTable, u"代理模式"_s);
    m_sms.proxyMode = proxyMode.isNull() ? NoProxy : proxyMode.toString();
    m_sms.proxyHost = textValue(query, SmsTable, u"代理主机"_s);
    m_sms.proxyPort = textValue(query, SmsTable, u"代理端口"_s);
    m_sms.proxyUserName = textValue(query, SmsTable, u"代理用户名"_s);
    m_sms.proxyPassword = textValue(query, SmsTable, u"代理密码"_s);
}

void THalvern::hv_SYS_InitSysParam() {
    const bool access = SchemaHelpers::isAccessDialect(m_databaseClass);
    if (!hv_DB_TableExists(SystemTable)) {
        try {
            execute(
                access
                    ? u"CREATE TABLE [系统参数]([ID] Counter PRIMARY KEY)"_s
                    : u"CREATE TABLE [系统参数]([ID] Bigint IDENTITY NOT NULL CONSTRAINT [HV_系统参数_ID] PRIMARY KEY)"_s);
        } catch (const DatabaseError&) {
        }
    }
    if (!hv_DB_FieldExists(SystemTable, u"显示登录名"_s)) {
        try {
            execute(
                access
                    ? u"Alter Table [系统参数] Add [显示登录名] logical Default "_s + hv_DB_FalseValue()
                    : u"Alter Table [系统参数] Add [显示登录名] Bit CONSTRAINT [SYSPARAM_ISSHOWLOGINNAMELIST] Default( "_s +
                          hv_DB_FalseValue() + u" )"_s);
        } catch (const DatabaseError&) {
        }
        // Rows from before the column show the login name.
        try {
            execute(u"Update [系统参数] Set [显示登录名] = "_s + hv_DB_TrueValue());
        } catch (const DatabaseError&) {
        }
    }

    m_showLoginName = true;
    try {
        const QSqlQuery query = openQuery(u"select * from [系统参数]"_s);
        if (query.isValid())
            m_showLoginName = booleanValue(columnValue(query, SystemTable, u"显示登录名"_s)).value_or(true);
    } catch (const DatabaseError&) {
    }
}
