#include "StandardUiServices.h"
#include "TForm1.h"
#include "TTermSdk.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("devbench"));

    StandardUiServices services;
    TForm1 Form1(services.services(), [] { return std::make_unique<TTermSdk>(); });
    Form1.show();
    return QApplication::exec();
}
