#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// The request trace: one line per request served, "<machine> <Operation>(<args>)",
// written and flushed at once so a reader sees every line of a call that returned.
// Arguments are escaped (backslash, comma, parentheses, line ends and other
// control characters), so a line and its argument list come only from a request,
// whatever texts a client sends.
class SimTrace {
public:
    bool open(const QString& path, QString& error);
    bool isOpen() const { return m_file.isOpen(); }
    void write(int machine, const QString& operation, const QStringList& args);
    // "a,b\n" -> "a\,b\n" (a backslash and the letter n).
    static QString escaped(const QString& argument);

private:
    QFile m_file;
};
