// The "Data Manager" group: clearing data, users backup and restore, the
// attendance-log and management-log exports, the user data dialog, the
// automatic test, the door lock.
#include "TForm1.h"

#include "ITermSdk.h"
#include "LogExport.h"
#include "TaggedButton.h"
#include "TfrmUser.h"
#include "UsersBackupFile.h"

#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>

void TForm1::btnClearDataClick()
{
    TermSdk1->ClearAllData(FMachineNumber);
}

void TForm1::Button5Click()
{
    TermSdk1->ClearAttendanceLogs(FMachineNumber);
}

void TForm1::Button6Click()
{
    TermSdk1->ClearAdministrators(FMachineNumber);
}

void TForm1::btnBackupUserClick()
{
    if (!SaveDialog1.Execute(*m_services.files, this))
        return;
    BackupUsersToFile(SaveDialog1.FileName);
}

void TForm1::btnRestoreClick()
{
    if (!OpenDialog1.Execute(*m_services.files, this))
        return;
    RestoreUsersFromFile(OpenDialog1.FileName);
}

void TForm1::Button9Click()
{
    if (!SaveDialog1.Execute(*m_services.files, this))
        return;
    LogExport::exportAttendanceLog(*TermSdk1, FMachineNumber, SaveDialog1.FileName);
}

void TForm1::btnReadManageLogClick()
{
    if (!SaveDialog1.Execute(*m_services.files, this))
        return;
    LogExport::exportManagementLog(*TermSdk1, FMachineNumber, SaveDialog1.FileName);
}

void TForm1::btnSetNameClick()
{
    ShowUserDialog(TermSdk1.get(), FMachineNumber, m_services);
}

void TForm1::btnDeleteUserClick()
{
    TermSdk1->DeleteEnrollData(FMachineNumber, 69, FMachineNumber, 0);
    TermSdk1->DeleteEnrollData(FMachineNumber, 69, FMachineNumber, 1);
}

void TForm1::btnAutoTestClick()
{
    const auto setTesting = [this](bool on) {
        Testing = on;
        btnAutoTest->setText(Testing ? QStringLiteral("End Test") : QStringLiteral("Start Test"));
    };
    setTesting(!Testing);
    // The loop lets pending messages run, so this click can come while it
    // runs: then it only turns the flag, and the running loop stops after its
    // pass (or, turned on again, goes on). It never starts a second loop.
    if (m_autoTestRunning)
        return;
    m_autoTestRunning = true;
    const auto running = qScopeGuard([this] { m_autoTestRunning = false; });
    const auto restoreIfThere = [this] {
        if (QFileInfo::exists(OpenDialog1.FileName))
            RestoreUsersFromFile(OpenDialog1.FileName);
    };
    try {
        for (int pass = 0; Testing; ++pass) {
            AddMessage(QStringLiteral("-----------Testing %1--------").arg(pass));
            btnConnect->click();
            if (btnConnect->Tag == 0) {
                setTesting(false);
                break;
            }
            AddMessage(QStringLiteral("Clear Data..."));
            btnClearData->click();
            restoreIfThere();
            m_services.events->processEvents();
            AddMessage(QStringLiteral("Delete User 69..."));
            btnDeleteUser->click();
            m_services.events->pause(2000);
            ShowDeviceStatus();
            m_services.events->processEvents();
            restoreIfThere();
            ShowDeviceStatus();
            AddMessage(QStringLiteral("Clear Data..."));
            btnClearData->click();
            AddMessage(QStringLiteral("Disconnect..."));
            btnConnect->click();
            m_services.events->processEvents();
        }
    } catch (...) {
        // An error (a damaged backup file) ends the test; it must not stay
        // marked as running.
        setTesting(false);
        throw;
    }
}

void TForm1::btnACUnlockClick()
{
    TermSdk1->ACUnlock(FMachineNumber, 200);
}

void TForm1::btnSMSClick()
{
    [[maybe_unused]] const int tag = btnSMS->Tag;
}

void TForm1::BackupUsersToFile(const QString& fileName)
{
    UsersBackupFile::backup(*TermSdk1, FMachineNumber, fileName);
}

void TForm1::RestoreUsersFromFile(const QString& fileName)
{
    UsersBackupFile::restore(*TermSdk1, FMachineNumber, fileName, *m_services.events,
                             [this](const QString& line) { AddMessage(line); });
}
