#pragma once

#include <QByteArray>
#include <QString>

// The finger template format of the emulated terminals: what termsim stores
// when a finger is enrolled on its sensor, and the form of the sample
// templates the programs carry. A terminal keeps any template of 1..2048
// bytes as it is given; this format only matters where one is made.
//
// Layout (little-endian), MinSize..MaxSize bytes:
//    0  2  'F' 'T'
//    2  1  format version (1)
//    3  1  quality 0..100
//    4  2  total size in bytes
//    6  2  number of minutiae n (at most MaxMinutiae)
//    8 6n  minutiae: u16 x (0..255), u16 y (0..287) in sensor pixels,
//          u8 direction in 2-degree steps (0..179), u8 type (1 ridge ending,
//          2 bifurcation)
//    .  .  ridge-density samples, one byte each, up to size - 4
//  s-4  4  CRC-32 of every byte before it
class FingerTemplate {
public:
    static constexpr int MinSize = 16;
    static constexpr int MaxSize = 2048;
    static constexpr int HeaderSize = 8;
    static constexpr int MinutiaSize = 6;
    static constexpr int MaxMinutiae = 80;

    // A template of size bytes (clamped to MinSize..MaxSize), the same for the
    // same arguments on every machine.
    static QByteArray generate(quint64 seed, int size, int quality);
    // The template of one finger of one person: what the emulated sensor reads
    // when that finger is placed. enroll is the person's enroll number text.
    static QByteArray forFinger(const QString& enroll, int finger, int size);
    // True when bytes follow the layout above (magic, version, sizes, CRC).
    static bool isWellFormed(const QByteArray& bytes);
};
