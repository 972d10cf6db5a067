#include "TermError.h"

namespace TermError {

QString text(int code)
{
    switch (code) {
    case None: return QStringLiteral("no error");
    case NotConnected: return QStringLiteral("not connected");
    case ConnectTimeout: return QStringLiteral("connect timed out");
    case ConnectionRefused: return QStringLiteral("connection refused");
    case WrongCommKey: return QStringLiteral("wrong communication key");
    case NoSuchMachine: return QStringLiteral("no terminal with that machine number");
    case ReplyTimeout: return QStringLiteral("reply timed out");
    case ConnectionLost: return QStringLiteral("connection lost");
    case ProtocolError: return QStringLiteral("protocol error");
    case NoData: return QStringLiteral("no data");
    case InvalidArgument: return QStringLiteral("invalid argument");
    case Refused: return QStringLiteral("refused or unsupported by the terminal");
    case Busy: return QStringLiteral("terminal busy");
    case FileError: return QStringLiteral("file error");
    case StorageError: return QStringLiteral("terminal storage error");
    }
    return QStringLiteral("unknown error");
}

QString name(int code)
{
    switch (code) {
    case None: return QStringLiteral("None");
    case NotConnected: return QStringLiteral("NotConnected");
    case ConnectTimeout: return QStringLiteral("ConnectTimeout");
    case ConnectionRefused: return QStringLiteral("ConnectionRefused");
    case WrongCommKey: return QStringLiteral("WrongCommKey");
    case NoSuchMachine: return QStringLiteral("NoSuchMachine");
    case ReplyTimeout: return QStringLiteral("ReplyTimeout");
    case ConnectionLost: return QStringLiteral("ConnectionLost");
    case ProtocolError: return QStringLiteral("ProtocolError");
    case NoData: return QStringLiteral("NoData");
    case InvalidArgument: return QStringLiteral("InvalidArgument");
    case Refused: return QStringLiteral("Refused");
    case Busy: return QStringLiteral("Busy");
    case FileError: return QStringLiteral("FileError");
    case StorageError: return QStringLiteral("StorageError");
    }
    return QStringLiteral("Unknown");
}

} // namespace TermError
