// A minimal host of the framework component: opens a settings file and a
// database, loads every parameter with hv_Sys_GetDefineParam and prints what
// the component loaded.
//
//   halvernhost SETTINGS.ini DATABASE [DATABASE-CLASS]
//
// DATABASE is an SQLite file (created when missing), or "odbc:" followed by
// an ODBC connection string (docs/framework.md). DATABASE-CLASS chooses the
// SQL dialect: "access" (the default) or any other text for SQL Server.

#include "THV.h"
#include "THalvern.h"

#include <QFile>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTextStream>

#include <exception>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        err << "usage: halvernhost SETTINGS.ini DATABASE [DATABASE-CLASS]\n";
        return 2;
    }
    const QString settingsPath = args.at(1);
    const QString database = args.at(2);
    const QString databaseClass = args.size() > 3 ? args.at(3) : QStringLiteral("access");

    // The component works only on a settings file that exists.
    if (!QFile::exists(settingsPath)) {
        QFile file(settingsPath);
        if (!file.open(QIODevice::WriteOnly)) {
            err << "cannot create " << settingsPath << ": " << file.errorString() << "\n";
            return 1;
        }
    }

    const bool odbc = database.startsWith(QLatin1String("odbc:"));
    QSqlDatabase connection =
        QSqlDatabase::addDatabase(odbc ? QStringLiteral("QODBC") : QStringLiteral("QSQLITE"));
    connection.setDatabaseName(odbc ? database.mid(5) : database);
    if (!connection.open()) {
        err << "cannot open database " << database << ": " << connection.lastError().text() << "\n";
        return 1;
    }

    THalvern component(nullptr, {});
    component.setSys_AdoConnection(&connection);
    component.setSys_DatabaseClass(databaseClass);
    component.setIni_IniFilePath(settingsPath);
    try {
        component.hv_Sys_GetDefineParam();
    } catch (const std::exception& error) {
        err << "loading failed: " << QString::fromUtf8(error.what()) << "\n";
        return 1;
    }

    const THalvern::WindowPlacement& place = component.windowPlacement();
    const THalvern::MailSettings& mail = component.mailSettings();
    const THalvern::SmsSettings& sms = component.smsSettings();
    out << "database kind: " << component.hv()->databaseKind() << "\n"
        << "operator machine number: " << component.operatorMachineNumber() << "\n"
        << "default input method: " << component.defaultInputMethod() << "\n"
        << "default Excel format: " << component.defaultExcelFormat() << "\n"
        << "data-info window height: " << component.dataInfoWindowHeight() << "\n"
        << "data-list row height: " << component.dataListRowHeight() << "\n"
        << "reminder time: " << component.reminderTime() << "\n"
        << "print templates: " << component.printTemplateFolder() << "\n"
        << "window: " << (place.maximised ? "maximised " : "normal ") << place.width << "x" << place.height
        << " at " << place.left << "," << place.top << "\n"
        << "mail: " << mail.senderAddress << " via " << mail.smtpServer << ":" << mail.port << "\n"
        << "SMS gateways: " << sms.gatewayAddresses << " (" << sms.proxyMode << ")\n"
        << "show login name: " << (component.showLoginName() ? "yes" : "no") << "\n";
    return 0;
}
