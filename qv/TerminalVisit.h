#pragma once

#include <QString>

#include <functional>

class ITermSdk;
class IEventPump;
class WorkingTable;

// The working values of one terminal visit. They keep their values from one
// row to the next and from one run to the next.
struct VisitState {
    int machineNumber = 0;
    int port = 0;
    int baudRate = 0;
    int commKey = -1; // -1: no key
    QString ipAddress;
    bool connected = false;
};

// The visit every terminal operation of the interface tool makes per device
// row: choose the transport from the row, set the key, connect, (the
// operation's work), give the terminal back, pause.
namespace TerminalVisit {

constexpr int kNoKey = -1;
constexpr int kPauseAfterRowMs = 100;

// The comm key of a 通讯密码 text: the empty text means no key; otherwise the
// text must be a whole number (throws ConversionError), and -1 means no key too.
int commKeyFromText(const QString& password);

// Connects to the terminal of the device table's current row, filling the
// state; returns whether it connected. Every conversion of the row's values
// happens before the first SDK call, so a bad value makes no call at all.
bool connect(const WorkingTable& devices, ITermSdk& sdk, VisitState& state);

// Gives a connected terminal back: refresh, re-enable, disconnect, in this
// order, whatever their results.
void release(ITermSdk& sdk, const VisitState& state);

// Walks the device table from its first row to its last, calling visitRow on
// each and pausing after it. stopRequested, when given, is asked before each
// row (the window is being closed); the walk then ends early.
void walk(WorkingTable& devices, IEventPump& events, const std::function<void()>& visitRow,
          const std::function<bool()>& stopRequested = {});

} // namespace TerminalVisit
