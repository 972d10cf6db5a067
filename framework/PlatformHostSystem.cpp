#include "PlatformHostSystem.h"

#include "InstalledInputMethods.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

QStringList PlatformHostSystem::installedInputMethods() const {
    return installedInputMethodsIn(QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
}

QSize PlatformHostSystem::screenSize() const {
    // Without a GUI application (a console host) there is no screen to ask.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QString PlatformHostSystem::executablePath() const {
    return QCoreApplication::applicationFilePath();
}

QDateTime PlatformHostSystem::now() const {
    return QDateTime::currentDateTime();
}
