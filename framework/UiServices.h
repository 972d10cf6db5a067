#pragma once

#include <QDate>
#include <QString>

class QWidget;

// Modal message boxes, as the programs show them. Injected so that headless
// tests can answer them and see what was shown.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Error box with a single OK button; returns when the user closes it.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // Information box with a single OK button.
    virtual void showInformation(QWidget* parent, const QString& text) = 0;
    // Question with Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // Error box whose single button reads Cancel. Seams that do not tell the
    // two apart may keep this default.
    virtual void showErrorCancel(QWidget* parent, const QString& text) { showError(parent, text); }
};

// The file open and save dialogs. fileName comes in as the name the dialog
// offers and, when the user confirms, goes out as the chosen one; false when
// the user cancels (fileName is then left as it was).
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual bool chooseOpenFile(QWidget* parent, QString& fileName) = 0;
    // defaultSuffix (without the dot) is added to a chosen name that has none.
    virtual bool chooseSaveFile(QWidget* parent, QString& fileName, const QString& defaultSuffix = {}) = 0;
};

// Letting pending window messages run, and pausing the user-interface thread.
class IEventPump {
public:
    virtual ~IEventPump() = default;
    virtual void processEvents() = 0;
    virtual void pause(int milliseconds) = 0;
};

// Today's date, for defaults that depend on it.
class IClock {
public:
    virtual ~IClock() = default;
    virtual QDate today() const = 0;
};

// The seams a window needs; none of them is owned.
struct UiServices {
    IMessageBoxes* messages = nullptr;
    IEventPump* events = nullptr;
    IClock* clock = nullptr;
    IFileDialogs* files = nullptr;
};
