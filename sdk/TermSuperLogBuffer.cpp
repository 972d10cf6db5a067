#include "TermSuperLogBuffer.h"

#include "WireReader.h"
#include "WireRecords.h"

void TermSuperLogBuffer::clear()
{
    m_entries.clear();
    m_next = 0;
}

bool TermSuperLogBuffer::appendChunk(const char* data, qsizetype length, quint32 count)
{
    if (length != qsizetype(count) * WireRecords::SuperLogRecordSize)
        return false;
    WireReader r(data, length);
    for (quint32 i = 0; i < count; ++i)
        m_entries.push_back(WireRecords::readSuperLog(r));
    return r.ok();
}
