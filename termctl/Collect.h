#pragma once

#include <QStringList>

// termctl collect --terminals FILE --from YYYY-MM-DD --to YYYY-MM-DD
//                 [--jobs N] [--out FILE] [--db URL]
// Collects the attendance records of every terminal of a terminal-list file
// for a date range, as QV's record collection does, into a CSV file and/or a
// database. Returns the exit status: 0 when every terminal was collected, 1
// for a usage error or an unusable terminal list, database or output, 2 when
// a terminal failed or a list row was refused (the others are still written).
int runCollect(const QStringList& arguments);
