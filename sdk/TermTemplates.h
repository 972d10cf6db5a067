#pragma once

#include <QByteArray>
#include <QString>

// Finger template texts and formats handled on the client side.
//
// A template is 1 to MaxBytes bytes of the terminal's own data; the terminal
// stores it as given. The older format that ConvertFingerTemplate produces is
// the same data framed for older terminals: a format byte 0x01, the length as
// two bytes little-endian, the data, and a one-byte XOR of the data.
class TermTemplates {
public:
    static constexpr int MaxBytes = 2048;

    static bool validSize(qsizetype size) { return size >= 1 && size <= MaxBytes; }
    // Strict Base64 (no stray characters); false when the text is no template.
    static bool fromBase64(const QString& text, QByteArray& out);
    // Hexadecimal text, two digits a byte, either case; false on an odd length,
    // a character that is no digit, or a size out of range.
    static bool fromHex(const QString& text, QByteArray& out);
    static QByteArray toOldFormat(const QByteArray& templateData);
};
