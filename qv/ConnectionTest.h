#pragma once

class ITermSdk;
class IEventPump;
class WorkingTable;
struct VisitState;

namespace ConnectionTest {
// Visits every terminal of the device table and writes 成功 or 失败 into its 连接状态.
void run(WorkingTable& devices, ITermSdk& sdk, VisitState& state, IEventPump& events);
} // namespace ConnectionTest
