#pragma once
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>

// devbench's windows are laid out by hand at fixed pixel positions; these make one
// named control at its place, so tests find it by the name the window gives it.
namespace ControlBuilders {

inline QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

inline QLineEdit* makeEdit(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    return edit;
}

inline QLineEdit* makeEdit(QWidget* parent, const char* name, const QRect& geometry)
{
    return makeEdit(parent, name, QString(), geometry);
}

// Buttons never take Enter as default buttons: the original window has none.
template <typename Button = QPushButton>
Button* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* button = new Button(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

inline QGroupBox* makeBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

} // namespace ControlBuilders
