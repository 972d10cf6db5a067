#pragma once

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

// What the framework component asks of the machine it runs on. Injected so
// that tests can give a screen size, input methods and a clock of their own.
class IHostSystem {
public:
    virtual ~IHostSystem() = default;
    // Names of the input methods installed on the system.
    virtual QStringList installedInputMethods() const = 0;
    // Size of the primary screen in pixels.
    virtual QSize screenSize() const = 0;
    // Full path of the program's executable.
    virtual QString executablePath() const = 0;
    // Current local date and time.
    virtual QDateTime now() const = 0;
};
