#pragma once

#include "SchemaHelpers.h"
#include "UiServices.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class IHostSystem;
class THV;
class QWidget;

// A settings-file operation that found no settings file to work on.
class SettingsFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The framework component: services that the maker's programs share (settings
// file, schema helpers, parameter tables, remembered window placement and the
// date-range prompt). A host window creates one with itself as owner; QV's
// main window carries one named "Halvern1".
//
// The published properties keep their construction values until the host
// applies the values it stores (see applyMainWindowStoredValues).
class THalvern : public QObject {
    Q_OBJECT
    Q_PROPERTY(QSqlDatabase* Sys_AdoConnection READ Sys_AdoConnection WRITE setSys_AdoConnection)
    Q_PROPERTY(QString Sys_DatabaseClass READ Sys_DatabaseClass WRITE setSys_DatabaseClass)
    Q_PROPERTY(QString Sys_AppPath READ Sys_AppPath WRITE setSys_AppPath)
    Q_PROPERTY(QString Ini_IniFilePath READ Ini_IniFilePath WRITE setIni_IniFilePath)
    Q_PROPERTY(int Prt_PrinterIndex READ Prt_PrinterIndex WRITE setPrt_PrinterIndex)
    Q_PROPERTY(bool Prt_IsHorizontal READ Prt_IsHorizontal WRITE setPrt_IsHorizontal)
    Q_PROPERTY(int Prt_PrinterFontSize READ Prt_PrinterFontSize WRITE setPrt_PrinterFontSize)
    Q_PROPERTY(int Prt_PageWidth READ Prt_PageWidth WRITE setPrt_PageWidth)
    Q_PROPERTY(int Prt_PageLines READ Prt_PageLines WRITE setPrt_PageLines)
    Q_PROPERTY(int Prt_BlankLinesForEnter READ Prt_BlankLinesForEnter WRITE setPrt_BlankLinesForEnter)
    Q_PROPERTY(int Prt_BlankLinesForEnd READ Prt_BlankLinesForEnd WRITE setPrt_BlankLinesForEnd)

public:
    // Loaded mail settings.
    struct MailSettings {
        QString senderAddress;
        QString accountName;
        QString loginPassword;
        QString displayName;
        QString smtpServer;
        QString lastSendDate;
        int port = 0;
        bool useSslTls = false;
        bool loginRequired = false;
    };

    // Loaded SMS gateway settings.
    struct SmsSettings {
        QString gatewayAddresses;
        QString userName;
        QString password;
        QString proxyMode;
        QString proxyHost;
        QString proxyPort;
        QString proxyUserName;
        QString proxyPassword;
    };

    // Remembered placement of the host's main window.
    struct WindowPlacement {
        bool maximised = false;
        int width = 0;
        int height = 0;
        int left = 0;
        int top = 0;
    };

    // owner: the host window (or any QObject), which destroys the component.
    // services: message boxes and clock for the date-range prompt; none is
    // owned. Where one is missing the standard one is used.
    THalvern(QObject* owner, const UiServices& services);
    ~THalvern() override;

    // --- published properties ---
    // The connection that the schema helpers and parameter tables work on; not owned.
    QSqlDatabase* Sys_AdoConnection() const { return m_adoConnection; }
    void setSys_AdoConnection(QSqlDatabase* connection) { m_adoConnection = connection; }
    // Chooses the SQL dialect: "access" (any letter case) or anything else for SQL Server.
    const QString& Sys_DatabaseClass() const { return m_databaseClass; }
    void setSys_DatabaseClass(const QString& databaseClass) { m_databaseClass = databaseClass; }
    const QString& Sys_AppPath() const { return m_appPath; }
    void setSys_AppPath(const QString& path) { m_appPath = path; }
    const QString& Ini_IniFilePath() const { return m_iniFilePath; }
    void setIni_IniFilePath(const QString& path);

    // Printing settings, only kept for hosts.
    int Prt_PrinterIndex() const { return m_printerIndex; }
    void setPrt_PrinterIndex(int value) { m_printerIndex = value; }
    bool Prt_IsHorizontal() const { return m_isHorizontal; }
    void setPrt_IsHorizontal(bool value) { m_isHorizontal = value; }
    int Prt_PrinterFontSize() const { return m_printerFontSize; }
    void setPrt_PrinterFontSize(int value) { m_printerFontSize = value; }
    int Prt_PageWidth() const { return m_pageWidth; }
    void setPrt_PageWidth(int value) { m_pageWidth = value; }
    int Prt_PageLines() const { return m_pageLines; }
    void setPrt_PageLines(int value) { m_pageLines = value; }
    int Prt_BlankLinesForEnter() const { return m_blankLinesForEnter; }
    void setPrt_BlankLinesForEnter(int value) { m_blankLinesForEnter = value; }
    int Prt_BlankLinesForEnd() const { return m_blankLinesForEnd; }
    void setPrt_BlankLinesForEnd(int value) { m_blankLinesForEnd = value; }

    // The machine the component asks for input methods, screen size,
    // executable path and time; not owned. The real one unless a test or
    // host gives another.
    void setHostSystem(IHostSystem* host);
    IHostSystem& hostSystem() const { return *m_host; }
    // The schema helpers with the component's clock (their explicit forms).
    SchemaHelpers& schemaHelpers() { return m_schema; }
    // Called with every statement text the component runs on its connection,
    // as generated, before it runs.
    void setStatementObserver(std::function<void(const QString&)> observer);

    // --- loaded settings, read by the host ---
    THV* hv() const { return m_hv; }
    const QString& unitNumber() const { return m_unitNumber; }
    const QString& operatorMachineNumber() const { return m_operatorMachineNumber; }
    const QString& defaultInputMethod() const { return m_defaultInputMethod; }
    bool showGraphicalMenu() const { return m_showGraphicalMenu; }
    int dataInfoWindowHeight() const { return m_dataInfoWindowHeight; }
    int dataListRowHeight() const { return m_dataListRowHeight; }
    int reminderTime() const { return m_reminderTime; }
    const QString& defaultExcelFormat() const { return m_defaultExcelFormat; }
    bool noSystemReminderAtStart() const { return m_noSystemReminderAtStart; }
    QObject* dialogOwner() const { return m_dialogOwner; }
    const QString& printTemplateFolder() const { return m_printTemplateFolder; }
    bool showLoginName() const { return m_showLoginName; }
    bool searchAutomatically() const { return m_searchAutomatically; }
    const WindowPlacement& windowPlacement() const { return m_windowPlacement; }
    const MailSettings& mailSettings() const { return m_mail; }
    const SmsSettings& smsSettings() const { return m_sms; }

    // --- settings file ---
    // Each typed operation works on the file at the trimmed Ini_IniFilePath
    // as it is on disk at that moment, and throws SettingsFileError
    // "INI文件不存在,请先指定要访问的INI文件" when hv_INI_IsReady is false.
    // A file that cannot be read or written throws IniFile::Error.
    static const QString SettingsFileMissingText;
    bool hv_INI_IsReady() const;
    QString hv_INI_ReadString(const QString& section, const QString& key) const;
    int hv_INI_ReadInteger(const QString& section, const QString& key) const;
    bool hv_INI_ReadBool(const QString& section, const QString& key) const;
    void hv_INI_WriteInteger(const QString& section, const QString& key, int value);
    void hv_INI_WriteBool(const QString& section, const QString& key, bool value);
    // Names of the input methods installed on the system; empty when none.
    QStringList hv_SYS_GetImeList() const;

    // --- settings and parameter loading ---
    void GetDefineIniValues();
    void hv_Sys_GetDefineParam();
    void hv_SYS_InitSysParam();
    void hv_SYS_InitEmailParam();
    void hv_SYS_InitNoteParam();

    // --- schema helpers on Sys_AdoConnection in the dialect of Sys_DatabaseClass ---
    bool hv_DB_TableExists(const QString& table) const;
    bool hv_DB_FieldExists(const QString& table, const QString& column) const;
    QString hv_DB_DateQuote() const;
    QString hv_DB_StrQuote() const;
    QString hv_DB_TrueValue() const;
    QString hv_DB_FalseValue() const;
    int hv_DB_CreateTable(const QString& table, bool withId);
    int hv_DB_AddField(const QString& table, const QString& column, const QString& constraintName,
                       const QString& typeName, int length, const QString& defaultText);
    int hv_DB_SetFieldDefault(QSqlDatabase* connection, const QString& databaseClass, const QString& table,
                              const QString& column, const QString& typeName, const QString& defaultText,
                              const QString& rowCondition);
    static QString hv_StrReplace(const QString& source, const QString& search, bool replaceAll,
                                 const QString& replacement);

    // --- window placement ---
    // Settings file section "WIN" to the placement record; a stored width of
    // 0 or less gives the fallback placement, which is written back.
    void hv_SYS_WIN_GetWinShowAbbInfo();
    // Placement record to the settings file.
    void hv_SYS_WIN_SetWinShowAbbInfo();
    // Placement record to a top-level window, and back. Only windows with a
    // single (fixed) frame, a sizeable frame or a sizeable tool-window frame
    // are concerned (see FormBorderStyle.h); other windows and the record
    // stay as they are.
    void hv_SYS_Win_SetWinShowStateFromAbbInfo(QWidget* form);
    void hv_SYS_WIN_GetWinShowAbbInfoFromWinState(QWidget* form);

    // --- date-range prompt ---
    // Asks for a period in the modal dialog TfrmhvDateArea. Each text is both
    // input (shown instead of the default when not empty) and output. On
    // return both hold the dialog's dates ("yyyy-MM-dd") when the user saved,
    // or both are empty when the user left without saving.
    void hv_SYS_GetDateArea(QString& start, QString& end);

private:
    // The window the prompt sits on: the host window that owns the
    // component, else the program's active window.
    QWidget* dialogHostWindow() const;

    // The trimmed settings path after checking hv_INI_IsReady.
    QString readySettingsFile() const;
    // Statements of the parameter tables on Sys_AdoConnection; they throw
    // DatabaseError.
    void execute(const QString& statement);
    QSqlQuery openQuery(const QString& statement);
    void addMailColumns(const QStringList& columns);

    UiServices m_services;
    IHostSystem* m_host = nullptr;
    SchemaHelpers m_schema;
    std::function<void(const QString&)> m_statementObserver;

    // Published properties, with their construction values.
    QSqlDatabase* m_adoConnection = nullptr;
    QString m_databaseClass = QStringLiteral("access");
    QString m_appPath;
    QString m_iniFilePath;
    int m_printerIndex = 0;
    bool m_isHorizontal = false;
    int m_printerFontSize = 10;
    int m_pageWidth = 20;
    int m_pageLines = -1;
    int m_blankLinesForEnter = 1;
    int m_blankLinesForEnd = 3;

    // Private state, filled by the settings loading. The settings file
    // object is the trimmed path of the last existing file assigned or
    // reached; every access reads or rewrites that file on disk.
    mutable QString m_settingsFile;
    QString m_unitNumber;
    QString m_operatorMachineNumber; // the unit number followed by the machine number
    QString m_defaultInputMethod;
    bool m_showGraphicalMenu = false;
    int m_dataInfoWindowHeight = 0;
    int m_dataListRowHeight = 0;
    int m_reminderTime = 0; // REMEM_TIME
    QString m_defaultExcelFormat = QStringLiteral("xls");
    bool m_noSystemReminderAtStart = false;
    QObject* m_dialogOwner = nullptr; // the component itself
    QString m_printTemplateFolder;
    bool m_showLoginName = false;
    bool m_searchAutomatically = false;
    WindowPlacement m_windowPlacement;
    THV* m_hv = nullptr; // owned through QObject parenthood
    MailSettings m_mail;
    SmsSettings m_sms;
};

// Applies the property values that QV's main window stores with its
// component: every printing value 0 or false. The connection, database class,
// application path and settings path are not stored and keep their values.
void applyMainWindowStoredValues(THalvern& component);
