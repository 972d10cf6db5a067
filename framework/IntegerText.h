#pragma once

#include <QString>

#include <stdexcept>

// A text that was to be read as a number and is not one.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a whole number the way typed entries are read: optional blanks in
// front, an optional sign, then decimal digits, or hexadecimal digits after a
// "$" (so "$1112" is 4370). Anything else, or a value outside 32 bits, throws
// ConversionError naming the text.
int integerFromText(const QString& text);
