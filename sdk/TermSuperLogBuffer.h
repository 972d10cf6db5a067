#pragma once

#include "WireRecords.h"

#include <QtGlobal>

#include <vector>

// The management log fetched by LoadSuperLogs, walked by NextSuperLogRecord.
class TermSuperLogBuffer {
public:
    using Entry = WireRecords::SuperLog;

    void clear();
    bool appendChunk(const char* data, qsizetype length, quint32 count);

    qsizetype size() const { return qsizetype(m_entries.size()); }
    const Entry* next() { return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr; }

private:
    std::vector<Entry> m_entries;
    size_t m_next = 0;
};
