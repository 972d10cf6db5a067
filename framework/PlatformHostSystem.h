#pragma once

#include "HostSystem.h"

// The real machine: input methods discovered from the installed input-method
// frameworks (see InstalledInputMethods.h), the primary screen of the
// application, the running executable and the system clock.
class PlatformHostSystem : public IHostSystem {
public:
    QStringList installedInputMethods() const override;
    QSize screenSize() const override;
    QString executablePath() const override;
    QDateTime now() const override;
};
