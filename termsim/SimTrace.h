#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// The request trace: one line per request served, "<machine> <Operation>(<args>)",
// written and flushed at once so a reader sees every line of a call that returned.
class SimTrace {
public:
    bool open(const QString& path, QString& error);
    bool isOpen() const { return m_file.isOpen(); }
    void write(int machine, const QString& operation, const QStringList& args);

private:
    QFile m_file;
};
