#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

// The routines the test tool's commands share: integers typed into edit boxes,
// the ANSI text of what the terminal says, template bytes as hexadecimal text,
// and whole-file transfers. Each failure throws an exception whose text is what
// the message box shows; the command that called it ends there.

// A failure that ends the running command with a message box.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit CommandError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

// An integer typed into an edit box: decimal, or hexadecimal after "$" ("$1112"
// is 4370). Text that is no number throws "'text' is not a valid integer value".
int IntegerOf(const QString& text);

// The text as the ANSI code page (GBK) holds it: a character GBK has no code
// for becomes "?".
QString AnsiText(const QString& text);

// Two upper-case hexadecimal digits per byte, high four bits first.
QString BytesToHex(const QByteArray& bytes, int count);
QString BytesToHex(const QByteArray& bytes);
// The value of one hexadecimal digit, either case; a character below "0" is 0.
// A value above 15 throws "Error of Integer: " followed by the character.
int HexDigitValue(QChar c);
// One byte per two characters; a last unpaired character is ignored.
QByteArray HexToBytes(const QString& text);

// The whole content of a file; throws, naming the file and the reason, when it
// cannot be read.
QByteArray LoadFileToString(const QString& fileName);
// Creates or replaces the file with exactly these bytes. The bytes go to a
// temporary file first that then takes the file's place, so a failure never
// leaves a half-written file; it throws, naming the file and the reason.
void SaveStringToFile(const QString& fileName, const QByteArray& bytes);
