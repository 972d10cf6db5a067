#pragma once

#include <QByteArray>
#include <QString>

// Builds a payload: little-endian integers, length-prefixed UTF-8 texts and byte blobs.
class WireWriter {
public:
    WireWriter() = default;
    explicit WireWriter(qsizetype reserve) { m_data.reserve(reserve); }

    WireWriter& u8(quint8 v);
    WireWriter& u16(quint16 v);
    WireWriter& u32(quint32 v);
    WireWriter& i32(qint32 v) { return u32(quint32(v)); }
    WireWriter& i64(qint64 v);
    // Text of at most 255 UTF-8 bytes after a one-byte length; longer texts are cut
    // at a character boundary.
    WireWriter& str8(const QString& text);
    WireWriter& str8(const QByteArray& utf8);
    // Text of at most 65535 UTF-8 bytes after a two-byte length.
    WireWriter& str16(const QString& text);
    // Bytes after a four-byte length.
    WireWriter& blob(const QByteArray& bytes);
    WireWriter& raw(const char* data, qsizetype length);

    const QByteArray& data() const { return m_data; }
    QByteArray& data() { return m_data; }
    qsizetype size() const { return m_data.size(); }

    // UTF-8 of text cut to at most maxBytes at a character boundary.
    static QByteArray utf8Cut(const QString& text, int maxBytes);

private:
    template <typename T>
    WireWriter& littleEndian(T v);

    QByteArray m_data;
};
