#include "FingerTemplate.h"

#include "Crc32.h"

#include <QtEndian>

namespace {

// splitmix64: small, fast and the same everywhere.
class Sequence {
public:
    explicit Sequence(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }

private:
    quint64 m_state;
};

int minutiaeFor(int size)
{
    return qMin(FingerTemplate::MaxMinutiae,
                (size - FingerTemplate::HeaderSize - 4) / FingerTemplate::MinutiaSize);
}

} // namespace

QByteArray FingerTemplate::generate(quint64 seed, int size, int quality)
{
    size = qBound(MinSize, size, MaxSize);
    const int n = minutiaeFor(size);
    QByteArray out(size, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    p[0] = 'F';
    p[1] = 'T';
    p[2] = 1;
    p[3] = uchar(qBound(0, quality, 100));
    qToLittleEndian<quint16>(quint16(size), p + 4);
    qToLittleEndian<quint16>(quint16(n), p + 6);
    Sequence random(seed);
    uchar* m = p + HeaderSize;
    for (int i = 0; i < n; ++i, m += MinutiaSize) {
        qToLittleEndian<quint16>(quint16(random.below(256)), m);
        qToLittleEndian<quint16>(quint16(random.below(288)), m + 2);
        m[4] = uchar(random.below(180));
        m[5] = uchar(1 + random.below(2));
    }
    for (uchar* end = p + size - 4; m < end; ++m)
        *m = uchar(64 + random.below(128));
    qToLittleEndian<quint32>(Crc32::compute(p, size - 4), p + size - 4);
    return out;
}

QByteArray FingerTemplate::forFinger(const QString& enroll, int finger, int size)
{
    const QByteArray e = enroll.toUtf8();
    const quint64 seed = (quint64(Crc32::compute(e.constData(), e.size())) << 8) | quint64(finger & 0xFF);
    return generate(seed, size, 60 + int(seed % 40));
}

bool FingerTemplate::isWellFormed(const QByteArray& bytes)
{
    const qsizetype size = bytes.size();
    if (size < MinSize || size > MaxSize)
        return false;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    if (p[0] != 'F' || p[1] != 'T' || p[2] != 1 || p[3] > 100)
        return false;
    if (qFromLittleEndian<quint16>(p + 4) != size || qFromLittleEndian<quint16>(p + 6) != minutiaeFor(int(size)))
        return false;
    return qFromLittleEndian<quint32>(p + size - 4) == Crc32::compute(p, size - 4);
}
