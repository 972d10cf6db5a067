// The "Data Manager" group: clearing data, users backup and restore, the
// attendance-log export, the user data dialog, the automatic test, the door lock.
#include "TForm1.h"

#include "TfrmUser.h"

void TForm1::btnClearDataClick() {}
void TForm1::Button5Click() {}
void TForm1::Button6Click() {}
void TForm1::btnBackupUserClick() {}
void TForm1::btnRestoreClick() {}
void TForm1::Button9Click() {}
void TForm1::btnSetNameClick()
{
    ShowUserDialog(TermSdk1.get(), FMachineNumber, m_services);
}
void TForm1::btnDeleteUserClick() {}
void TForm1::btnAutoTestClick() {}
void TForm1::btnACUnlockClick() {}
void TForm1::btnSMSClick() {}
void TForm1::BackupUsersToFile(const QString& /*fileName*/) {}
void TForm1::RestoreUsersFromFile(const QString& /*fileName*/) {}
