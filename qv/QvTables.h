#pragma once

#include <QString>

class WorkingTable;

// The three working tables of the interface tool: their columns, sort orders
// and the defaults of a new terminal row. Column names are the user's words
// and double as grid titles.
namespace QvTables {

inline const QString kDeviceNo = QStringLiteral("设备号");
inline const QString kDeviceType = QStringLiteral("设备类型");
inline const QString kCommMode = QStringLiteral("通讯方式");
inline const QString kSerialPort = QStringLiteral("串口号");
inline const QString kBaudRate = QStringLiteral("波特率");
inline const QString kIpAddress = QStringLiteral("IP地址");
inline const QString kTcpPort = QStringLiteral("端口号");
inline const QString kCommPassword = QStringLiteral("通讯密码");
inline const QString kLinkState = QStringLiteral("连接状态");

inline const QString kEnrollNo = QStringLiteral("登记号");
inline const QString kName = QStringLiteral("姓名");
inline const QString kPassword = QStringLiteral("密码");
inline const QString kKind = QStringLiteral("类型");
inline const QString kDisabled = QStringLiteral("禁用");
inline const QString kTime = QStringLiteral("时间");

inline const QString kSerialMode = QStringLiteral("串口(232/485)");
inline const QString kNetworkMode = QStringLiteral("TCP/IP");
inline const QString kBlackWhite = QStringLiteral("黑白屏");
inline const QString kColour = QStringLiteral("彩色屏");
inline const QString kFace = QStringLiteral("面部识别");
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
