#include "THVDateEdit.h"

#include "DateText.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

THVDateEdit::THVDateEdit(QWidget* parent)
    : QLineEdit(parent)
{
    m_dropDown = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    m_dropDown->setObjectName(QStringLiteral("dropDown"));
    for (QObject* associated : m_dropDown->associatedObjects()) {
        if (auto* button = qobject_cast<QToolButton*>(associated))
            button->setObjectName(QStringLiteral("dropDownButton"));
    }
    connect(m_dropDown, &QAction::triggered, this, &THVDateEdit::showCalendar);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!isModified())
            m_typedNoDate = false; // set by the program, or settled
    });

    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("calendarPopup"));
    m_popup->setFrameShape(QFrame::StyledPanel);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setObjectName(QStringLiteral("calendar"));
    m_calendar->setGridVisible(true);
    auto* layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, &THVDateEdit::pickDate);
    connect(m_calendar, &QCalendarWidget::activated, this, &THVDateEdit::pickDate);
}

QDate THVDateEdit::date() const
{
    return parseDateText(text()).value_or(QDate());
}

void THVDateEdit::setDate(QDate date)
{
    setText(formatDateText(date));
}

void THVDateEdit::commitText()
{
    if (!isModified())
        return;
    const QString typed = text().trimmed();
    if (typed.isEmpty())
        setText(QString());
    else if (const std::optional<QDate> date = parseDateText(typed))
        setDate(*date);
    else
        m_typedNoDate = true;
    setModified(false);
}

void THVDateEdit::showCalendar()
{
    commitText();
    const QDate shown = date();
    m_calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());

    m_popup->adjustSize();
    QRect area(mapToGlobal(QPoint(0, height())), m_popup->sizeHint());
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        if (area.bottom() > available.bottom())
            area.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
        if (area.right() > available.right())
            area.moveRight(available.right());
        if (area.left() < available.left())
            area.moveLeft(available.left());
    }
    m_popup->setGeometry(area);
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void THVDateEdit::pickDate(QDate date)
{
    m_popup->hide();
    setDate(date);
    setFocus(Qt::PopupFocusReason);
}

void THVDateEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_F4 || (key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))) {
        showCalendar();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        commitText(); // before the window's default button reads the text
    QLineEdit::keyPressEvent(event);
}

void THVDateEdit::focusOutEvent(QFocusEvent* event)
{
    commitText();
    QLineEdit::focusOutEvent(event);
}
