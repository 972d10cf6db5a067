#pragma once

#include <QString>

// Exclusive use of a data directory by one termsim process. Two processes
// writing the same data files would each overwrite the other's acknowledged
// changes, so the second one must not start. The lock is a POSIX record lock
// on DIR/termsim.lock: the kernel drops it when the holder dies (kill -9
// included), so a crash never leaves a stale lock behind.
class SimDataLock {
public:
    SimDataLock() = default;
    ~SimDataLock();
    SimDataLock(const SimDataLock&) = delete;
    SimDataLock& operator=(const SimDataLock&) = delete;

    // false with a message naming the holder when another process has the directory.
    bool acquire(const QString& dataDir, QString& error);

private:
    int m_fd = -1;
};
