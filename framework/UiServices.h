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

// File dialogs: the name of a file to open or to save, or the empty text when
// the user cancels. filter as QFileDialog takes it ("CSV文件 (*.csv)").
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                                 const QString& filter) = 0;
};

// The seams a window needs; none of them is owned.
struct UiServices {
    IMessageBoxes* messages = nullptr;
    IEventPump* events = nullptr;
    IClock* clock = nullptr;
    IFileDialogs* files = nullptr;
};
