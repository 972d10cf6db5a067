#pragma once

#include "UiServices.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <functional>

// Message boxes for headless tests: records every box shown, answers at once.
// onShow, when set, runs while the box is "on screen" (before it returns).
class RecordingMessageBoxes : public IMessageBoxes {
public:
    struct Box {
        QString kind; // "error", "information", "question"
        QString text;
    };
    QList<Box> shown;
    bool answerYes = true;
    std::function<void(const Box&)> onShow;

    void showError(QWidget*, const QString& text) override { record({QStringLiteral("error"), text}); }
    void showInformation(QWidget*, const QString& text) override { record({QStringLiteral("information"), text}); }
    void showErrorCancel(QWidget*, const QString& text) override
    {
        record({QStringLiteral("errorCancel"), text});
    }
    bool askYesNo(QWidget*, const QString& text) override
    {
        record({QStringLiteral("question"), text});
        return answerYes;
    }
    QStringList texts() const
    {
        QStringList all;
        for (const Box& box : shown)
            all << box.text;
        return all;
    }
    QStringList errors() const
    {
        QStringList all;
        for (const Box& box : shown)
            if (box.kind == QLatin1String("error"))
                all << box.text;
        return all;
    }

private:
    void record(const Box& box)
    {
        shown.append(box);
        if (onShow)
            onShow(box);
    }
};

// Counts the event pumps and pauses instead of sleeping. Pending events are
// really processed, so views attached to the tables keep up.
class CountingEventPump : public IEventPump {
public:
    int pumps = 0;
    QList<int> pauses;
    std::function<void()> onPump;

    void processEvents() override
    {
        ++pumps;
        QCoreApplication::processEvents();
        if (onPump)
            onPump();
    }
    void pause(int milliseconds) override { pauses.append(milliseconds); }
};

// File dialogs for headless tests: each call takes the next queued answer
// (a file name, or an empty text for Cancel) and records the name offered.
// With nothing queued the dialog is cancelled.
class RecordingFileDialogs : public IFileDialogs {
public:
    struct Shown {
        QString kind; // "open", "save"
        QString offered;
        QString defaultSuffix;
    };
    QList<Shown> shown;
    QStringList answers;

    bool chooseOpenFile(QWidget*, QString& fileName) override
    {
        return answer({QStringLiteral("open"), fileName, {}}, fileName);
    }
    bool chooseSaveFile(QWidget*, QString& fileName, const QString& defaultSuffix) override
    {
        return answer({QStringLiteral("save"), fileName, defaultSuffix}, fileName);
    }

private:
    bool answer(const Shown& dialog, QString& fileName)
    {
        shown.append(dialog);
        const QString chosen = answers.isEmpty() ? QString() : answers.takeFirst();
        if (chosen.isEmpty())
            return false;
        fileName = chosen;
        return true;
    }
};

class FixedClock : public IClock {
public:
    QDate date{2026, 12, 11};
    QDate today() const override { return date; }
};

// One set of the fakes, handed out as the seams a window takes.
struct FakeUiServices {
    RecordingMessageBoxes messages;
    CountingEventPump events;
    FixedClock clock;
    RecordingFileDialogs files;
    UiServices services() { return {&messages, &events, &clock, &files}; }
};
