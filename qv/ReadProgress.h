#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

// Tells the window which terminal a bulk read is at and how far it got. The
// count is reported at most a few times a second, so that the report costs
// nothing next to the records themselves; every change of terminal or step
// (connecting, connect failed, reading) is reported at once, so that the
// text is current while a message box about that terminal is up.
class ReadProgress {
public:
    ReadProgress(std::function<void(const QString&)> sink, QString unit);

    void connecting(const QString& deviceNo);
    void connectFailed();
    void reading();
    void count(qint64 kept);
    // The terminal's reading is over: its final count is shown.
    void terminalDone();
    void finish();

private:
    void reportCount();
    void send(const QString& text);

    std::function<void(const QString&)> m_sink;
    QString m_unit;
    QString m_deviceNo;
    qint64 m_total = 0;
    qint64 m_sinceCheck = 0;
    QElapsedTimer m_clock;
};
