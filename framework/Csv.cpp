#include "Csv.h"

#include <QFile>
#include <QDir>
#include <QStringDecoder>

namespace Csv {

void appendField(QString& row, QStringView field)
{
    bool quote = !field.isEmpty() && (field.front() == QLatin1Char(' ') || field.back() == QLatin1Char(' ') ||
                                      field.front() == QLatin1Char('\t') || field.back() == QLatin1Char('\t'));
    for (const QChar c : field) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            quote = true;
            break;
        }
    }
    if (!quote) {
        row += field;
        return;
    }
    row += QLatin1Char('"');
    for (const QChar c : field) {
        if (c == QLatin1Char('"'))
            row += QLatin1Char('"');
        row += c;
    }
    row += QLatin1Char('"');
}

QList<Record> parse(QStringView text)
{
    QList<Record> records;
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (n > 0 && text.at(0) == QChar(0xFEFF))
        i = 1;
    int line = 1;
    Record record;
    QString field;
    bool rowHasContent = false; // a row with only an empty field is a blank line
    auto endField = [&] {
        record.fields << field;
        field.clear();
    };
    auto endRow = [&] {
        endField();
        if (rowHasContent)
            records << record;
        record = Record{};
        rowHasContent = false;
    };
    while (i < n) {
        if (!rowHasContent && record.fields.isEmpty() && field.isEmpty())
            record.line = line;
        const QChar c = text.at(i);
        if (c == QLatin1Char('"') && field.isEmpty()) {
            rowHasContent = true;
            ++i;
            // Quoted field: up to the closing quote; "" is one quote.
            while (i < n) {
                const QChar q = text.at(i);
                if (q == QLatin1Char('"')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (q == QLatin1Char('\n') || (q == QLatin1Char('\r') && !(i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))))
                    ++line;
                field += q;
                ++i;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            rowHasContent = true;
            endField();
            ++i;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++i;
            endRow();
            ++line;
        } else {
            rowHasContent = true;
            field += c;
            ++i;
        }
    }
    if (rowHasContent || !field.isEmpty())
        endRow();
    return records;
}

bool readFile(const QString& path, QList<Record>& records, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("无法读取文件“%1”：%2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("无法读取文件“%1”：%2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    QStringDecoder decode(QStringConverter::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError()) {
        error = QStringLiteral("文件“%1”不是UTF-8文本").arg(QDir::toNativeSeparators(path));
        return false;
    }
    records = parse(text);
    return true;
}

} // namespace Csv

CsvWriter::CsvWriter(const QString& path) : m_path(path), m_file(path), m_device(&m_file) {}

CsvWriter::CsvWriter(QIODevice* device) : m_path(QStringLiteral("-")), m_device(device) {}

bool CsvWriter::open()
{
    if (m_device == &m_file && !m_file.open(QIODevice::WriteOnly)) {
        m_failed = true;
        m_reason = m_file.errorString();
        return false;
    }
    m_buffer = QByteArrayLiteral("\xEF\xBB\xBF");
    return true;
}

void CsvWriter::addField(QStringView field)
{
    if (!m_firstField)
        m_row += QLatin1Char(',');
    m_firstField = false;
    Csv::appendField(m_row, field);
}

void CsvWriter::addField(int value)
{
    if (!m_firstField)
        m_row += QLatin1Char(',');
    m_firstField = false;
    m_row += QString::number(value);
}

void CsvWriter::endRow()
{
    m_row += QLatin1String("\r\n");
    m_firstField = true;
    if (m_row.size() >= 32 * 1024) {
        m_buffer += m_row.toUtf8();
        m_row.clear();
        if (m_buffer.size() >= 256 * 1024)
            flushBuffer();
    }
}

void CsvWriter::addRow(const QStringList& fields)
{
    for (const QString& field : fields)
        addField(field);
    endRow();
}

bool CsvWriter::flushBuffer()
{
    if (m_failed)
        return false;
    if (!m_buffer.isEmpty() && m_device->write(m_buffer) != m_buffer.size()) {
        m_failed = true;
        m_reason = m_device->errorString();
    }
    m_buffer.clear();
    return !m_failed;
}

bool CsvWriter::commit()
{
    if (!m_device->isOpen())
        return false;
    m_buffer += m_row.toUtf8();
    m_row.clear();
    if (m_device != &m_file)
        return flushBuffer();
    if (!flushBuffer()) {
        m_file.cancelWriting();
        m_file.commit();
        return false;
    }
    if (!m_file.commit()) {
        m_failed = true;
        m_reason = m_file.errorString();
        return false;
    }
    return true;
}

void CsvWriter::cancel()
{
    if (m_device != &m_file || !m_file.isOpen())
        return;
    m_file.cancelWriting();
    m_file.commit(); // removes the temporary file; the target stays as it was
}

QString CsvWriter::errorString() const
{
    return QStringLiteral("无法写入文件“%1”：%2").arg(QDir::toNativeSeparators(m_path), m_reason);
}
