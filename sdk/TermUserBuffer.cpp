#include "TermUserBuffer.h"

#include "WireReader.h"

void TermUserBuffer::clear()
{
    m_users.clear();
    m_next = 0;
}

bool TermUserBuffer::appendChunk(const char* data, qsizetype length, quint32 count)
{
    const size_t oldSize = m_users.size();
    WireReader r(data, length);
    for (quint32 i = 0; i < count && r.ok(); ++i) {
        User u;
        u.enroll = r.str8();
        u.name = r.str8();
        u.password = r.str8();
        u.privilege = r.u8();
        u.enabled = r.u8() != 0;
        if (r.ok())
            m_users.push_back(std::move(u));
    }
    if (!r.ok() || !r.atEnd() || m_users.size() != oldSize + count) {
        m_users.resize(oldSize);
        return false;
    }
    return true;
}
