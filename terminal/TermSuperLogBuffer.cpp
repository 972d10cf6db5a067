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
    for (quint32 i = 0; i < count; ++i) {
        Entry e;
        e.operatorEnroll = r.i32();
        e.targetEnroll = r.i32();
        e.manipulation = r.i32();
        e.params1 = r.i32();
        e.params2 = r.i32();
        e.time = r.u32();
        m_entries.push_back(e);
    }
    return r.ok();
}
