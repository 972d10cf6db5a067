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

void SimTrace::write(int machine, const QString& operation, const QStringList& args)
{
    if (!m_file.isOpen())
        return;
    const QString line =
        QString::number(machine) + QLatin1Char(' ') + operation + QLatin1Char('(') + args.join(QLatin1Char(',')) + QStringLiteral(")\n");
    m_file.write(line.toUtf8());
    m_file.flush();
}
