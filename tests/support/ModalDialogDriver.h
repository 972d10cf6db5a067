#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers a modal window from a test: "when a dialog shows, run this".
//
// Arm a driver, then call the code that opens the dialog and blocks in its
// own event loop. As soon as a modal window other than the one active at
// arming time is shown, the driver runs the action once with that window,
// from inside the dialog's event loop. The action works the real widgets
// (QTest::mouseClick, keyClick) and usually ends by closing the dialog.
//
//     ModalDialogDriver driver([&](QWidget* window) {
//         auto* dialog = qobject_cast<TfrmhvDateArea*>(window);
//         QVERIFY(dialog);
//         QTest::mouseClick(dialog->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
//     });
//     component.hv_SYS_GetDateArea(start, end);
//     QVERIFY(driver.hasRun());
//
// If a check inside the action fails (QVERIFY/QCOMPARE return from the action),
// the driver closes the window that is still open, so that the test ends
// instead of waiting for a user.
class ModalDialogDriver {
public:
    using Action = std::function<void(QWidget* window)>;

    explicit ModalDialogDriver(Action action);
    ~ModalDialogDriver();

    ModalDialogDriver(const ModalDialogDriver&) = delete;
    ModalDialogDriver& operator=(const ModalDialogDriver&) = delete;

    bool hasRun() const { return m_hasRun; }
    // The window the action ran with; null when it has gone since.
    QWidget* window() const { return m_window; }

private:
    void poll();

    Action m_action;
    QPointer<QWidget> m_ignored; // the modal window active at arming time
    QPointer<QWidget> m_window;
    QTimer m_timer;
    bool m_hasRun = false;
};
