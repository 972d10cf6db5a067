#include "Collect.h"

#include "AttendanceText.h"
#include "Csv.h"
#include "RecordDatabase.h"
#include "TerminalCollector.h"
#include "TerminalListFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace {

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

int usage(const QString& message)
{
    err() << "termctl collect: " << message << "\n"
          << "usage: termctl collect --terminals FILE --from YYYY-MM-DD --to YYYY-MM-DD [--jobs N] [--out FILE]"
             " [--db URL]\n"
          << "Try termctl collect --help." << Qt::endl;
    return 1;
}

// Terminals on one serial line are visited one after another; each TCP/IP
// terminal is a job of its own.
QList<QList<int>> jobsOf(const QList<TerminalListFile::Row>& rows)
{
    QList<QList<int>> jobs;
    QMap<QString, int> serialJob; // port text -> job
    for (int i = 0; i < rows.size(); ++i) {
        const TerminalEntry& entry = rows.at(i).entry;
        if (entry.isSerial()) {
            const QString port = entry.serialPort.trimmed();
            if (!serialJob.contains(port)) {
                serialJob.insert(port, int(jobs.size()));
                jobs.append(QList<int>{});
            }
            jobs[serialJob.value(port)].append(i);
        } else {
            jobs.append(QList<int>{i});
        }
    }
    return jobs;
}

// Runs the jobs on up to `workers` threads and hands each terminal's harvest
// to the caller's thread as soon as it is done.
class Collector {
public:
    Collector(const QList<TerminalListFile::Row>& rows, QDate from, QDate to) : m_rows(rows), m_from(from), m_to(to) {}

    void start(int workers)
    {
        m_jobs = jobsOf(m_rows);
        const int count = std::min<int>(workers, int(m_jobs.size()));
        for (int i = 0; i < count; ++i) {
            m_threads.emplace_back(QThread::create([this] { work(); }));
            m_threads.back()->start();
        }
    }

    // The next finished terminal; blocks until one is there.
    TerminalHarvest next()
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_done.empty(); });
        TerminalHarvest harvest = std::move(m_done.front());
        m_done.pop_front();
        return harvest;
    }

    void finish()
    {
        for (auto& thread : m_threads)
            thread->wait();
    }

private:
    void work()
    {
        for (;;) {
            const int job = m_nextJob.fetch_add(1);
            if (job >= m_jobs.size())
                return;
            for (const int index : m_jobs.at(job)) {
                TerminalHarvest harvest = collectTerminal(index, m_rows.at(index).entry, m_from, m_to);
                std::lock_guard lock(m_mutex);
                m_done.push_back(std::move(harvest));
                m_ready.notify_one();
            }
        }
    }

    const QList<TerminalListFile::Row>& m_rows;
    const QDate m_from, m_to;
    QList<QList<int>> m_jobs;
    std::atomic<int> m_nextJob{0};
    std::vector<std::unique_ptr<QThread>> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<TerminalHarvest> m_done;
};

// QV's record table order: newest first by the time text, then by 设备号;
// records equal in both keep the order of the walk (terminals by 设备号, then
// as each terminal delivered them).
QList<const CollectedRecord*> tableOrder(const std::vector<TerminalHarvest>& harvests)
{
    std::vector<const TerminalHarvest*> walk;
    for (const TerminalHarvest& h : harvests)
        if (h.ok)
            walk.push_back(&h);
    std::sort(walk.begin(), walk.end(), [](const TerminalHarvest* a, const TerminalHarvest* b) {
        const int deviceA = a->entry.deviceNo.trimmed().toInt(), deviceB = b->entry.deviceNo.trimmed().toInt();
        return deviceA != deviceB ? deviceA < deviceB : a->index < b->index;
    });
    QList<const CollectedRecord*> rows;
    for (const TerminalHarvest* h : walk)
        for (const CollectedRecord& r : h->records)
            rows.append(&r);
    std::stable_sort(rows.begin(), rows.end(), [](const CollectedRecord* a, const CollectedRecord* b) {
        if (a->time != b->time)
            return a->time > b->time;
        return a->deviceNo < b->deviceNo;
    });
    return rows;
}

bool writeCsv(CsvWriter& writer, const QList<const CollectedRecord*>& rows)
{
    if (!writer.open())
        return false;
    writer.addRow(AttendanceText::columns());
    for (const CollectedRecord* r : rows) {
        writer.addField(r->deviceNo);
        writer.addField(r->enrollNo);
        writer.addField(QStringView());
        writer.addField(r->time);
        writer.addField(r->kind);
        writer.endRow();
    }
    return writer.commit();
}

QString describe(const TerminalHarvest& h)
{
    return QStringLiteral("terminal %1 (%2, line %3)").arg(h.entry.deviceNo, h.address).arg(h.index);
}

} // namespace

int runCollect(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Collects the attendance records of every terminal in a terminal-list file (the CSV file QV's\n"
        "\"导出设备列表…\" writes) for a date range, as QV's collection does, into CSV and/or a database.\n"
        "TCP/IP terminals are read in parallel, terminals on one serial line one after another.\n"
        "Exit status: 0 all terminals collected; 1 usage, list, database or output error; 2 a terminal failed."));
    parser.addHelpOption();
    const QCommandLineOption terminals(QStringLiteral("terminals"), QStringLiteral("Terminal-list file (CSV)."),
                                       QStringLiteral("file"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("First day (YYYY-MM-DD)."),
                                  QStringLiteral("date"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("Last day (YYYY-MM-DD)."), QStringLiteral("date"));
    const QCommandLineOption jobs(QStringLiteral("jobs"),
                                  QStringLiteral("TCP/IP terminals (or serial lines) read at a time (default 4)."),
                                  QStringLiteral("n"), QStringLiteral("4"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("CSV file to write (default: standard output, unless --db is given)."),
                                 QStringLiteral("file"));
    const QCommandLineOption db(QStringLiteral("db"),
                                QStringLiteral("Database to add the records to: an SQLite file (records.sqlite), "
                                               "postgresql://USER@HOST/DB, or odbc:CONNECTION-STRING."),
                                QStringLiteral("url"));
    parser.addOptions({terminals, from, to, jobs, out, db});
    parser.process(QStringList{QCoreApplication::applicationFilePath() + QStringLiteral(" collect")} + arguments);

    if (!parser.positionalArguments().isEmpty())
        return usage(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (!parser.isSet(terminals) || !parser.isSet(from) || !parser.isSet(to))
        return usage(QStringLiteral("--terminals, --from and --to are required"));
    const QDate fromDate = QDate::fromString(parser.value(from), Qt::ISODate);
    const QDate toDate = QDate::fromString(parser.value(to), Qt::ISODate);
    if (!fromDate.isValid() || !toDate.isValid())
        return usage(QStringLiteral("--from and --to take dates YYYY-MM-DD"));
    bool ok = false;
    const int workers = parser.value(jobs).toInt(&ok);
    if (!ok || workers < 1)
        return usage(QStringLiteral("--jobs takes a whole number from 1"));

    TerminalListFile::Contents list;
    QString error;
    if (!TerminalListFile::read(parser.value(terminals), list, error)) {
        err() << "termctl collect: " << error << Qt::endl;
        return 1;
    }
    int status = 0;
    for (const auto& rejected : list.rejected) {
        err() << "termctl collect: " << QDir::toNativeSeparators(parser.value(terminals)) << " line " << rejected.line
              << " skipped: " << rejected.reason << Qt::endl;
        status = 2;
    }

    std::unique_ptr<RecordDatabase> database;
    if (parser.isSet(db)) {
        database = std::make_unique<RecordDatabase>();
        if (!database->open(parser.value(db), error)) {
            err() << "termctl collect: " << error << Qt::endl;
            return 1;
        }
    }

    Collector collector(list.terminals, fromDate, toDate);
    collector.start(workers);
    std::vector<TerminalHarvest> harvests;
    for (qsizetype done = 0; done < list.terminals.size(); ++done) {
        TerminalHarvest h = collector.next();
        h.index = list.terminals.at(h.index).line;
        QString line = describe(h) + QStringLiteral(": ");
        if (h.ok && database) {
            const int added = database->addRecords(h.address, h.records, error);
            if (added < 0) {
                h.ok = false;
                h.error = error;
                h.records.clear();
            } else {
                line += QStringLiteral("%1 records, %2 new").arg(h.records.size()).arg(added);
            }
        } else if (h.ok) {
            line += QStringLiteral("%1 records").arg(h.records.size());
        }
        if (!h.ok) {
            line += QStringLiteral("FAILED: ") + h.error;
            status = 2;
        }
        err() << "termctl collect: " << line << Qt::endl;
        harvests.push_back(std::move(h));
    }
    collector.finish();

    const auto rows = tableOrder(harvests);
    if (parser.isSet(out)) {
        CsvWriter writer(parser.value(out));
        if (!writeCsv(writer, rows)) {
            err() << "termctl collect: " << writer.errorString() << Qt::endl;
            return 1;
        }
    } else if (!database) {
        QFile standardOutput;
        standardOutput.open(stdout, QIODevice::WriteOnly);
        CsvWriter writer(&standardOutput);
        if (!writeCsv(writer, rows)) {
            err() << "termctl collect: cannot write the records to standard output" << Qt::endl;
            return 1;
        }
    }
    return status;
}
