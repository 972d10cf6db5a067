#include "BulkRead.h"

#include "ITermSdk.h"
#include "QvTables.h"
#include "ReadProgress.h"
#include "TermError.h"
#include "TermErrorMeaning.h"
#include "TerminalVisit.h"
#include "WorkingTable.h"

#include <exception>

namespace {
// Loads the terminal's data set; on a failure other than "nothing there",
// answers why, otherwise an empty text.
QString loadFailure(RunContext& c, const BulkReadSteps& steps, bool& loaded)
{
    loaded = false;
    try {
        loaded = steps.load();
        if (loaded)
            return {};
        int code = TermError::None;
        c.sdk.GetLastErrorCode(code);
        if (code == TermError::None || code == TermError::NoData)
            return {};
        return QStringLiteral("%1（错误号 %2）").arg(termErrorMeaning(code)).arg(code);
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return termErrorMeaning(-1);
    }
}
} // namespace

void runBulkRead(RunContext& c, const BulkReadSteps& steps)
{
    ReadProgress progress(c.progress, steps.unit);
    QStringList unread; // one line per terminal whose data set could not be loaded
    const auto reportUnread = [&] {
        progress.finish();
        if (!unread.isEmpty())
            c.services.messages->showError(
                c.window, QStringLiteral("以下考勤机的%1未能读取：\n%2").arg(steps.dataName, unread.join(QLatin1Char('\n'))));
    };
    try {
        TerminalVisit::walk(
            c.devices, *c.services.events,
            [&] {
                const QString deviceNo = c.devices.fieldText(QvTables::kDeviceNo);
                progress.connecting(deviceNo);
                if (!TerminalVisit::connect(c.devices, c.sdk, c.state)) {
                    progress.connectFailed();
                    c.services.messages->showError(c.window, QStringLiteral("连接设备(设备号：%1)失败").arg(deviceNo));
                    return;
                }
                progress.reading();
                bool loaded = false;
                const QString why = loadFailure(c, steps, loaded);
                if (!why.isEmpty())
                    unread << QStringLiteral("设备号 %1：%2").arg(deviceNo, why);
                if (loaded) {
                    try {
                        steps.fetch(progress);
                    } catch (...) {
                        c.target.cancel();
                    }
                }
                progress.terminalDone();
                TerminalVisit::release(c.sdk, c.state);
            },
            c.stopRequested);
    } catch (...) {
        reportUnread();
        throw;
    }
    reportUnread();
}
