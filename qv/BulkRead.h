#pragma once

#include "RunContext.h"

#include <QString>

#include <functional>

class ReadProgress;

// What a bulk read loads and fetches, and the words its messages use.
struct BulkReadSteps {
    QString unit;     // counted thing in the progress text ("人", "条")
    QString dataName; // what is read, for the message about terminals that could not be read
    // Asks the connected terminal to load its data set; false: nothing loaded.
    std::function<bool()> load;
    // Fetches the loaded data set into the target table.
    std::function<void(ReadProgress&)> fetch;
};

// The walk shared by the bulk reads: visit every terminal, report one that
// does not connect in an error box, and load and fetch on a connected one.
// Whatever the fetch throws ends that terminal's reading silently; a row
// left half-filled in the target table is cancelled, and the terminal is
// given back in every case. A load that fails for another reason than an
// empty data set is noted, and after the walk one message names every
// terminal so noted, so that lost data is never taken for no data.
void runBulkRead(RunContext& context, const BulkReadSteps& steps);
