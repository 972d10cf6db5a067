#pragma once

#include <QPushButton>

// A push button with the integer tag the window keeps state in (the connect
// button's Tag is 1 while a terminal is connected).
class TaggedButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    int Tag = 0;
};
