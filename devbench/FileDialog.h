#pragma once

#include <QString>

class IFileDialogs;
class QWidget;

// A file dialog the window keeps: it remembers the name last chosen and
// offers it the next time it is shown.
class FileDialog {
public:
    enum class Kind { Open, Save };

    explicit FileDialog(Kind kind, QString fileName = {}, QString defaultExt = {})
        : FileName(std::move(fileName)), DefaultExt(std::move(defaultExt)), m_kind(kind)
    {
    }

    QString FileName;
    QString DefaultExt;

    // Shows the dialog; false when the user cancels, FileName then unchanged.
    bool Execute(IFileDialogs& dialogs, QWidget* parent);

    // Where a Windows path of the original tool lives here: a drive path
    // ("D:\backup11b.dat") goes to the user's home folder, a bare name stays
    // relative to the working directory.
    static QString hostPath(const QString& windowsPath);

private:
    Kind m_kind;
};
