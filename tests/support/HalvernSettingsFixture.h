#pragma once
#include "FakeHostSystem.h"
#include "THalvern.h"
#include "TestFiles.h"

#include <QTemporaryDir>

// A component on a settings file in a temporary folder, on a machine the test describes.
struct HalvernSettingsFixture {
    QTemporaryDir dir;
    FakeHostSystem host;
    THalvern component{nullptr, {}};
    QString path = dir.filePath(QStringLiteral("host.ini"));

    explicit HalvernSettingsFixture(const QByteArray& settings) {
        TestFiles::writeFile(path, settings);
        component.setHostSystem(&host);
        component.setIni_IniFilePath(path);
    }
};
