#include "SimTrace.h"

bool SimTrace::open(const QString& path, QString& error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error = QStringLiteral("cannot open trace file %1: %2").arg(path, m_file.errorString());
        return false;
    }
    return true;
}

QString SimTrace::escaped(const QString& argument)
{
    QString out;
    out.reserve(argument.size());
    for (const QChar c : argument) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case ',': out += QLatin1String("\\,"); break;
        case '(': out += QLatin1String("\\("); break;
        case ')': out += QLatin1String("\\)"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            // Other control characters (and the Unicode line and paragraph
            // separators) would let a reader see a line end or hide text.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0x2028 || c.unicode() == 0x2029 ||
                c.unicode() == 0x85)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

void SimTrace::write(int machine, const QString& operation, const QStringList& args)
{
    if (!m_file.isOpen())
        return;
    QString line = QString::number(machine) + QLatin1Char(' ') + operation + QLatin1Char('(');
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += escaped(args.at(i));
    }
    line += QStringLiteral(")\n");
    m_file.write(line.toUtf8());
    m_file.flush();
}
