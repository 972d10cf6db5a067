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

void ReadProgress::startTerminal(const QString& deviceNo)
{
    m_deviceNo = deviceNo;
    report();
}

void ReadProgress::count(qint64 kept)
{
    m_total += kept;
    if (++m_sinceCheck < kRecordsBetweenClockChecks)
        return;
    m_sinceCheck = 0;
    if (m_clock.elapsed() >= kReportIntervalMs)
        report();
}

void ReadProgress::finish()
{
    if (m_sink)
        m_sink(QString());
}

void ReadProgress::report()
{
    m_clock.restart();
    if (m_sink)
        m_sink(QStringLiteral("—— 正在读取设备号 %1，已读 %2 %3").arg(m_deviceNo).arg(m_total).arg(m_unit));
}
