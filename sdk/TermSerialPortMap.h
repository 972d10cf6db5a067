#pragma once

#include <QString>

// Maps a serial port number (COM1 is 1) to the device path that ConnectSerial
// opens: /dev/ttyS<n-1> by default; the environment variable TERMSDK_COM<n>
// overrides port n (for example TERMSDK_COM1=/tmp/qv-com1, a pseudo-terminal
// published by the terminal emulator).
class TermSerialPortMap {
public:
    // Empty for a port number below 1.
    static QString devicePath(int port);
    static QString environmentName(int port);
};
