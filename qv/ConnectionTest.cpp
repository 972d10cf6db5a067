#include "ConnectionTest.h"

#include "QvTables.h"
#include "TerminalVisit.h"
#include "WorkingTable.h"

namespace ConnectionTest {

void run(WorkingTable& devices, ITermSdk& sdk, VisitState& state, IEventPump& events)
{
    TerminalVisit::walk(devices, events, [&] {
        if (TerminalVisit::connect(devices, sdk, state))
            TerminalVisit::release(sdk, state);
        devices.edit();
        devices.setFieldValue(QvTables::kLinkState, state.connected ? QvTables::kLinkOk : QvTables::kLinkFailed);
        devices.post();
    });
}

} // namespace ConnectionTest
