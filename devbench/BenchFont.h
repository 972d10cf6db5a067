#pragma once

#include <QFont>

// The test tool's windows are drawn in "MS Sans Serif" 11 pixels high; where
// that font is not installed, the platform's sans-serif at the same pixel
// height takes its place, a condensed cut first: its widths come closest to
// MS Sans Serif, so captions fit the original button sizes.
inline QFont benchFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}
