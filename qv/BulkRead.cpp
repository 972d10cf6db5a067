#include "BulkRead.h"

#include "QvTables.h"
#include "ReadProgress.h"
#include "TerminalVisit.h"
#include "WorkingTable.h"

void runBulkRead(RunContext& c, const QString& unit, const std::function<void(ReadProgress&)>& readTerminal)
{
    ReadProgress progress(c.progress, unit);
    TerminalVisit::walk(
        c.devices, *c.services.events,
        [&] {
            const QString deviceNo = c.devices.fieldText(QvTables::kDeviceNo);
            if (!TerminalVisit::connect(c.devices, c.sdk, c.state)) {
                c.services.messages->showError(c.window, QStringLiteral("连接设备(设备号：%1)失败").arg(deviceNo));
                return;
            }
            progress.startTerminal(deviceNo);
            try {
                readTerminal(progress);
            } catch (...) {
                c.target.cancel();
            }
            TerminalVisit::release(c.sdk, c.state);
        },
        c.stopRequested);
    progress.finish();
}
