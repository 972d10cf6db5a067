#include "ReadProgress.h"

namespace {
constexpr int kReportIntervalMs = 150;
constexpr int kRecordsBetweenClockChecks = 256;
} // namespace

ReadProgress::ReadProgress(std::function<void(const QString&)> sink, QString unit)
    : m_sink(std::move(sink)), m_unit(std::move(unit))
{
    m_clock.start();
}

void ReadProgress::connecting(const QString& deviceNo)
{
    m_deviceNo = deviceNo;
    send(QStringLiteral("连接设备号 %1…").arg(m_deviceNo));
}

void ReadProgress::connectFailed()
{
    send(QStringLiteral("设备号 %1 连接失败").arg(m_deviceNo));
}

void ReadProgress::reading()
{
    reportCount();
}

void ReadProgress::count(qint64 kept)
{
    m_total += kept;
    if (++m_sinceCheck < kRecordsBetweenClockChecks)
        return;
    m_sinceCheck = 0;
    if (m_clock.elapsed() >= kReportIntervalMs)
        reportCount();
}

void ReadProgress::terminalDone()
{
    reportCount();
}

void ReadProgress::finish()
{
    send(QString());
}

void ReadProgress::reportCount()
{
    send(QStringLiteral("读取设备号 %1，已读 %2 %3").arg(m_deviceNo).arg(m_total).arg(m_unit));
}

void ReadProgress::send(const QString& text)
{
    m_clock.restart();
    if (m_sink)
        m_sink(text);
}
