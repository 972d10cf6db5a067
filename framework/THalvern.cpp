#include "THalvern.h"

#include "PlatformHostSystem.h"
#include "StandardUiServices.h"
#include "THV.h"
#include "TfrmhvDateArea.h"

#include <QApplication>
#include <QWidget>

namespace {
IHostSystem& platformHostSystem()
{
    static PlatformHostSystem platform;
    return platform;
}
} // namespace

THalvern::THalvern(QObject* owner, const UiServices& services)
    : QObject(owner)
    , m_services(services)
    , m_schema([this] { return m_host->now(); })
{
    m_host = &platformHostSystem();
    static StandardMessageBoxes standardMessages;
    static SystemClock systemClock;
    if (!m_services.messages)
        m_services.messages = &standardMessages;
    if (!m_services.clock)
        m_services.clock = &systemClock;

    m_dialogOwner = this;
    m_hv = new THV(this);
}

THalvern::~THalvern() = default;

void THalvern::setHostSystem(IHostSystem* host)
{
    m_host = host ? host : &platformHostSystem();
}

QWidget* THalvern::dialogHostWindow() const
{
    if (auto* ownerWidget = qobject_cast<QWidget*>(m_dialogOwner->parent()))
        return ownerWidget->window();
    return QApplication::activeWindow();
}

void THalvern::hv_SYS_GetDateArea(QString& start, QString& end)
{
    // In Qt a window's parent must be a window, so the dialog sits on the
    // host window; it lives for this call only.
    QWidget* host = dialogHostWindow();
    TfrmhvDateArea dialog(m_services, host);
    dialog.setDateTexts(start, end);
    dialog.centreOver(host);
    dialog.exec();
}

void applyMainWindowStoredValues(THalvern& component)
{
    component.setPrt_PrinterIndex(0);
    component.setPrt_IsHorizontal(false);
    component.setPrt_PrinterFontSize(0);
    component.setPrt_PageWidth(0);
    component.setPrt_PageLines(0);
    component.setPrt_BlankLinesForEnter(0);
    component.setPrt_BlankLinesForEnd(0);
}
