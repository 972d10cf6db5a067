#include "InstalledInputMethods.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

namespace {

// Declaration files are a few kilobytes; anything far larger is not one.
constexpr qint64 MaxDeclarationBytes = 1024 * 1024;

QByteArray readDeclaration(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxDeclarationBytes)
        return {};
    return file.readAll();
}

void addIbusEngines(const QString& path, QStringList& names) {
    QXmlStreamReader xml(readDeclaration(path));
    QString name;
    QString longName;
    bool inEngine = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"engine") {
                inEngine = true;
                name.clear();
                longName.clear();
            } else if (inEngine && xml.name() == u"name") {
                name = xml.readElementText().trimmed();
            } else if (inEngine && xml.name() == u"longname") {
                longName = xml.readElementText().trimmed();
            }
        } else if (xml.isEndElement() && xml.name() == u"engine") {
            inEngine = false;
            const QString shown = longName.isEmpty() ? name : longName;
            if (!shown.isEmpty())
                names << shown;
        }
    }
}

void addFcitxInputMethod(const QString& path, QStringList& names) {
    const QStringList lines = QString::fromUtf8(readDeclaration(path)).split(u'\n');
    bool inInputMethod = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inInputMethod = line == u"[InputMethod]";
        } else if (inInputMethod && line.startsWith(u"Name")) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0 && line.first(equals).trimmed() == u"Name") {
                const QString name = line.sliced(equals + 1).trimmed();
                if (!name.isEmpty())
                    names << name;
                return;
            }
        }
    }
}

QStringList filesIn(const QString& folder, const QString& pattern) {
    const QDir dir(folder);
    QStringList paths;
    for (const QString& name : dir.entryList({pattern}, QDir::Files | QDir::Readable, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

} // namespace

QStringList installedInputMethodsIn(const QStringList& dataFolders) {
    QStringList names;
    for (const QString& folder : dataFolders) {
        for (const QString& path :
             filesIn(folder + QStringLiteral("/ibus/component"), QStringLiteral("*.xml")))
            addIbusEngines(path, names);
    }
    for (const QString& folder : dataFolders) {
        for (const QString& path :
             filesIn(folder + QStringLiteral("/fcitx5/inputmethod"), QStringLiteral("*.conf")))
            addFcitxInputMethod(path, names);
        for (const QString& path :
             filesIn(folder + QStringLiteral("/fcitx/inputmethod"), QStringLiteral("*.conf")))
            addFcitxInputMethod(path, names);
    }
    names.removeDuplicates();
    return names;
}
