#pragma once

#include "FileDialog.h"
#include "TermSdkFactory.h"
#include "UiServices.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
class TaggedButton;

// The test tool's one window: connects to one terminal over a serial line or
// TCP/IP and runs one SDK operation per button against it, reporting each step
// as a line in the message area. Every command can be used at any time; without
// a connection the SDK simply fails with its own error code.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    TForm1(const UiServices& services, TermSdkFactory sdkFactory, QWidget* parent = nullptr);
    ~TForm1() override;

    // Connection panel.
    QToolButton* sbtnTCPIP;
    QToolButton* sbtnRS232;
    QLabel* Label3; // above edtNetAddress
    QLineEdit* edtNetAddress;
    QLabel* Label4; // above edtNetPort
    QLineEdit* edtNetPort;
    QLabel* Label5;
    QLineEdit* edtBaudRate;
    TaggedButton* btnConnect; // Tag: 1 while connected
    QLabel* Label2;
    QLineEdit* edtPassword;
    QCheckBox* chkEnabled;
    QPlainTextEdit* Memo1;
    QLabel* Label1; // SDK version

    // Operations group: device information and clock.
    QGroupBox* gbOP;
    QTableWidget* vleDevInfo;
    QPushButton* btnLoadDevInfo;
    QPushButton* btnSaveDevInfo;
    QPushButton* btnSetTime;
    QPushButton* Button3; // "Power Off Device"

    // "Data Manager" group.
    QGroupBox* GroupBox1;
    QPushButton* btnClearData;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* btnBackupUser;
    QPushButton* btnRestore;
    QPushButton* Button9;
    QPushButton* btnReadManageLog; // the management-log export
    QPushButton* btnSetName;
    QPushButton* btnDeleteUser;
    QPushButton* Button10;
    QPushButton* btnAutoTest;
    QPushButton* btnACUnlock;
    QPushButton* Button1;
    TaggedButton* btnSMS;

    // Device-control column.
    QPushButton* Button7;
    QPushButton* Button8;
    QPushButton* Button12;
    QPushButton* Button11;
    QPushButton* Button14;
    QPushButton* Button13;
    QPushButton* Button15;
    QPushButton* Button16;
    QPushButton* Button17;
    QPushButton* Button18;
    QPushButton* Button19;
    QPushButton* Button20;
    QPushButton* Button2;

    std::unique_ptr<ITermSdk> TermSdk1;

    // File dialogs; each offers the name last chosen in it.
    FileDialog SaveDialog1;
    FileDialog OpenDialog1;
    FileDialog SaveDialog2;
    FileDialog OpenDialog2;

    // True while the automatic test loop runs.
    bool Testing = false;

    // Appends a line to the message area and repaints it at once.
    void AddMessage(const QString& text);
    // Firmware, serial number, product code, clock and the twelve status
    // counters: always 16 lines, whichever calls fail.
    void ShowDeviceStatus();

    int machineNumber() const { return FMachineNumber; }
    int comPort() const { return FComPort; }
    // Change flag of device-information row r (1..100).
    bool rowChanged(int r) const;

    // Handlers: window, connection panel.
    void FormCreate();
    void sbtnRS232Click();
    void sbtnTCPIPClick();
    void btnConnectClick();
    void chkEnabledClick();

    // Handlers: device information and clock.
    void btnLoadDevInfoClick();
    void btnSaveDevInfoClick();
    void vleDevInfoValidate(int column, int row, const QString& key, const QString& value);
    void btnSetTimeClick();
    void Button3Click();

    // Handlers: "Data Manager" (TForm1DataManager.cpp).
    void btnClearDataClick();
    void Button5Click();
    void Button6Click();
    void btnBackupUserClick();
    void btnRestoreClick();
    void Button9Click();
    void btnSetNameClick();
    void btnDeleteUserClick();
    void btnAutoTestClick();
    void btnACUnlockClick();
    void btnSMSClick();
    void btnReadManageLogClick();
    void BackupUsersToFile(const QString& fileName);
    void RestoreUsersFromFile(const QString& fileName);

    // Handlers: device control (TForm1DeviceControl.cpp).
    void Button7Click();
    void Button8Click();
    void Button12Click();
    void Button11Click();
    void Button14Click();
    void Button2Click();
    void Button13Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();
    void Button18Click();
    void Button19Click();
    void Button20Click();
    void Button1Click();

    // Terminal events.
    void TermSdk1FingerFeature(int score);
    void TermSdk1Verify(int userId);

    const UiServices& services() const { return m_services; }

private:
    void buildWindow();
    void prepareDevInfoGrid();
    void connectTerminal();
    void disconnectTerminal();
    void addDeviceTime();
    // Runs a handler; an error escaping it is shown in a message box and the
    // program goes on.
    void guarded(const std::function<void()>& handler);
    void bindTerminalEvents();
    // GetLastErrorCode as decimal text.
    QString lastErrorText();
    void onClick(QPushButton* button, void (TForm1::*handler)());

    UiServices m_services;
    TermSdkFactory m_sdkFactory;

    int FMachineNumber = 0;
    int FComPort = 0;
    // One flag per grid row position 1..100 (index 0 unused).
    std::vector<bool> FChangedRows;
    bool m_loadingDevInfo = false;
    bool m_autoTestRunning = false;
};
