#include "THV.h"

using namespace Qt::StringLiterals;

THV::THV(QObject* owner)
    : QObject(owner)
{
    // Font sizes by number, then the Chinese size names with their points.
    m_fontSizeNames = {
        u"8"_s,  u"9"_s,  u"10"_s, u"11"_s, u"12"_s, u"13"_s, u"14"_s, u"16"_s, u"18"_s,
        u"20"_s, u"22"_s, u"24"_s, u"26"_s, u"28"_s, u"29"_s, u"36"_s, u"48"_s, u"72"_s,
        u"初号"_s, u"小初"_s, u"一号"_s, u"小一"_s, u"二号"_s, u"小二"_s, u"三号"_s, u"小三"_s,
        u"四号"_s, u"小四"_s, u"五号"_s, u"小五"_s, u"六号"_s, u"小六"_s, u"七号"_s, u"八号"_s,
    };
    m_fontSizePoints = {
        u"8"_s,  u"9"_s,  u"10"_s, u"11"_s, u"12"_s, u"13"_s,   u"14"_s,  u"16"_s,  u"18"_s,
        u"20"_s, u"22"_s, u"24"_s, u"26"_s, u"28"_s, u"29"_s,   u"36"_s,  u"48"_s,  u"72"_s,
        u"42"_s, u"36"_s, u"26"_s, u"24"_s, u"22"_s, u"18"_s,   u"16"_s,  u"15"_s,
        u"14"_s, u"12"_s, u"10.5"_s, u"9"_s, u"7.5"_s, u"6.5"_s, u"5.5"_s, u"5"_s,
    };
}

QString THV::databaseKindLetterFor(const QString& databaseClass)
{
    return databaseClass.compare(u"access", Qt::CaseInsensitive) == 0 ? QStringLiteral("A")
                                                                     : QStringLiteral("S");
}
