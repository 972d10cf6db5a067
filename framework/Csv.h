#pragma once

#include <QByteArray>
#include <QList>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QStringView>

// The CSV files users take elsewhere (spreadsheets, payroll, other tools):
// UTF-8 with a byte-order mark, so that spreadsheets show the Chinese text;
// fields separated by "," and rows ended by CR LF; a field is quoted with '"'
// (inner quotes doubled) when it holds a comma, a quote, a line break, or
// blanks at either end that a reader would otherwise trim.
namespace Csv {

// Appends one field, quoted where needed, to a row being built.
void appendField(QString& row, QStringView field);

// One record read from a file, with the line it starts on (from 1).
struct Record {
    int line = 0;
    QStringList fields;
};

// Reads CSV text (RFC 4180, tolerant): quoted fields may hold separators,
// doubled quotes and line breaks; CR LF, LF and CR all end a row; blank lines
// are skipped; a leading byte-order mark is ignored.
QList<Record> parse(QStringView text);

// Reads a whole CSV file as UTF-8 (with or without a byte-order mark).
// Returns false with a message naming the file when it cannot be read.
bool readFile(const QString& path, QList<Record>& records, QString& error);

} // namespace Csv

// Writes a CSV file atomically: rows go to a temporary file beside the target,
// which replaces the target only at commit(); a failed or cancelled write
// leaves an existing file untouched. Rows are built in memory and written in
// blocks, so millions of rows cost little more than their bytes.
class CsvWriter {
public:
    explicit CsvWriter(const QString& path);
    // Writes to a device that is already open (standard output, say); nothing
    // is atomic there, and commit() only flushes.
    explicit CsvWriter(QIODevice* device);

    // Opens the temporary file and writes the byte-order mark.
    bool open();
    void addField(QStringView field);
    void addField(int value);
    void endRow();
    void addRow(const QStringList& fields);
    // Writes what is buffered and replaces the target; false on any failure.
    bool commit();
    void cancel();

    // What went wrong, naming the file: "无法写入文件“PATH”：REASON".
    QString errorString() const;

private:
    bool flushBuffer();

    QString m_path;
    QSaveFile m_file;
    QIODevice* m_device = nullptr; // m_file, or the device given
    QString m_row;
    QByteArray m_buffer;
    bool m_firstField = true;
    bool m_failed = false;
    QString m_reason;
};
