#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

// Reports a bulk read's progress at most a few times a second, so that the
// report costs nothing next to the records themselves.
class ReadProgress {
public:
    ReadProgress(std::function<void(const QString&)> sink, QString unit);

    void startTerminal(const QString& deviceNo);
    void count(qint64 kept);
    void finish();

private:
    void report();

    std::function<void(const QString&)> m_sink;
    QString m_unit;
    QString m_deviceNo;
    qint64 m_total = 0;
    qint64 m_sinceCheck = 0;
    QElapsedTimer m_clock;
};
