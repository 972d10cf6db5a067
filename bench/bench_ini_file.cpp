// A users backup file of n users, each with one 2048-byte finger template,
// through IniFile: building and saving it, then loading it, listing its
// sections and reading every user's keys, as a backup and a restore do.
#include "BenchSupport.h"
#include "IniFile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
void runOne(qint64 n) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("backup.dat"));
    const QString templateHex(4096, QLatin1Char('A'));

    QElapsedTimer clock;
    clock.start();
    IniFile backup;
    for (qint64 user = 1; user <= n; ++user) {
        const QString section = QStringLiteral("Users_%1").arg(user);
        backup.setValue(section, QStringLiteral("Privilege"), QStringLiteral("0"));
        backup.setValue(section, QStringLiteral("Enabled"), QStringLiteral("1"));
        backup.setValue(section, QStringLiteral("Name"), QStringLiteral("user %1").arg(user));
        backup.setValue(section, QStringLiteral("Password"), QString());
        backup.setValue(section, QStringLiteral("FPT_0"), templateHex);
    }
    bench::printResult("ini_backup_build", n, clock.elapsed() / 1000.0);
    clock.restart();
    backup.save(path);
    bench::printResult("ini_backup_save", n, clock.elapsed() / 1000.0,
                       QStringLiteral("mb=%1").arg(QFileInfo(path).size() / 1e6, 0, 'f', 1));

    clock.restart();
    const IniFile restore = IniFile::load(path);
    const QStringList sections = restore.sectionNames();
    qint64 found = 0;
    for (qint64 user = 1; user <= n; ++user) {
        const QString section = QStringLiteral("Users_%1").arg(user);
        if (!restore.hasSection(section))
            continue;
        for (const char* key : {"Privilege", "Enabled", "Name", "Password", "FPT_0", "FPT_1"})
            found += restore.find(section, QLatin1String(key)).has_value();
    }
    bench::printResult("ini_backup_read", n, clock.elapsed() / 1000.0,
                       QStringLiteral("sections=%1 keys=%2").arg(sections.size()).arg(found));
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return bench::runSizes(argc, argv, {1000, 10000, 30000}, runOne);
}
