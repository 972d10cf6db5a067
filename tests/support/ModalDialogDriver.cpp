#include "ModalDialogDriver.h"

#include <QApplication>
#include <QTest>

ModalDialogDriver::ModalDialogDriver(Action action)
    : m_action(std::move(action))
    , m_ignored(QApplication::activeModalWidget())
{
    // Polls from whichever event loop runs: the dialog's own loop once exec() has
    // begun. The interval only spares the processor; nothing waits on it.
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
}

ModalDialogDriver::~ModalDialogDriver() = default;

void ModalDialogDriver::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_ignored || !modal->isVisible())
        return;
    m_timer.stop();
    m_hasRun = true;
    m_window = modal;
    m_action(modal);
    if (QTest::currentTestFailed() && m_window && m_window->isVisible())
        m_window->close();
}
