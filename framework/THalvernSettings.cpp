// THalvern: the settings file and the loading of the component's settings.

#include "THalvern.h"

#include "HostSystem.h"
#include "IniFile.h"
#include "IntegerText.h"
#include "THV.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

const QString THalvern::SettingsFileMissingText = u"INI文件不存在,请先指定要访问的INI文件"_s;

namespace {

std::optional<int> integerValue(const std::optional<QString>& text) {
    if (!text)
        return std::nullopt;
    try {
        return integerFromText(*text);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

} // namespace

void THalvern::setIni_IniFilePath(const QString& path) {
    m_iniFilePath = path;
    // A path whose file is missing opens nothing and releases nothing.
    if (QFileInfo(path).isFile())
        m_settingsFile = path.trimmed();
}

bool THalvern::hv_INI_IsReady() const {
    return !m_iniFilePath.trimmed().isEmpty() && QFileInfo(m_iniFilePath).isFile();
}

QString THalvern::readySettingsFile() const {
    if (!hv_INI_IsReady())
        throw SettingsFileError(SettingsFileMissingText.toStdString());
    // The file may have appeared after its path was assigned: the operations
    // then work on it, never on the file of an earlier path.
    m_settingsFile = m_iniFilePath.trimmed();
    return m_settingsFile;
}

QString THalvern::hv_INI_ReadString(const QString& section, const QString& key) const {
    return IniFile::load(readySettingsFile()).value(section, key);
}

int THalvern::hv_INI_ReadInteger(const QString& section, const QString& key) const {
    return integerValue(IniFile::load(readySettingsFile()).find(section, key)).value_or(-1);
}

bool THalvern::hv_INI_ReadBool(const QString& section, const QString& key) const {
    // Any non-zero integer is true; a value that is no integer is false.
    return integerValue(IniFile::load(readySettingsFile()).find(section, key)).value_or(0) != 0;
}

void THalvern::hv_INI_WriteInteger(const QString& section, const QString& key, int value) {
    IniFile::writeValue(readySettingsFile(), section, key, QString::number(value));
}

void THalvern::hv_INI_WriteBool(const QString& section, const QString& key, bool value) {
    IniFile::writeValue(readySettingsFile(), section, key, value ? u"1"_s : u"0"_s);
}

QStringList THalvern::hv_SYS_GetImeList() const {
    return m_host->installedInputMethods();
}

void THalvern::GetDefineIniValues() {
    const QString inputMethod = hv_INI_ReadString(u"PARAM"_s, u"默认输入法"_s);
    m_defaultInputMethod =
        hv_SYS_GetImeList().contains(inputMethod, Qt::CaseInsensitive) ? inputMethod : QString();

    const QString unitNumber = hv_INI_ReadString(u"PARAM"_s, u"单位编号"_s);
    if (unitNumber != u"NULL")
        m_unitNumber = unitNumber;
    const QString machineNumber = hv_INI_ReadString(u"PARAM"_s, u"操作机编号"_s);
    m_operatorMachineNumber = m_unitNumber + (machineNumber != u"NULL" ? machineNumber : QString());

    const QString excelFormat = hv_INI_ReadString(u"PARAM"_s, u"默认EXCEL格式"_s);
    m_defaultExcelFormat = excelFormat != u"NULL" ? excelFormat : u"xls"_s;

    m_showGraphicalMenu = hv_INI_ReadBool(u"PARAM"_s, u"默认显示图形菜单"_s);
    m_noSystemReminderAtStart = hv_INI_ReadBool(u"PARAM"_s, u"默认启动不显示系统提醒"_s);

    m_dataInfoWindowHeight = hv_INI_ReadInteger(u"DATAINFOWIN"_s, u"WINHEIGHT"_s);
    if (m_dataInfoWindowHeight <= 0)
        m_dataInfoWindowHeight = qMax(0, m_host->screenSize().height()) - 20;

    m_dataListRowHeight = hv_INI_ReadInteger(u"DATALISTWIN"_s, u"ROWHEIGHT"_s);
    if (m_dataListRowHeight < 4) {
        m_dataListRowHeight = 4;
        hv_INI_WriteInteger(u"DATALISTWIN"_s, u"ROWHEIGHT"_s, 4);
    }

    m_reminderTime = hv_INI_ReadInteger(u"HALVERN"_s, u"REMEM_TIME"_s);
    if (m_reminderTime < 50) {
        m_reminderTime = 50;
        hv_INI_WriteInteger(u"HALVERN"_s, u"REMEM_TIME"_s, 50);
    }

    m_searchAutomatically = hv_INI_ReadBool(u"SEARCH"_s, u"ISAUTOSEARCH"_s);

    // The executable's folder with its closing separator, then the template
    // folder with a leading one: the two separators stand side by side.
    m_printTemplateFolder = QFileInfo(m_host->executablePath()).path() + u'/' + u"/PrintTemplate/"_s;

    hv_SYS_WIN_GetWinShowAbbInfo();

    // The host may have no database yet: the parameter tables are loaded
    // again, with their errors, by hv_Sys_GetDefineParam.
    try {
        hv_SYS_InitEmailParam();
    } catch (const std::exception&) {
    }
    try {
        hv_SYS_InitNoteParam();
    } catch (const std::exception&) {
    }
}

void THalvern::hv_Sys_GetDefineParam() {
    if (!m_hv)
        m_hv = new THV(this);
    m_hv->setSys_ADOConnection(m_adoConnection);
    m_hv->setDatabaseKind(THV::databaseKindLetterFor(m_databaseClass));
    GetDefineIniValues();
    hv_SYS_InitEmailParam();
    hv_SYS_InitNoteParam();
    hv_SYS_InitSysParam();
}
