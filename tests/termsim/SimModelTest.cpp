// The terminal model, its data file format, the seeding and the command line.
#include "Crc32.h"
#include "SimOptions.h"
#include "SimSeeder.h"
#include "SimStore.h"
#include "SimTerminal.h"
#include "TermError.h"
#include "WireTime.h"

#include <QtTest>

#include <limits>

class SimModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void enrollNumbersByKind_data();
    void enrollNumbersByKind();
    void statusCountersFollowData();
    void deleteEnrollDataParts_data();
    void deleteEnrollDataParts();
    void argumentsAreRangeChecked_data();
    void argumentsAreRangeChecked();
    void storeRoundTrip();
    void storeRejectsDamage_data();
    void storeRejectsDamage();
    void seedingIsDeterministic();
    void commandLine_data();
    void commandLine();
};

void SimModelTest::enrollNumbersByKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("bw number") << "bw" << "42" << "42";
    QTest::newRow("bw leading zeros dropped") << "bw" << "007" << "7";
    QTest::newRow("bw text refused") << "bw" << "A12" << "";
    QTest::newRow("bw zero refused") << "bw" << "0" << "";
    QTest::newRow("colour keeps text as given") << "color" << "007" << "007";
    QTest::newRow("face text") << "face" << "EMP-12" << "EMP-12";
    QTest::newRow("colour too long") << "color" << QString(25, QLatin1Char('9')) << "";
}

void SimModelTest::enrollNumbersByKind()
{
    QFETCH(QString, kind);
    QFETCH(QString, given);
    QFETCH(QString, canonical);
    SimKind k;
    QVERIFY(SimTerminal::kindFromName(kind, k));
    SimTerminal t(1, k);
    QCOMPARE(t.canonicalEnroll(given), canonical);
    const int rc = t.writeUser(given, QStringLiteral("n"), QString(), 0, true);
    QCOMPARE(rc, canonical.isEmpty() ? int(TermError::InvalidArgument) : int(TermError::None));
    if (!canonical.isEmpty())
        QVERIFY(t.findUser(canonical));
}

void SimModelTest::statusCountersFollowData()
{
    SimTerminal t(3, SimKind::Color);
    auto status = [&t](int i) {
        int v = -1;
        return t.status(i, v) == TermError::None ? v : -1;
    };
    QCOMPARE(status(2), 0);
    QCOMPARE(t.writeUser(QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("12"), 3, true), 0);
    QCOMPARE(t.writeUser(QStringLiteral("2"), QStringLiteral("b"), QString(), 0, true), 0);
    QCOMPARE(t.setTemplate(QStringLiteral("2"), 0, QByteArray(100, 'x')), 0);
    QCOMPARE(t.setTemplate(QStringLiteral("2"), 9, QByteArray(100, 'y')), 0);
    QCOMPARE(status(1), 1); // administrators
    QCOMPARE(status(2), 2); // users
    QCOMPARE(status(3), 2); // templates
    QCOMPARE(status(4), 1); // passwords
    QCOMPARE(status(5), 4); // management records: two users, two templates
    QCOMPARE(status(6), 0);
    QCOMPARE(status(10), status(7) - 2);
    QCOMPARE(status(11), status(8) - 2);
    QCOMPARE(status(12), status(9));
    QCOMPARE(status(0), -1);
    QCOMPARE(status(13), -1);
}

void SimModelTest::deleteEnrollDataParts_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("userLeft");
    QTest::addColumn<int>("templatesLeft");
    QTest::newRow("finger 0") << 0 << 0 << true << 1;
    QTest::newRow("finger 5, none there") << 5 << int(TermError::NoData) << true << 2;
    QTest::newRow("password") << 10 << 0 << true << 2;
    QTest::newRow("card, none kept") << 11 << int(TermError::NoData) << true << 2;
    QTest::newRow("whole user") << 12 << 0 << false << 0;
    QTest::newRow("no such part") << 13 << int(TermError::InvalidArgument) << true << 2;
}

void SimModelTest::deleteEnrollDataParts()
{
    QFETCH(int, part);
    QFETCH(int, result);
    QFETCH(bool, userLeft);
    QFETCH(int, templatesLeft);
    SimTerminal t(1, SimKind::BlackWhite);
    QCOMPARE(t.writeUser(QStringLiteral("69"), QStringLiteral("u"), QStringLiteral("1"), 0, true), 0);
    QCOMPARE(t.writeUser(QStringLiteral("70"), QStringLiteral("v"), QString(), 0, true), 0);
    QCOMPARE(t.setTemplate(QStringLiteral("69"), 0, QByteArray(10, 'a')), 0);
    QCOMPARE(t.setTemplate(QStringLiteral("69"), 1, QByteArray(10, 'b')), 0);
    QCOMPARE(t.deleteEnrollData(QStringLiteral("69"), part), result);
    QCOMPARE(t.findUser(QStringLiteral("69")) != nullptr, userLeft);
    int templates = -1;
    t.status(3, templates);
    QCOMPARE(templates, templatesLeft);
    QVERIFY(t.findUser(QStringLiteral("70"))); // the other user is untouched (index kept right)
    SimUser u;
    QCOMPARE(t.readUser(QStringLiteral("70"), u), 0);
    QCOMPARE(u.name, QStringLiteral("v"));
}

void SimModelTest::argumentsAreRangeChecked_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("accepted");
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    QTest::newRow("voice: the whole memory") << "PlayVoice" << 0 << 100 << true;
    QTest::newRow("voice: last position") << "PlayVoice" << 99 << 1 << true;
    QTest::newRow("voice: past the end") << "PlayVoice" << 99 << 2 << false;
    QTest::newRow("voice: position near INT_MAX") << "PlayVoice" << kMax << 1 << false;
    QTest::newRow("voice: length near INT_MAX") << "PlayVoice" << 1 << kMax << false;
    QTest::newRow("voice: negative position") << "PlayVoice" << kMin << 1 << false;
    QTest::newRow("voice: empty") << "PlayVoice" << 0 << 0 << false;
    QTest::newRow("voice index: last") << "PlayVoiceByIndex" << 11 << 0 << true;
    QTest::newRow("voice index: INT_MIN") << "PlayVoiceByIndex" << kMin << 0 << false;
    QTest::newRow("display: last cell") << "WriteLCD" << 3 << 31 << true;
    QTest::newRow("display: column INT_MAX") << "WriteLCD" << 0 << kMax << false;
    QTest::newRow("display: row INT_MIN") << "WriteLCD" << kMin << 0 << false;
    QTest::newRow("parameter: INT_MIN") << "SetDeviceInfo" << kMin << 1 << false;
    QTest::newRow("parameter: Device ID INT_MAX") << "SetDeviceInfo" << 2 << kMax << false;
    QTest::newRow("status: INT_MAX") << "GetDeviceStatus" << kMax << 0 << false;
    QTest::newRow("beep: INT_MAX") << "Beep" << kMax << 0 << false;
    QTest::newRow("unlock: INT_MIN") << "ACUnlock" << kMin << 0 << false;
    QTest::newRow("delete part: INT_MAX") << "DeleteEnrollData" << 1 << kMax << false;
    QTest::newRow("template finger: INT_MIN") << "SetUserTmp" << 1 << kMin << false;
}

void SimModelTest::argumentsAreRangeChecked()
{
    QFETCH(QString, operation);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, accepted);
    SimTerminal t(1, SimKind::BlackWhite);
    QCOMPARE(t.writeUser(QStringLiteral("1"), QStringLiteral("u"), QStringLiteral("1"), 0, true), 0);
    int rc = -1;
    int value = 0;
    if (operation == QLatin1String("PlayVoice"))
        rc = t.playVoice(a, b);
    else if (operation == QLatin1String("PlayVoiceByIndex"))
        rc = t.playVoiceByIndex(a);
    else if (operation == QLatin1String("WriteLCD"))
        rc = t.writeLcd(a, b, QStringLiteral("x"));
    else if (operation == QLatin1String("SetDeviceInfo"))
        rc = t.setInfo(a, b);
    else if (operation == QLatin1String("GetDeviceStatus"))
        rc = t.status(a, value);
    else if (operation == QLatin1String("Beep"))
        rc = t.beep(a);
    else if (operation == QLatin1String("ACUnlock"))
        rc = t.unlock(a);
    else if (operation == QLatin1String("DeleteEnrollData"))
        rc = t.deleteEnrollData(QString::number(a), b);
    else if (operation == QLatin1String("SetUserTmp"))
        rc = t.setTemplate(QString::number(a), b, QByteArray(10, 't'));
    QCOMPARE(rc, accepted ? int(TermError::None) : int(TermError::InvalidArgument));
}

void SimModelTest::storeRoundTrip()
{
    SimTerminal t(7, SimKind::Face);
    SimSeeder::Options o;
    o.users = 12;
    o.logs = 3000;
    o.lastDay = QDate(2024, 1, 31);
    SimSeeder::seed(t.data(), o);
    t.rebuildIndex();
    QCOMPARE(t.setInfo(23, 50), 0);
    QCOMPARE(t.setClock(QDateTime::currentDateTime().addSecs(3600)), 0);
    QCOMPARE(t.acceptFirmware(QStringLiteral("emfw.cfg"), QByteArray("fw"), Crc32::compute("fw", 2)), 0);
    QCOMPARE(t.acceptFirmware(QStringLiteral("empty.cfg"), QByteArray(), 0), int(TermError::InvalidArgument));
    const QByteArray image = SimStore::serialize(t.data());
    SimTerminalData back;
    QString error;
    QVERIFY2(SimStore::deserialize(image, back, error), qPrintable(error));
    QCOMPARE(SimStore::serialize(back), image);
    QCOMPARE(back.users.size(), size_t(12));
    QCOMPARE(back.logs.size(), size_t(3000));
    QCOMPARE(back.parameters[22], 50);
    QCOMPARE(back.parameters[1], 7);
    QVERIFY(qAbs(back.clockOffsetSeconds - 3600) <= 2);
    QCOMPARE(back.users[5].templates, t.data().users[5].templates);
    QCOMPARE(back.firmware.size(), size_t(1));
    QCOMPARE(back.firmware[0].fileName, QStringLiteral("emfw.cfg"));
}

void SimModelTest::storeRejectsDamage_data()
{
    QTest::addColumn<int>("damage");
    QTest::newRow("cut to half") << 0;
    QTest::newRow("one payload bit flipped") << 1;
    QTest::newRow("header only") << 2;
    QTest::newRow("other magic") << 3;
    QTest::newRow("trailing bytes") << 4;
    QTest::newRow("empty") << 5;
}

void SimModelTest::storeRejectsDamage()
{
    QFETCH(int, damage);
    SimTerminal t(1, SimKind::BlackWhite);
    SimSeeder::Options o;
    o.users = 3;
    o.logs = 100;
    SimSeeder::seed(t.data(), o);
    QByteArray image = SimStore::serialize(t.data());
    switch (damage) {
    case 0: image.truncate(image.size() / 2); break;
    case 1: image[image.size() - 7] = char(image.at(image.size() - 7) ^ 0x04); break;
    case 2: image.truncate(SimStore::HeaderSize); break;
    case 3: image[0] = 'X'; break;
    case 4: image.append("xyz"); break;
    default: image.clear(); break;
    }
    SimTerminalData back;
    QString error;
    QVERIFY(!SimStore::deserialize(image, back, error));
    QVERIFY(!error.isEmpty());
}

void SimModelTest::seedingIsDeterministic()
{
    SimSeeder::Options o;
    o.users = 40;
    o.logs = 5000;
    o.days = 30;
    o.seed = 11;
    o.lastDay = QDate(2024, 6, 30);
    SimTerminalData a, b, c;
    a.kind = b.kind = c.kind = SimKind::BlackWhite;
    SimSeeder::seed(a, o);
    SimSeeder::seed(b, o);
    o.seed = 12;
    SimSeeder::seed(c, o);
    QCOMPARE(SimStore::serialize(a), SimStore::serialize(b));
    QVERIFY(SimStore::serialize(a) != SimStore::serialize(c));
    // Sorted by time, within the span, minute precision for a black-and-white terminal.
    const quint32 first = WireTime::fromFields(2024, 6, 1, 0, 0, 0);
    const quint32 end = WireTime::fromFields(2024, 7, 1, 0, 0, 0);
    for (size_t i = 0; i < a.logs.size(); ++i) {
        QVERIFY(a.logs[i].time >= first && a.logs[i].time < end);
        QCOMPARE(a.logs[i].time % 60, 0u);
        if (i > 0)
            QVERIFY(a.logs[i - 1].time <= a.logs[i].time);
    }
}

void SimModelTest::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    auto t = [](const char* spec) { return QStringList{QStringLiteral("--terminal"), QString::fromLatin1(spec)}; };
    QTest::newRow("one serial terminal") << t("machine=1,kind=bw,serial=/tmp/x,users=5,logs=10") << true;
    QTest::newRow("three terminals, options")
        << (t("machine=1,kind=bw,serial=/tmp/x") + t("machine=2,kind=color,tcp=4370,key=123") +
            t("machine=3,kind=face,tcp=4371") + QStringList{"--data-dir", "/tmp/d", "--delay-ms=5"})
        << true;
    QTest::newRow("two machines on one line") << (t("machine=1,serial=/tmp/x") + t("machine=2,serial=/tmp/x")) << true;
    QTest::newRow("same machine twice on one line")
        << (t("machine=1,serial=/tmp/x,id=a") + t("machine=1,serial=/tmp/x,id=b")) << false;
    QTest::newRow("same TCP port twice") << (t("machine=1,tcp=4370") + t("machine=2,tcp=4370")) << false;
    QTest::newRow("no transport") << t("machine=1,kind=bw") << false;
    QTest::newRow("no machine") << t("kind=bw,tcp=1") << false;
    QTest::newRow("unknown kind") << t("machine=1,kind=lcd,tcp=1") << false;
    QTest::newRow("unknown setting") << t("machine=1,tcp=1,colour=red") << false;
    QTest::newRow("bad date") << t("machine=1,tcp=1,end=2024-13-01") << false;
    QTest::newRow("no terminal") << QStringList{"--trace", "/tmp/t"} << false;
    QTest::newRow("unknown option") << (t("machine=1,tcp=1") + QStringList{"--fast"}) << false;
    QTest::newRow("option without value") << (t("machine=1,tcp=1") + QStringList{"--delay-ms"}) << false;
}

void SimModelTest::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    SimOptions o;
    QString error;
    QCOMPARE(SimOptions::parse(args, o, error), ok);
    QCOMPARE(error.isEmpty(), ok);
}

QTEST_GUILESS_MAIN(SimModelTest)
#include "SimModelTest.moc"
