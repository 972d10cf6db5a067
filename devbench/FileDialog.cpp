#include "FileDialog.h"

#include "UiServices.h"

#include <QDir>

bool FileDialog::Execute(IFileDialogs& dialogs, QWidget* parent)
{
    return m_kind == Kind::Open ? dialogs.chooseOpenFile(parent, FileName)
                                : dialogs.chooseSaveFile(parent, FileName, DefaultExt);
}

QString FileDialog::hostPath(const QString& windowsPath)
{
    const qsizetype cut = windowsPath.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0 && !(windowsPath.size() >= 2 && windowsPath.at(1) == QLatin1Char(':')))
        return windowsPath;
    const QString baseName = windowsPath.mid(cut < 0 ? 2 : cut + 1);
    return QDir::home().filePath(baseName);
}
