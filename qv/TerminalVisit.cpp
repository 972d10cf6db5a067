#include "TerminalVisit.h"

#include "ITermSdk.h"
#include "IntegerText.h"
#include "QvTables.h"
#include "UiServices.h"
#include "WorkingTable.h"

namespace TerminalVisit {

int commKeyFromText(const QString& password)
{
    if (password.isEmpty())
        return kNoKey;
    return integerFromText(password);
}

bool connect(const WorkingTable& devices, ITermSdk& sdk, VisitState& state)
{
    using namespace QvTables;
    if (devices.fieldText(kCommMode) == kSerialMode) {
        state.machineNumber = devices.fieldInteger(kDeviceNo);
        state.port = devices.fieldInteger(kSerialPort);
        state.baudRate = devices.fieldInteger(kBaudRate);
        state.commKey = commKeyFromText(devices.fieldText(kCommPassword));
        if (state.commKey != kNoKey)
            sdk.SetCommKey(state.commKey);
        sdk.SetCommPort(state.port);
        state.connected = sdk.ConnectSerial(state.port, state.machineNumber, state.baudRate);
    } else {
        state.machineNumber = 1; // a network terminal always answers as machine 1
        state.ipAddress = devices.fieldText(kIpAddress);
        state.port = devices.fieldInteger(kTcpPort);
        state.commKey = commKeyFromText(devices.fieldText(kCommPassword));
        if (state.commKey != kNoKey)
            sdk.SetCommKey(state.commKey);
        state.connected = sdk.ConnectNetwork(state.ipAddress, state.port);
    }
    return state.connected;
}

void release(ITermSdk& sdk, const VisitState& state)
{
    sdk.RefreshDeviceData(state.machineNumber);
    sdk.SetDeviceEnabled(state.machineNumber, true);
    sdk.Disconnect();
}

void walk(WorkingTable& devices, IEventPump& events, const std::function<void()>& visitRow,
          const std::function<bool()>& stopRequested)
{
    devices.first();
    while (!devices.eof()) {
        if (stopRequested && stopRequested())
            return;
        visitRow();
        events.pause(kPauseAfterRowMs);
        devices.next();
    }
}

} // namespace TerminalVisit
