#include "FormBorderStyle.h"

#include <QWidget>

FormBorderStyle formBorderStyle(const QWidget* form) {
    if (!form || !form->isWindow() || form->windowFlags().testFlag(Qt::FramelessWindowHint))
        return FormBorderStyle::None;
    const bool fixedSize = form->minimumSize() == form->maximumSize();
    switch (form->windowType()) {
    case Qt::Dialog:
    case Qt::Sheet:
        return FormBorderStyle::Dialog;
    case Qt::Tool:
        return fixedSize ? FormBorderStyle::ToolWindow : FormBorderStyle::SizeToolWin;
    case Qt::Window:
        return fixedSize ? FormBorderStyle::Single : FormBorderStyle::Sizeable;
    default:
        // Popups, tooltips, splash screens and the desktop carry no frame.
        return FormBorderStyle::None;
    }
}

bool hasRememberedPlacement(FormBorderStyle style) {
    return style == FormBorderStyle::Single || style == FormBorderStyle::Sizeable ||
           style == FormBorderStyle::SizeToolWin;
}
