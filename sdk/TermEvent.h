#pragma once

#include <QString>

#include <functional>

// A message the terminal sends on its own while an enrol, verify or identify
// that this connection started waits for a finger on the sensor.
struct TermEvent {
    enum class Kind {
        FingerFeature, // a finger was read; value is its score
        Verify,        // a finger was matched; value is the user id, -1 when it matched nobody
    };
    Kind kind = Kind::FingerFeature;
    int value = 0;
    // Verify: the matched user's enroll number as the terminal keeps it (text
    // on colour terminals); empty when the finger matched nobody.
    QString enrollNumber;
};

using TermEventHandler = std::function<void(const TermEvent&)>;
