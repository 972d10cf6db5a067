#pragma once

#include "UiServices.h"

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

class StandardEventPump : public IEventPump {
public:
    void processEvents() override;
    void pause(int milliseconds) override;
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
