#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The attendance log fetched by a bulk load, held compactly on the client:
// 16 bytes per record plus the enroll-number texts in one pool. Records are
// parsed and checked when a chunk arrives; next() only walks the array.
class TermLogBuffer {
public:
    struct Entry {
        quint32 time;     // WireTime
        quint32 workCode;
        quint32 enrollOffset;
        quint8 enrollLength;
        quint8 verifyMode;
        quint8 inOutMode;
        quint8 reserved;
    };

    void clear();
    void reserve(quint32 records);
    // Parses count records from a chunk; false (and nothing kept of the chunk)
    // when the chunk is malformed or holds more or fewer bytes than count records.
    bool appendChunk(const char* data, qsizetype length, quint32 count);

    qsizetype size() const { return qsizetype(m_entries.size()); }
    bool atEnd() const { return m_next >= m_entries.size(); }
    const Entry* next() { return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr; }

    QString enrollText(const Entry& e) const
    {
        return QString::fromUtf8(m_pool.constData() + e.enrollOffset, e.enrollLength);
    }
    // The enroll number read as a decimal integer; 0 when it is not one.
    int enrollNumber(const Entry& e) const;

private:
    std::vector<Entry> m_entries;
    QByteArray m_pool;
    size_t m_next = 0;
};
