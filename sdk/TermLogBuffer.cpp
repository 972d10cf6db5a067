#include "TermLogBuffer.h"

#include "WireRecords.h"

void TermLogBuffer::clear()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_pool.clear();
    m_pool.squeeze();
    m_next = 0;
}

void TermLogBuffer::reserve(quint32 records)
{
    // The announced count is only a hint from the far end: cap what it may make us allocate.
    const size_t n = qMin<quint32>(records, 1u << 22);
    m_entries.reserve(n);
    m_pool.reserve(qsizetype(n) * 6);
}

bool TermLogBuffer::appendChunk(const char* data, qsizetype length, quint32 count)
{
    const size_t oldSize = m_entries.size();
    const qsizetype oldPool = m_pool.size();
    const char* p = data;
    const char* end = data + length;
    WireRecords::LogView v;
    for (quint32 i = 0; i < count; ++i) {
        if (!WireRecords::parseLog(p, end, v)) {
            m_entries.resize(oldSize);
            m_pool.truncate(oldPool);
            return false;
        }
        Entry e;
        e.time = v.time;
        e.workCode = v.workCode;
        e.enrollOffset = quint32(m_pool.size());
        e.enrollLength = v.enrollLength;
        e.verifyMode = v.verifyMode;
        e.inOutMode = v.inOutMode;
        e.reserved = 0;
        m_pool.append(v.enroll, v.enrollLength);
        m_entries.push_back(e);
    }
    if (p != end) {
        m_entries.resize(oldSize);
        m_pool.truncate(oldPool);
        return false;
    }
    return true;
}

int TermLogBuffer::enrollNumber(const Entry& e) const
{
    const char* p = m_pool.constData() + e.enrollOffset;
    qint64 value = 0;
    for (int i = 0; i < e.enrollLength; ++i) {
        const char c = p[i];
        if (c < '0' || c > '9' || value > 214748364)
            return 0;
        value = value * 10 + (c - '0');
    }
    return value > 2147483647 ? 0 : int(value);
}
