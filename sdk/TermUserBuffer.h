#pragma once

#include <QString>

#include <vector>

// The user list fetched by LoadAllUserIds, walked by the Next user calls.
class TermUserBuffer {
public:
    struct User {
        QString enroll;
        QString name;
        QString password;
        int privilege = 0;
        bool enabled = true;
    };

    void clear();
    // Parses count user records; false (and nothing kept of the chunk) when malformed.
    bool appendChunk(const char* data, qsizetype length, quint32 count);

    qsizetype size() const { return qsizetype(m_users.size()); }
    const User* next() { return m_next < m_users.size() ? &m_users[m_next++] : nullptr; }

private:
    std::vector<User> m_users;
    size_t m_next = 0;
};
