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

void StandardMessageBoxes::showErrorCancel(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, boxTitle(), text, QMessageBox::Cancel);
}

namespace {
bool runFileDialog(QWidget* parent, QString& fileName, QFileDialog::AcceptMode mode, const QString& defaultSuffix)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    return true;
}
} // namespace

bool StandardFileDialogs::chooseOpenFile(QWidget* parent, QString& fileName)
{
    return runFileDialog(parent, fileName, QFileDialog::AcceptOpen, {});
}

bool StandardFileDialogs::chooseSaveFile(QWidget* parent, QString& fileName, const QString& defaultSuffix)
{
    return runFileDialog(parent, fileName, QFileDialog::AcceptSave, defaultSuffix);
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
