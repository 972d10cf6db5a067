#pragma once

#include "UiServices.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

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

class FixedClock : public IClock {
public:
    QDate date{2026, 12, 11};
    QDate today() const override { return date; }
};

// File dialogs that answer with the names queued in them (the empty text,
// as a cancelled dialog does, when none is left) and record their captions.
class ScriptedFileDialogs : public IFileDialogs {
public:
    QStringList answers;
    QStringList captions;
    QStringList suggested; // directory or suggested path of each dialog

    QString openFileName(QWidget*, const QString& caption, const QString& directory, const QString&) override
    {
        return answer(caption, directory);
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& suggestedPath, const QString&) override
    {
        return answer(caption, suggestedPath);
    }

private:
    QString answer(const QString& caption, const QString& where)
    {
        captions << caption;
        suggested << where;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// One set of the fakes, handed out as the seams a window takes.
struct FakeUiServices {
    RecordingMessageBoxes messages;
    CountingEventPump events;
    FixedClock clock;
    ScriptedFileDialogs files;
    UiServices services() { return {&messages, &events, &clock, &files}; }
};
