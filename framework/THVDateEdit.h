#pragma once

#include <QDate>
#include <QLineEdit>

class QAction;
class QCalendarWidget;
class QFrame;

// A date editor with a drop-down calendar, whose text may also be empty (no
// date).
//
// The editor shows dates as "yyyy-MM-dd". The user may type freely; when the
// typing is finished (Enter, leaving the editor, or commitText()) the text is
// settled:
//   - an empty text stays empty: no date;
//   - a date in year-month-day form, with or without leading zeros
//     ("2024-5-3"), is rewritten as "yyyy-MM-dd";
//   - any other text stays as typed, so that the dialog around the editor can
//     name it and the user can correct it (date() is then invalid); going
//     back silently to the previous date would hide the mistake.
// A text the program sets is never judged: it is shown and returned as it is.
// A text set by the program is shown as it is. Picking a day in the calendar
// (the button at the right, F4 or Alt+Down) shows that day.
class THVDateEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit THVDateEdit(QWidget* parent = nullptr);

    // The date shown; invalid when the text is empty or not a date.
    QDate date() const;
    // Shows the date, or nothing for an invalid date.
    void setDate(QDate date);

    // Settles typed text as described above. Does nothing when the text was
    // not typed since it was last set or settled.
    void commitText();

    // True while the text is one the user typed and that is no date.
    bool holdsTypedNoDate() const { return m_typedNoDate; }

    void showCalendar();
    QCalendarWidget* calendar() const { return m_calendar; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void pickDate(QDate date);

    bool m_typedNoDate = false;
    QAction* m_dropDown = nullptr;
    QFrame* m_popup = nullptr;
    QCalendarWidget* m_calendar = nullptr;
};
