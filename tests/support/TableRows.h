#pragma once

#include "WorkingTable.h"

#include <QStringList>

// Every row of a table in its sort order, each as its column texts joined by
// the separator: compact to compare in a test.
inline QStringList tableRows(WorkingTable& table, QChar separator = QLatin1Char('/'))
{
    QStringList rows;
    for (table.first(); !table.eof(); table.next()) {
        QStringList values;
        for (const auto& field : table.fields())
            values << table.fieldText(field.name);
        rows << values.join(separator);
    }
    return rows;
}
