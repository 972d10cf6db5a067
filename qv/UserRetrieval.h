#pragma once

#include "RunContext.h"

namespace UserRetrieval {
using Context = RunContext;
// Empties the person table, then reads the users of every terminal into it.
void run(Context& context);
} // namespace UserRetrieval
