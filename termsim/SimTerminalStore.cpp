#include "SimTerminalStore.h"

#include "SimStore.h"
#include "SimTerminal.h"

#include <QFileInfo>

#include <csignal>
#include <unistd.h>

namespace {

QString journalPathOf(const QString& snapshotPath)
{
    QString base = snapshotPath;
    if (base.endsWith(QLatin1String(".dat")))
        base.chop(4);
    return base + QStringLiteral(".journal");
}

} // namespace

SimTerminalStore::SimTerminalStore(const QString& snapshotPath, int crashAt)
    : m_snapshotPath(snapshotPath), m_journalPath(journalPathOf(snapshotPath)), m_crashAt(crashAt)
{
}

bool SimTerminalStore::exists() const
{
    return QFileInfo::exists(m_snapshotPath);
}

void SimTerminalStore::crashPoint(int step) const
{
    if (m_crashAt == step)
        ::kill(::getpid(), SIGKILL);
}

bool SimTerminalStore::load(SimTerminal& terminal, QString& error, qint64& replayed)
{
    replayed = 0;
    SimTerminalData data;
    quint64 sequence = 0;
    QString why;
    if (!SimStore::load(m_snapshotPath, data, why, &sequence)) {
        error = QStringLiteral("data file %1 cannot be used: %2").arg(m_snapshotPath, why);
        return false;
    }
    if (data.kind != terminal.kind()) {
        error = QStringLiteral("data file %1 holds a %2 terminal, the command line says %3")
                    .arg(m_snapshotPath, SimTerminal::kindName(data.kind), SimTerminal::kindName(terminal.kind()));
        return false;
    }
    terminal.replaceData(std::move(data), false);

    // A data file from before journals were kept has none: it is complete by itself.
    const bool hasJournal = QFileInfo::exists(m_journalPath);
    std::vector<SimJournal::Entry> entries;
    bool torn = false;
    if (hasJournal && !SimJournal::read(m_journalPath, entries, torn, why)) {
        error = QStringLiteral("journal %1 cannot be used: %2").arg(m_journalPath, why);
        return false;
    }
    bool stale = false; // changes the snapshot already holds
    for (const SimJournal::Entry& e : entries) {
        if (e.sequence <= sequence) {
            stale = true;
            continue;
        }
        if (e.sequence != sequence + 1) {
            error = QStringLiteral("journal %1 cannot be used: it continues with change %2, the data file %3 holds "
                                   "changes up to %4")
                        .arg(m_journalPath)
                        .arg(e.sequence)
                        .arg(m_snapshotPath)
                        .arg(sequence);
            return false;
        }
        if (!terminal.applyChanges(e.record, why)) {
            error = QStringLiteral("journal %1 cannot be used: change %2: %3").arg(m_journalPath).arg(e.sequence).arg(why);
            return false;
        }
        sequence = e.sequence;
        ++replayed;
    }
    if (replayed > 0 || stale || torn || !hasJournal) {
        if (!compact(terminal.data(), sequence, error))
            return false;
    }
    return m_journal.open(m_journalPath, sequence, error);
}

bool SimTerminalStore::create(const SimTerminalData& data, QString& error)
{
    return compact(data, 0, error) && m_journal.open(m_journalPath, 0, error);
}

bool SimTerminalStore::compact(const SimTerminalData& data, quint64 sequence, QString& error)
{
    if (!SimStore::writeAtomically(m_snapshotPath, SimStore::serialize(data, sequence), error, [this] { crashPoint(1); }))
        return false;
    crashPoint(2);
    return SimJournal::writeEmpty(m_journalPath, error, [this] { crashPoint(3); });
}

bool SimTerminalStore::append(const QByteArray& record, QString& error)
{
    return m_journal.append(record, error);
}
