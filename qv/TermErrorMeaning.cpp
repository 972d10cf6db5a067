#include "TermErrorMeaning.h"

#include "TermError.h"

QString termErrorMeaning(int code)
{
    switch (code) {
    case TermError::None: return QStringLiteral("设备未说明原因");
    case TermError::NotConnected: return QStringLiteral("设备未连接");
    case TermError::ConnectTimeout: return QStringLiteral("连接超时");
    case TermError::ConnectionRefused: return QStringLiteral("连接被拒绝");
    case TermError::WrongCommKey: return QStringLiteral("通讯密码错误");
    case TermError::NoSuchMachine: return QStringLiteral("没有该机号的设备");
    case TermError::ReplyTimeout: return QStringLiteral("设备应答超时");
    case TermError::ConnectionLost: return QStringLiteral("通讯中断");
    case TermError::ProtocolError: return QStringLiteral("通讯数据错误");
    case TermError::NoData: return QStringLiteral("没有数据");
    case TermError::InvalidArgument: return QStringLiteral("参数无效");
    case TermError::Refused: return QStringLiteral("设备拒绝或不支持该操作");
    case TermError::Busy: return QStringLiteral("设备忙");
    case TermError::FileError: return QStringLiteral("文件读写错误");
    case TermError::StorageError: return QStringLiteral("设备存储错误");
    }
    return QStringLiteral("未知错误");
}
