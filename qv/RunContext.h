#pragma once

#include "UiServices.h"

#include <QString>

#include <functional>

class ITermSdk;
class QWidget;
class WorkingTable;
struct VisitState;

// What a bulk read over every terminal works with.
struct RunContext {
    WorkingTable& devices;
    WorkingTable& target; // the table the run fills
    ITermSdk& sdk;
    VisitState& state;
    UiServices services;
    QWidget* window = nullptr; // parent of the message boxes
    // Asked between records and rows: true ends the run early (the window is closing).
    std::function<bool()> stopRequested = {};
    // Told which terminal is being read and how far; an empty text when the run ends.
    std::function<void(const QString&)> progress = {};
    // Asks the user for the collection's date range (two texts; start empty: cancelled).
    std::function<void(QString& start, QString& end)> askDateRange = {};

    bool shouldStop() const { return stopRequested && stopRequested(); }
};
