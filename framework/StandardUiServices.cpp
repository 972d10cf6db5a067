#include "StandardUiServices.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>

namespace {
QString boxTitle()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}
} // namespace

void StandardMessageBoxes::showError(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, boxTitle(), text, QMessageBox::Ok);
}

void StandardMessageBoxes::showInformation(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, boxTitle(), text, QMessageBox::Ok);
}

bool StandardMessageBoxes::askYesNo(QWidget* parent, const QString& text)
{
    return QMessageBox::question(parent, boxTitle(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void StandardEventPump::processEvents()
{
    QCoreApplication::processEvents();
}

void StandardEventPump::pause(int milliseconds)
{
    // The pause blocks the user-interface thread on purpose: the walk over the
    // terminals gives each terminal this much rest after its visit.
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

QDate SystemClock::today() const
{
    return QDate::currentDate();
}

QString StandardFileDialogs::openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                          const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString StandardFileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                                          const QString& filter)
{
    // The dialog asks before it overwrites an existing file.
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}
