#pragma once

#include "RunContext.h"

#include <functional>

class ReadProgress;

// The walk shared by the bulk reads: visit every terminal, report one that
// does not connect in an error box, and run readTerminal on a connected one.
// Whatever readTerminal throws ends that terminal's reading silently; a row
// left half-filled in the target table is cancelled, and the terminal is
// given back in every case.
void runBulkRead(RunContext& context, const QString& unit, const std::function<void(ReadProgress&)>& readTerminal);
