#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// A serial line emulated by a pseudo-terminal: the master side is served here,
// the slave side (/dev/pts/N) is what a client opens as its serial port; its
// path is published under a symlink. The line is in raw mode.
//
// The slave side is also held open here, so that the master does not see a
// hang-up each time a client closes the port; bytes answered while no client
// listens are dropped by the client's flush when it opens the port.
class SimPtyLine : public QObject {
public:
    explicit SimPtyLine(QObject* parent = nullptr);
    ~SimPtyLine() override;

    bool open(const QString& linkPath, QString& error);
    QString linkPath() const { return m_link; }
    QString devicePath() const { return m_device; }

    void setReceiver(std::function<void(const char*, qsizetype)> receiver) { m_receiver = std::move(receiver); }
    void write(const QByteArray& bytes);
    // Forgets output not yet taken by the line (a new session starts).
    void discardPending() { m_pending.clear(); }

private:
    void readable();
    void flush();

    int m_master = -1;
    int m_slave = -1;
    QString m_link;
    QString m_device;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_pending;
    std::function<void(const char*, qsizetype)> m_receiver;
};
