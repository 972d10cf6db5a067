#include "GuardedHandler.h"

#include "UiServices.h"

#include <exception>

void runGuarded(IMessageBoxes& messages, QWidget* window, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        messages.showError(window, QString::fromUtf8(error.what()));
    }
}
