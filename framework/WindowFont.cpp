#include "WindowFont.h"

#include <QFontDatabase>
#include <QStringList>

QFont windowFont(int pixelSize)
{
    const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    QString family = QStringLiteral("宋体");
    if (!installed.contains(family)) {
        family.clear();
        for (const char* candidate : {"SimSun", "NSimSun", "WenQuanYi Zen Hei", "WenQuanYi Micro Hei",
                                      "Noto Sans CJK SC", "Noto Serif CJK SC", "AR PL UMing CN"}) {
            if (installed.contains(QLatin1String(candidate))) {
                family = QLatin1String(candidate);
                break;
            }
        }
        if (family.isEmpty() && !installed.isEmpty())
            family = installed.first();
    }
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}
