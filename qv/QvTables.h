#pragma once

#include "AttendanceText.h"
#include "TerminalEntry.h"

#include <QString>

class WorkingTable;

// The three working tables of the interface tool: their columns, sort orders
// and the defaults of a new terminal row. Column names are the user's words
// and double as grid titles; the device table's are the terminal-list
// columns (TerminalEntry), the record table's those of a record row
// (AttendanceText), so that files and the command-line collector use the same.
namespace QvTables {

inline const QString& kDeviceNo = TerminalEntry::kDeviceNo;
inline const QString& kDeviceType = TerminalEntry::kDeviceType;
inline const QString& kCommMode = TerminalEntry::kCommMode;
inline const QString& kSerialPort = TerminalEntry::kSerialPort;
inline const QString& kBaudRate = TerminalEntry::kBaudRate;
inline const QString& kIpAddress = TerminalEntry::kIpAddress;
inline const QString& kTcpPort = TerminalEntry::kTcpPort;
inline const QString& kCommPassword = TerminalEntry::kCommPassword;
inline const QString kLinkState = QStringLiteral("连接状态");

inline const QString& kEnrollNo = AttendanceText::kEnrollNo;
inline const QString& kName = AttendanceText::kName;
inline const QString kPassword = QStringLiteral("密码");
inline const QString kKind = QStringLiteral("类型");
inline const QString kDisabled = QStringLiteral("禁用");
inline const QString& kTime = AttendanceText::kTime;

inline const QString& kSerialMode = TerminalEntry::kSerialMode;
inline const QString& kNetworkMode = TerminalEntry::kNetworkMode;
inline const QString& kBlackWhite = TerminalEntry::kBlackWhite;
inline const QString& kColour = TerminalEntry::kColour;
inline const QString& kFace = TerminalEntry::kFace;
inline const QString kLinkOk = QStringLiteral("成功");
inline const QString kLinkFailed = QStringLiteral("失败");

inline const QString kDeviceSort = QStringLiteral("[设备号] ASC");
inline const QString kPersonSort = QStringLiteral("[设备号] ASC, [登记号] ASC");
inline const QString kRecordSort = QStringLiteral("[时间] DESC, [设备号] ASC");

// Close, redefine and open the table empty, then set its sort order.
void rebuildDeviceTable(WorkingTable& table);
void rebuildPersonTable(WorkingTable& table);
void rebuildRecordTable(WorkingTable& table);

// The values of a terminal row just appended, before the user changes anything.
void setNewDeviceDefaults(WorkingTable& table);

} // namespace QvTables
