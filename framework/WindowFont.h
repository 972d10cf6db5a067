#pragma once

#include <QFont>

// The windows' font: "宋体" 13 pixels high, or an installed CJK font of the
// same height where 宋体 is not installed, so Chinese captions still render.
QFont windowFont(int pixelSize = 13);
