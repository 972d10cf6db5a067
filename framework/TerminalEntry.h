#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One terminal as the user enters it: the device table's columns as texts,
// exactly as typed in the terminal editor or found in a terminal-list file.
// The editor, the terminal-list import and the command-line collector check
// entries with the same rules, so a terminal one of them accepts the others
// accept too.
struct TerminalEntry {
    // The terminal-list columns, in the device table's order.
    static inline const QString kDeviceNo = QStringLiteral("设备号");
    static inline const QString kDeviceType = QStringLiteral("设备类型");
    static inline const QString kCommMode = QStringLiteral("通讯方式");
    static inline const QString kSerialPort = QStringLiteral("串口号");
    static inline const QString kBaudRate = QStringLiteral("波特率");
    static inline const QString kIpAddress = QStringLiteral("IP地址");
    static inline const QString kTcpPort = QStringLiteral("端口号");
    static inline const QString kCommPassword = QStringLiteral("通讯密码");
    static QStringList columns();

    static inline const QString kSerialMode = QStringLiteral("串口(232/485)");
    static inline const QString kNetworkMode = QStringLiteral("TCP/IP");
    static inline const QString kBlackWhite = QStringLiteral("黑白屏");
    static inline const QString kColour = QStringLiteral("彩色屏");
    static inline const QString kFace = QStringLiteral("面部识别");

    // The values of a terminal just added, before the user changes anything.
    QString deviceNo = QStringLiteral("1");
    QString deviceType = kColour;
    QString commMode = kSerialMode;
    QString serialPort = QStringLiteral("1");
    QString baudRate = QStringLiteral("19200");
    QString ipAddress;
    QString tcpPort = QStringLiteral("4370");
    QString commPassword;

    QString value(const QString& column) const;
    void setValue(const QString& column, const QString& text);

    // Only the exact serial entry selects the serial line; any other text is TCP/IP.
    bool isSerial() const { return commMode == kSerialMode; }
    // The black-and-white kind is read with the numeric fetches, every other with the text ones.
    bool isBlackWhite() const { return deviceType == kBlackWhite; }

    // A failed check: which column and the message the editor shows for it.
    struct Problem {
        QString column;
        QString message;
    };

    // The editor's ordered entry check: emptiness and list membership only,
    // stopping at the first failure; the password is required for a TCP/IP
    // terminal only when withPassword (the connection test).
    std::optional<Problem> check(bool withPassword) const;

    // The check of a stored terminal (a terminal-list file row): the entry
    // check, then every integer column the table holds must read as a whole
    // number (or be empty), as the device table's own conversion demands.
    std::optional<Problem> checkStored() const;

    // The integer of an integer column as the device table reads it (blanks
    // around are ignored); nothing for an empty or unreadable text.
    static std::optional<int> tableInteger(const QString& text);
};
