#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;
class QTimer;

// A serial line emulated by a pseudo-terminal: the master side is served here,
// the slave side (/dev/pts/N) is what a client opens as its serial port; its
// path is published under a symlink. The line is in raw mode.
//
// The slave side is also held open here, so that the master does not see a
// hang-up each time a client closes the port; bytes answered while no client
// listens are dropped by the client's flush when it opens the port.
//
// Line speed: with a byte rate set (baud / 10: a start bit, eight data bits
// and a stop bit per byte), bytes move in each direction no faster than a real
// line would carry them. Unread input then waits in the pseudo-terminal, so a
// client writing a large frame sees it leave at line speed. Rate 0: as fast as
// the pseudo-terminal goes.
class SimPtyLine : public QObject {
public:
    explicit SimPtyLine(QObject* parent = nullptr);
    ~SimPtyLine() override;

    bool open(const QString& linkPath, QString& error);
    QString linkPath() const { return m_link; }
    QString devicePath() const { return m_device; }

    // Bits per second of the emulated line; 0 or less: no line speed.
    void setBaud(int baud);
    int baud() const { return m_baud; }

    void setReceiver(std::function<void(const char*, qsizetype)> receiver) { m_receiver = std::move(receiver); }
    // Asked before reading: false holds the input in the pseudo-terminal (the
    // reader has too much to send); resumeInput() asks again.
    void setInputGate(std::function<bool()> gate) { m_gate = std::move(gate); }
    // Told when output has left, so that a held reader can go on.
    void setDrained(std::function<void()> drained) { m_drained = std::move(drained); }
    void resumeInput();

    void write(const QByteArray& bytes);
    // Bytes written but not yet taken by the line.
    qint64 pendingBytes() const { return m_pending.size() - m_pendingPos; }
    // Forgets output not yet taken by the line (a new session starts).
    void discardPending();

private:
    void readable();
    void flush();
    void tick();
    // Bytes the line can carry now in one direction, refilled by elapsed time.
    qint64 allowance(double& credit, QElapsedTimer& clock) const;
    static void startFromQuiet(double& credit, QElapsedTimer& clock);
    static constexpr qint64 kQuietMs = 20;

    int m_master = -1;
    int m_slave = -1;
    QString m_link;
    QString m_device;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer* m_pace = nullptr;
    QByteArray m_pending;
    qsizetype m_pendingPos = 0;
    int m_baud = 0;
    double m_inCredit = 0;
    double m_outCredit = 0;
    QElapsedTimer m_inClock;
    QElapsedTimer m_outClock;
    bool m_inputHeld = false;
    bool m_inputPaced = false; // input waits for the pacing tick, not for bytes
    QElapsedTimer m_lastRead;
    std::function<void(const char*, qsizetype)> m_receiver;
    std::function<bool()> m_gate;
    std::function<void()> m_drained;
};
