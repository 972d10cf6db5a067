#pragma once

#include "FileDialog.h"
#include "UiServices.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class ITermSdk;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The user data dialog: one user of the connected terminal with name,
// password, privilege, enabled flag and the ten finger templates as
// hexadecimal text. Every SDK call uses the main window's SDK control and the
// machine number handed over at opening. Closing the window releases it.
class TfrmUser : public QDialog {
    Q_OBJECT
public:
    TfrmUser(ITermSdk* termSdk, int machineNumber, const UiServices& services, QWidget* parent = nullptr);
    ~TfrmUser() override;

    QLabel* Label1;
    QLineEdit* edtPIN;
    QGroupBox* GroupBox1;
    QLabel* Label2;
    QLineEdit* edtName;
    QLabel* Label3;
    QLineEdit* edtPwd;
    QLabel* Label4;
    QComboBox* cboPrivilege;
    QCheckBox* chkEnabled;
    QGroupBox* GroupBox2;
    QTableWidget* vleTemps;
    QLabel* Label5;
    QPushButton* Button7;  // "Save Binary"
    QPushButton* Button8;  // "Load Binary"
    QPushButton* Button9;  // "Del On Device", the current template
    QPushButton* Button10; // "Append To Dev"
    QPushButton* btnLoadDev;
    QPushButton* btnSaveDev;
    QPushButton* btnDelDev;
    QPushButton* btnLoadFile;
    QPushButton* btnSaveFile;
    QPushButton* btnDelFile;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // Fills the list with one line "%-5d  %s" (enroll number, name) per user
    // of the terminal; returns how many.
    int FillUserList(QStringList& list);
    const QStringList& userList() const { return FUserList; }

    // Handlers.
    void btnLoadDevClick();
    void btnSaveDevClick();
    void btnDelDevClick();
    void Button7Click();
    void Button9Click();
    void Button10Click();

private:
    void buildForm();
    int enrollNumber() const;
    // Finger of the grid's current row (the row under the title counts from 0).
    int currentFinger() const;
    void guarded(const std::function<void()>& handler);

    QStringList FUserList;
    ITermSdk* FTermSdk; // not owned
    int FMachineNumber;
    UiServices m_services;
};

// Opens the user data dialog modally for the terminal behind termSdk; returns
// when the dialog has closed (and released itself).
void ShowUserDialog(ITermSdk* termSdk, int machineNumber, const UiServices& services);
