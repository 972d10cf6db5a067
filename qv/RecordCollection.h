#pragma once

#include "RunContext.h"

#include <QString>

namespace RecordCollection {
using Context = RunContext;

// Asks for a date range; unless cancelled, empties the record table and
// collects the in-range attendance records of every terminal into it.
void run(Context& context);
} // namespace RecordCollection
