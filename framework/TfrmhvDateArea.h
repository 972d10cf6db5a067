#pragma once

#include "UiServices.h"

#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class THVDateEdit;

// The date-range prompt "日期期间": a start date and an end date, shown by
// THalvern::hv_SYS_GetDateArea.
//
// It lives in the framework library rather than with the other dialogs: the
// component shows it, and the framework depends on no library above it.
//
// The dialog works on the caller's two texts (set with setDateTexts; not
// owned). On show it fills the empty ones with the current month's first and
// last day, shows them, and empties both of the caller's texts; only saving
// fills them again.
class TfrmhvDateArea : public QDialog {
    Q_OBJECT

public:
    // services.messages and services.clock are used; neither is owned.
    explicit TfrmhvDateArea(const UiServices& services, QWidget* parent = nullptr);

    void setDateTexts(QString& start, QString& end);
    // Places the dialog in the middle of the given window, or of its screen
    // when there is none.
    void centreOver(const QWidget* window);

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    THVDateEdit* D1 = nullptr;
    THVDateEdit* D2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

public Q_SLOTS:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    IMessageBoxes* m_messages;
    const IClock* m_clock;
    QString m_noStart; // stand-ins until the caller's texts are set
    QString m_noEnd;
    QString* m_start = &m_noStart;
    QString* m_end = &m_noEnd;
    bool m_shown = false;
};
