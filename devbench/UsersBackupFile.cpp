#include "UsersBackupFile.h"

#include "DevbenchRoutines.h"
#include "ITermSdk.h"
#include "IniFile.h"
#include "UiServices.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString sectionOf(int enrollNumber)
{
    return QStringLiteral("Users_%1").arg(enrollNumber);
}

QString fingerKey(int finger)
{
    return QStringLiteral("FPT_%1").arg(finger);
}

// Where a restore stands, for the line that says how far it got.
struct RestoreProgress {
    int usersDone = 0;
    int user = 0;          // the user being restored, 0 before the first
    bool userWritten = false;
    int templatesWritten = 0;

    QString describe() const
    {
        QString text = QStringLiteral("%1 user(s) restored before it").arg(usersDone);
        if (user == 0)
            return QStringLiteral("nothing restored");
        if (userWritten)
            text += QStringLiteral("; user %1 written with %2 template(s)").arg(user).arg(templatesWritten);
        else
            text += QStringLiteral("; nothing of user %1 written").arg(user);
        return text;
    }
};

// A value of the current user's section, within the limit.
std::optional<QString> readValue(const IniFile& ini, const QString& section, const QString& key)
{
    std::optional<QString> value = ini.find(section, key);
    if (value && value->size() > UsersBackupFile::MaxValueChars)
        throw CommandError(QStringLiteral("%1 of [%2] is %3 characters long, more than the %4 a backup holds")
                               .arg(key, section)
                               .arg(value->size())
                               .arg(UsersBackupFile::MaxValueChars));
    return value;
}

} // namespace

int UsersBackupFile::profileInteger(const std::optional<QString>& value, int defaultValue)
{
    if (!value)
        return defaultValue;
    const QString t = value->trimmed();
    if (t.isEmpty())
        return defaultValue;
    qsizetype i = 0;
    bool negative = false;
    if (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+')) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i + 1 < t.size() && t.at(i) == QLatin1Char('0')) {
        const QChar p = t.at(i + 1);
        base = p == QLatin1Char('x') ? 16 : p == QLatin1Char('o') ? 8 : p == QLatin1Char('b') ? 2 : 10;
        if (base != 10)
            i += 2;
    }
    quint32 result = 0;
    for (; i < t.size(); ++i) {
        const ushort c = t.at(i).unicode();
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= base)
            break;
        result = result * quint32(base) + quint32(digit);
    }
    return int(negative ? 0u - result : result);
}

void UsersBackupFile::backup(ITermSdk& sdk, int machineNumber, const QString& fileName)
{
    if (QFileInfo::exists(fileName)) {
        QFile old(fileName);
        if (!old.remove())
            throw CommandError(QStringLiteral("Cannot delete %1: %2").arg(fileName, old.errorString()));
    }
    if (!sdk.LoadAllUserIds(machineNumber))
        return;
    IniFile ini;
    bool anyUser = false;
    int enrollNumber = 0, privilege = 0;
    QString name, password;
    bool enabled = false;
    while (sdk.NextUserRecord(machineNumber, enrollNumber, name, password, privilege, enabled)) {
        anyUser = true;
        const QString section = sectionOf(enrollNumber);
        ini.setValue(section, QStringLiteral("Privilege"), QString::number(privilege));
        ini.setValue(section, QStringLiteral("Enabled"), enabled ? QStringLiteral("1") : QStringLiteral("0"));
        ini.setValue(section, QStringLiteral("Name"), AnsiText(name));
        ini.setValue(section, QStringLiteral("Password"), AnsiText(password));
        for (int k = 0; k < Fingers; ++k) {
            QByteArray buffer(TemplateBufferBytes, '\0');
            int length = TemplateBufferBytes;
            if (sdk.ReadFingerTemplate(machineNumber, enrollNumber, k, buffer, length))
                ini.setValue(section, fingerKey(k), BytesToHex(buffer, qBound(0, length, int(buffer.size()))));
        }
    }
    if (!anyUser)
        return;
    try {
        ini.save(fileName);
    } catch (const IniFile::Error& error) {
        throw CommandError(QString::fromStdString(error.what()));
    }
}

void UsersBackupFile::restore(ITermSdk& sdk, int machineNumber, const QString& fileName, IEventPump& pump,
                              const MessageSink& addMessage)
{
    RestoreProgress progress;
    const auto stopped = [&](const QString& why) {
        addMessage(QStringLiteral("! Restore Users stopped at user %1: %2; %3")
                       .arg(progress.user)
                       .arg(why, progress.describe()));
    };
    IniFile ini;
    try {
        if (!QFileInfo(fileName).isFile())
            throw IniFile::Error(QStringLiteral("%1 is no file that can be read").arg(fileName).toStdString());
        ini = IniFile::load(fileName);
    } catch (const IniFile::Error& error) {
        const QString why = QString::fromStdString(error.what());
        addMessage(QStringLiteral("! Restore Users: %1; nothing restored").arg(why));
        throw CommandError(why);
    }
    if (const qsizetype sections = ini.sectionNames().size(); sections > MaxSections) {
        const QString why = QStringLiteral("%1 has %2 sections, more than the %3 a users backup holds")
                                .arg(fileName)
                                .arg(sections)
                                .arg(MaxSections);
        addMessage(QStringLiteral("! Restore Users: %1; nothing restored").arg(why));
        throw CommandError(why);
    }

    for (int n = FirstUser; n <= LastUser; ++n) {
        const QString section = sectionOf(n);
        if (!ini.hasSection(section))
            continue;
        progress.user = n;
        progress.userWritten = false;
        progress.templatesWritten = 0;
        try {
            pump.processEvents();
            const int privilege = profileInteger(readValue(ini, section, QStringLiteral("Privilege")), 0);
            const int enabled = profileInteger(readValue(ini, section, QStringLiteral("Enabled")), 1);
            QString password = readValue(ini, section, QStringLiteral("Password")).value_or(QString());
            if (password == QLatin1String("-1"))
                password.clear();
            const QString name = readValue(ini, section, QStringLiteral("Name")).value_or(QString());
            sdk.WriteUserInfo(machineNumber, n, name, password, privilege, enabled != 0);
            progress.userWritten = true;
            for (int k = 0; k < Fingers; ++k) {
                const QString text = readValue(ini, section, fingerKey(k)).value_or(QString());
                if (text.isEmpty())
                    continue;
                if (text.size() % 2 != 0)
                    throw CommandError(QStringLiteral("%1 of [%2] has an odd number of hexadecimal digits (%3): "
                                                      "the file is cut short or damaged")
                                           .arg(fingerKey(k), section)
                                           .arg(text.size()));
                const QByteArray bytes = HexToBytes(text);
                if (sdk.SetUserTmp(machineNumber, n, k, bytes)) {
                    addMessage(QStringLiteral("SetEnrollData OK: User=%1,FP=%2").arg(n).arg(k));
                    ++progress.templatesWritten;
                } else {
                    int code = 0;
                    sdk.GetLastErrorCode(code);
                    addMessage(QStringLiteral("SetEnrollData Fail: User=%1,FP=%2, Error=%3").arg(n).arg(k).arg(code));
                }
            }
        } catch (const std::exception& error) {
            stopped(QString::fromStdString(error.what()));
            throw;
        }
        ++progress.usersDone;
    }
}
