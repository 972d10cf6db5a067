#pragma once

#include "HostSystem.h"

// A machine with the input methods, screen, executable and time a test gives.
class FakeHostSystem : public IHostSystem {
public:
    QStringList inputMethods;
    QSize screen{1280, 1024};
    QString executable = QStringLiteral("/opt/host/bin/host");
    QDateTime clock{QDate(2024, 3, 5), QTime(14, 7, 9)};

    QStringList installedInputMethods() const override { return inputMethods; }
    QSize screenSize() const override { return screen; }
    QString executablePath() const override { return executable; }
    QDateTime now() const override { return clock; }
};
