#pragma once

#include <QByteArray>
#include <QString>

// Reads a payload written by WireWriter. Every read is bounds-checked: reading
// past the end yields zero or empty values and clears ok() for good, so a
// caller reads all fields and checks ok() once (and atEnd() when the payload
// must hold nothing more).
class WireReader {
public:
    explicit WireReader(const QByteArray& data) : WireReader(data.constData(), data.size()) {}
    WireReader(const char* data, qsizetype length) : m_p(data), m_end(data + length) {}

    quint8 u8();
    quint16 u16();
    quint32 u32();
    qint32 i32() { return qint32(u32()); }
    qint64 i64();
    QString str8();
    QByteArray str8Bytes();
    QString str16();
    // A blob of at most maxLength bytes (longer is an error).
    QByteArray blob(quint32 maxLength = 1u << 30);
    // Pointer to the next length bytes, or nullptr (and not ok) when fewer remain.
    const char* take(qsizetype length);

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p == m_end; }
    qsizetype remaining() const { return m_end - m_p; }
    void fail() { m_ok = false; m_p = m_end; }

private:
    template <typename T>
    T littleEndian();

    const char* m_p;
    const char* m_end;
    bool m_ok = true;
};
