// THalvern: the remembered placement of the host's main window.

#include "THalvern.h"

#include "FormBorderStyle.h"
#include "HostSystem.h"

#include <QWidget>

using namespace Qt::StringLiterals;

namespace {
const QString WinSection = u"WIN"_s;
} // namespace

void THalvern::hv_SYS_WIN_GetWinShowAbbInfo() {
    WindowPlacement placement;
    placement.maximised = hv_INI_ReadBool(WinSection, u"ISAUTOMAX"_s);
    placement.width = hv_INI_ReadInteger(WinSection, u"WIDTH"_s);
    placement.height = hv_INI_ReadInteger(WinSection, u"HEIGHT"_s);
    placement.left = hv_INI_ReadInteger(WinSection, u"LEFT"_s);
    placement.top = hv_INI_ReadInteger(WinSection, u"TOP"_s);
    m_windowPlacement = placement;
    if (placement.width <= 0) {
        m_windowPlacement = WindowPlacement{true, 1000, 800, 400, 140};
        hv_SYS_WIN_SetWinShowAbbInfo();
    }
}

void THalvern::hv_SYS_WIN_SetWinShowAbbInfo() {
    hv_INI_WriteBool(WinSection, u"ISAUTOMAX"_s, m_windowPlacement.maximised);
    hv_INI_WriteInteger(WinSection, u"WIDTH"_s, m_windowPlacement.width);
    hv_INI_WriteInteger(WinSection, u"HEIGHT"_s, m_windowPlacement.height);
    hv_INI_WriteInteger(WinSection, u"LEFT"_s, m_windowPlacement.left);
    hv_INI_WriteInteger(WinSection, u"TOP"_s, m_windowPlacement.top);
}

// Width, height, left and top are those of the whole window, frame included.
void THalvern::hv_SYS_Win_SetWinShowStateFromAbbInfo(QWidget* form) {
    if (!hasRememberedPlacement(formBorderStyle(form)))
        return;
    if (m_windowPlacement.maximised) {
        form->setWindowState((form->windowState() & ~(Qt::WindowMinimized | Qt::WindowFullScreen)) |
                             Qt::WindowMaximized);
        return;
    }
    form->setWindowState(form->windowState() &
                         ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QSize frame = form->frameGeometry().size() - form->size();
    form->resize(m_windowPlacement.width - frame.width(), form->height());
    form->resize(form->width(), m_windowPlacement.height - frame.height());
    form->move(m_windowPlacement.left, form->y());
    form->move(form->x(), m_windowPlacement.top);
}

void THalvern::hv_SYS_WIN_GetWinShowAbbInfoFromWinState(QWidget* form) {
    if (!hasRememberedPlacement(formBorderStyle(form)))
        return;
    const QSize screen = m_host->screenSize();
    const QRect outer = form->frameGeometry();
    if (screen.width() < outer.width() || screen.height() < outer.height())
        form->setWindowState((form->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    if (form->windowState().testFlag(Qt::WindowMaximized)) {
        // The last normal placement stays for when the window is restored.
        m_windowPlacement.maximised = true;
        return;
    }
    m_windowPlacement = WindowPlacement{false, outer.width(), outer.height(), outer.x(), outer.y()};
}
