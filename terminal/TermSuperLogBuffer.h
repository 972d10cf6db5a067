#pragma once

#include <QtGlobal>

#include <vector>

// The management log fetched by LoadSuperLogs, walked by NextSuperLogRecord.
class TermSuperLogBuffer {
public:
    struct Entry {
        qint32 operatorEnroll;
        qint32 targetEnroll;
        qint32 manipulation;
        qint32 params1;
        qint32 params2;
        quint32 time;
    };

    void clear();
    bool appendChunk(const char* data, qsizetype length, quint32 count);

    qsizetype size() const { return qsizetype(m_entries.size()); }
    const Entry* next() { return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr; }

private:
    std::vector<Entry> m_entries;
    size_t m_next = 0;
};
