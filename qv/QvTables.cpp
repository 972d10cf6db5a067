#include "QvTables.h"

#include "WorkingTable.h"

namespace QvTables {
namespace {
constexpr int kTextSize = 50;
using Type = WorkingTable::FieldType;

void rebuild(WorkingTable& table, const QList<WorkingTable::FieldDef>& fields, const QString& sort)
{
    table.close();
    table.clearFields();
    for (const auto& field : fields)
        table.addField(field);
    table.createDataSet();
    table.setSort(sort);
}
} // namespace

void rebuildDeviceTable(WorkingTable& table)
{
    rebuild(table,
            {{kDeviceNo, Type::Integer},
             {kDeviceType, Type::Text, kTextSize},
             {kCommMode, Type::Text, kTextSize},
             {kSerialPort, Type::Integer},
             {kBaudRate, Type::Integer},
             {kIpAddress, Type::Text, kTextSize},
             {kTcpPort, Type::Integer},
             {kCommPassword, Type::Text, kTextSize},
             {kLinkState, Type::Text, kTextSize}},
            kDeviceSort);
}

void rebuildPersonTable(WorkingTable& table)
{
    rebuild(table,
            {{kDeviceNo, Type::Integer},
             {kEnrollNo, Type::Text, kTextSize},
             {kName, Type::Text, kTextSize},
             {kPassword, Type::Text, kTextSize},
             {kKind, Type::Integer},
             {kDisabled, Type::Boolean}},
            kPersonSort);
}

void rebuildRecordTable(WorkingTable& table)
{
    rebuild(table,
            {{kDeviceNo, Type::Integer},
             {kEnrollNo, Type::Text, kTextSize},
             {kName, Type::Text, kTextSize},
             {kTime, Type::Text, kTextSize},
             {kKind, Type::Text, kTextSize}},
            kRecordSort);
}

void setNewDeviceDefaults(WorkingTable& table)
{
    const TerminalEntry fresh; // carries the defaults of a new terminal
    for (const QString& column : TerminalEntry::columns())
        table.setFieldValue(column, fresh.value(column));
    table.setFieldValue(kLinkState, QStringLiteral(""));
}

} // namespace QvTables
