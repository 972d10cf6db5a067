#include "SimSeeder.h"

#include "WireTime.h"

#include <QHash>

#include <algorithm>

namespace {

class Random {
public:
    explicit Random(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); }

private:
    quint64 m_state;
};

const char16_t* const kSurnames[] = {u"王", u"李", u"张", u"刘", u"陈", u"杨", u"黄", u"赵", u"吴", u"周",
                                     u"徐", u"孙", u"马", u"朱", u"胡", u"郭", u"何", u"高", u"林", u"罗"};
const char16_t* const kGiven[] = {u"伟", u"芳", u"娜", u"敏", u"静", u"丽", u"强", u"磊", u"军", u"洋",
                                  u"勇", u"艳", u"杰", u"娟", u"涛", u"明", u"超", u"秀英", u"霞", u"平",
                                  u"刚", u"桂英", u"建华", u"晓东", u"海燕", u"志强", u"文", u"斌", u"玲", u"鹏"};

} // namespace

QString SimSeeder::enrollOf(SimKind kind, int index)
{
    return kind == SimKind::BlackWhite ? QString::number(index + 1) : QString::number(1001 + index);
}

void SimSeeder::seed(SimTerminalData& data, const Options& o)
{
    Random rng(o.seed);
    const QDate lastDay = o.lastDay.isValid() ? o.lastDay : QDate::currentDate();
    const int days = qMax(1, o.days);
    const QDate firstDay = lastDay.addDays(-(days - 1));
    const quint32 firstDayWire = WireTime::fromFields(firstDay.year(), firstDay.month(), firstDay.day(), 0, 0, 0);

    data.users.clear();
    data.enrollTexts.clear();
    data.logs.clear();
    data.superLogs.clear();

    const int users = qMax(0, o.users);
    data.users.reserve(size_t(users));
    for (int i = 0; i < users; ++i) {
        SimUser u;
        u.enroll = enrollOf(data.kind, i);
        u.name = QString::fromUtf16(kSurnames[rng.below(20)]) + QString::fromUtf16(kGiven[rng.below(30)]);
        if (rng.below(100) < 30)
            u.password = QString::number(1000 + rng.below(9000));
        u.privilege = i == 0 ? 3 : (i <= 2 ? 2 : 0);
        u.enabled = rng.below(100) >= 2;
        const int fingers = data.kind == SimKind::Face ? rng.below(2) : 1 + rng.below(2);
        for (int f = 0; f < fingers; ++f) {
            QByteArray t(394 + rng.below(200), Qt::Uninitialized);
            for (char& c : t)
                c = char(rng.next());
            u.templates[size_t(f)] = t;
        }
        data.users.push_back(u);

        SimSuperLogRecord s;
        s.manipulation = 1; // user written
        s.targetEnroll = u.enroll.toInt();
        s.params1 = fingers;
        s.time = firstDayWire + 9 * 3600 + quint32(i) * 60;
        data.superLogs.push_back(s);
    }

    // Enroll numbers of the log: the seeded users, or 50 anonymous numbers.
    const int pool = users > 0 ? users : 50;
    for (int i = 0; i < pool; ++i)
        data.enrollTexts.append(users > 0 ? data.users[size_t(i)].enroll.toUtf8() : enrollOf(data.kind, i).toUtf8());

    const qint64 n = qMax<qint64>(0, o.logs);
    data.logs.resize(size_t(n));
    const bool minutes = data.kind == SimKind::BlackWhite;
    for (qint64 i = 0; i < n; ++i) {
        SimLogRecord& r = data.logs[size_t(i)];
        const quint32 day = quint32((i * days) / qMax<qint64>(1, n));
        const int kindRoll = rng.below(1000);
        int from, span;
        if (kindRoll < 450) { r.inOutMode = 0; from = 7 * 3600 + 1800; span = 7200; }
        else if (kindRoll < 850) { r.inOutMode = 1; from = 17 * 3600; span = 9000; }
        else if (kindRoll < 900) { r.inOutMode = 2; from = 12 * 3600; span = 1800; }
        else if (kindRoll < 950) { r.inOutMode = 3; from = 13 * 3600; span = 1800; }
        else if (kindRoll < 975) { r.inOutMode = 4; from = 19 * 3600 + 1800; span = 3600; }
        else if (kindRoll < 998) { r.inOutMode = 5; from = 21 * 3600; span = 7200; }
        else { r.inOutMode = 8; from = 10 * 3600; span = 3600; }
        int second = from + rng.below(span);
        if (minutes)
            second -= second % 60;
        r.time = firstDayWire + day * 86400 + quint32(second);
        r.enrollId = quint32(rng.below(pool));
        const int v = rng.below(100);
        if (data.kind == SimKind::Face)
            r.verifyMode = v < 80 ? 15 : 1;
        else
            r.verifyMode = v < 88 ? 1 : (v < 94 ? 0 : 2);
        r.workCode = 0;
    }
    std::stable_sort(data.logs.begin(), data.logs.end(),
                     [](const SimLogRecord& a, const SimLogRecord& b) { return a.time < b.time; });
}
