#include "StandardUiServices.h"
#include "TTermSdk.h"
#include "TfrmMain.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QV"));
    // The text of the task-bar button.
    QApplication::setApplicationDisplayName(QStringLiteral("澄岳考勤机(设备接口)"));

    StandardUiServices services;
    TfrmMain frmMain(services.services(), [] { return std::make_unique<TTermSdk>(); });
    frmMain.show();
    return QApplication::exec();
}
