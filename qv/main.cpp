#include "StandardUiServices.h"
#include "TTermSdk.h"
#include "TfrmMain.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The application title: the text of the task-bar entry and of the message boxes' title bars.
    // (Not the display name, which X11 would append to every window caption.)
    QApplication::setApplicationName(QStringLiteral("澄岳考勤机(设备接口)"));

    StandardUiServices services;
    TfrmMain frmMain(services.services(), [] { return std::make_unique<TTermSdk>(); });
    frmMain.show();
    return QApplication::exec();
}
