#pragma once

#include <functional>

class IMessageBoxes;
class QWidget;

// The application's default error report: runs a window's handler, and an
// error escaping it is shown in an error box with its text; the program goes on.
void runGuarded(IMessageBoxes& messages, QWidget* window, const std::function<void()>& handler);
