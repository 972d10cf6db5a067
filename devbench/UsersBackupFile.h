#pragma once

#include <QString>

#include <functional>
#include <optional>

class IEventPump;
class ITermSdk;

// The users backup file: every user of a terminal with name, password,
// privilege, enabled flag and finger templates, as an INI text file in GBK
// (the ANSI code page of the files the original Windows tool writes), one
// section "Users_<enroll number>" per user:
//
//   [Users_1]
//   Privilege=0
//   Enabled=1
//   Name=...
//   Password=...
//   FPT_0=<template as upper-case hexadecimal text>
//   ...
//
// Limits of the restore, which reads files from anywhere: a file of more than
// MaxSections sections is refused whole, and so is any value longer than
// MaxValueChars characters (the backup writes at most 4096: a 2048-byte
// template); a template value with an odd number of digits is taken for a
// file cut short. Each of these stops the restore with an error; users
// restored before it stay on the terminal, and the message area says how far
// the restore got.
class UsersBackupFile {
public:
    using MessageSink = std::function<void(const QString&)>;

    static constexpr int FirstUser = 1;
    static constexpr int LastUser = 65534;
    static constexpr int Fingers = 10;
    static constexpr int TemplateBufferBytes = 2048;
    static constexpr qsizetype MaxValueChars = 4096;
    // Room for every restorable section "Users_1" .. "Users_65534" and a few others.
    static constexpr qsizetype MaxSections = 65536;

    // Writes every user of the terminal to the file, replacing it. The old
    // file is deleted first; when the terminal gives no users (LoadAllUserIds
    // fails) no file is left. The file appears whole or not at all. Adds no
    // message line. Throws CommandError naming the file when it cannot be
    // deleted or written.
    static void backup(ITermSdk& sdk, int machineNumber, const QString& fileName);

    // Writes the users of sections Users_1 .. Users_65534, in ascending
    // number, to the terminal, letting pending window messages run once per
    // user, and reports each template write. Throws CommandError when the file
    // cannot be read or breaks a limit (after the line that says how far the
    // restore got), and the "Error of Integer: " error of a template that is no
    // hexadecimal text.
    static void restore(ITermSdk& sdk, int machineNumber, const QString& fileName, IEventPump& pump,
                        const MessageSink& addMessage);

    // An INI value read as the Windows profile functions read an integer
    // (GetPrivateProfileInt): a missing or empty value gives the default;
    // otherwise an optional sign, a lower-case prefix 0x, 0o or 0b, and the
    // digits up to the first other character ("12abc" is 12, "abc" is 0),
    // wrapping modulo 2^32.
    static int profileInteger(const std::optional<QString>& value, int defaultValue);
};
