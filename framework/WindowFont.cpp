#include "WindowFont.h"

#include <QStringList>

QFont windowFont(int pixelSize)
{
    QFont font;
    // 宋体 first; the others have the same characters where 宋体 is not installed.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("AR PL UMing CN")});
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}
