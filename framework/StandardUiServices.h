#pragma once

#include "UiServices.h"

#include <QElapsedTimer>

// The production seams: QMessageBox, QCoreApplication::processEvents, the system clock.
class StandardMessageBoxes : public IMessageBoxes {
public:
    void showError(QWidget* parent, const QString& text) override;
    void showInformation(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    void showErrorCancel(QWidget* parent, const QString& text) override;
};

class StandardFileDialogs : public IFileDialogs {
public:
    bool chooseOpenFile(QWidget* parent, QString& fileName) override;
    bool chooseSaveFile(QWidget* parent, QString& fileName, const QString& defaultSuffix = {}) override;
};

// Lets pending window messages run at most every few milliseconds: a bulk
// read asks after every record, and dispatching a million times would cost
// more than the records. Asked sooner, it returns at once; the window still
// repaints and takes input about a hundred times a second.
class StandardEventPump : public IEventPump {
public:
    static constexpr qint64 kDispatchIntervalNs = 10'000'000;

    void processEvents() override;
    void pause(int milliseconds) override;

private:
    QElapsedTimer m_sinceDispatch;
};

class SystemClock : public IClock {
public:
    QDate today() const override;
};

// One set of the production seams, for a program's main().
class StandardUiServices {
public:
    UiServices services() { return {&m_messages, &m_events, &m_clock, &m_files}; }

private:
    StandardMessageBoxes m_messages;
    StandardEventPump m_events;
    SystemClock m_clock;
    StandardFileDialogs m_files;
};
