#pragma once

#include <QString>

// Error codes of the terminal layer. GetLastErrorCode reports one of these;
// a terminal's reply frame carries the terminal-side ones in its status field.
// The table is documented in docs/protocol.md; keep both in step.
//
//   0  None               no error
//   1  NotConnected       no session is open (connect first)
//   2  ConnectTimeout     the terminal did not answer the connect in time
//   3  ConnectionRefused  nothing accepts connections there: the port is closed,
//                         the serial device cannot be opened, or the terminal
//                         refuses connections
//   4  WrongCommKey       the terminal refused the communication key
//   5  NoSuchMachine      no terminal with that machine number on this port or line
//   6  ReplyTimeout       the terminal did not answer a request in time
//   7  ConnectionLost     the connection broke during the call
//   8  ProtocolError      a malformed, corrupt, oversized or unexpected frame
//   9  NoData             nothing to read: no such user, template or record
//  10  InvalidArgument    an argument is out of range or not well formed
//  11  Refused            the terminal refuses or does not support the request
//  12  Busy               the terminal is busy with an enrol/verify/identify
//  13  FileError          a local file could not be read or written
//  14  StorageError       the terminal could not store the change
namespace TermError {
enum Code : int {
    None = 0,
    NotConnected = 1,
    ConnectTimeout = 2,
    ConnectionRefused = 3,
    WrongCommKey = 4,
    NoSuchMachine = 5,
    ReplyTimeout = 6,
    ConnectionLost = 7,
    ProtocolError = 8,
    NoData = 9,
    InvalidArgument = 10,
    Refused = 11,
    Busy = 12,
    FileError = 13,
    StorageError = 14,
};

// Short English meaning of a code, for messages ("connection refused").
QString text(int code);
// Symbolic name of a code ("ConnectionRefused"); "Unknown" for other values.
QString name(int code);
} // namespace TermError
