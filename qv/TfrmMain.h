#pragma once

#include "TermSdkFactory.h"
#include "TerminalVisit.h"
#include "UiServices.h"

#include <QWidget>

#include <functional>
#include <memory>

class DataGrid;
class QGroupBox;
class QPushButton;
class THalvern;
class WorkingTable;

// The interface tool's one window: the terminal list, the registered users
// and the collected attendance records, each in a grid with its buttons.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    TfrmMain(const UiServices& services, TermSdkFactory sdkFactory, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Members, in the window's declaration order.
    QGroupBox* GroupBox_QVJ;
    DataGrid* DBGridEh_QVJ;
    WorkingTable* Ado_DataSet_QVJ;
    WorkingTable* DataSource_QVJ; // the grid and the editor are bound to the table itself
    QPushButton* BT_QVJ_Add;
    QPushButton* BT_QVJ_Mod;
    QPushButton* BT_QVJ_Del;
    QPushButton* BT_QVJ_Test;
    QGroupBox* GroupBox1;
    DataGrid* DBGridEh_PE;
    QPushButton* BT_PE_Get;
    WorkingTable* ADO_DataSet_Pe;
    WorkingTable* DataSource_PE;
    QGroupBox* GroupBox2;
    DataGrid* DBGridEh_QV;
    QPushButton* BT_QV_NewData;
    WorkingTable* Ado_DataSet_QV;
    WorkingTable* DataSource_QV;
    std::unique_ptr<ITermSdk> TermSdk1;
    std::unique_ptr<ITermSdk> TermSdk2;
    THalvern* Halvern1;

    // Values the terminal operations fill row by row.
    VisitState visitState;

    // True while a terminal operation walks the terminal list.
    bool isRunning() const { return m_running; }

    // Handlers.
    void FormShow();
    void Ado_DataSet_QVJAfterOpen();
    void Ado_DataSet_QVJAfterInsert();
    void Ado_DataSet_QVJAfterPost();
    void Ado_DataSet_QVJAfterDelete();
    void ADO_DataSet_PeAfterOpen();
    void ADO_DataSet_PeAfterPost();
    void ADO_DataSet_PeAfterDelete();
    void BT_QVJ_AddClick();
    void BT_QVJ_ModClick();
    void BT_QVJ_DelClick();
    void BT_QVJ_TestClick();
    void BT_PE_GetClick();
    void BT_QV_NewDataClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void applyButtonRule();
    // Runs a handler; an error escaping it is shown in a message box and the program goes on.
    void guarded(const std::function<void()>& handler);
    // Runs a terminal operation with the run lock held: no second run, no
    // change to the terminal list, until it ends.
    // The progress of the run goes into box's caption (none when box is null).
    void runOperation(QGroupBox* box, const QString& caption, const std::function<void()>& operation);
    void showProgress(QGroupBox* box, const QString& caption, const QString& text);
    void openEditor(bool append);

    UiServices m_services;
    TermSdkFactory m_sdkFactory;
    bool m_running = false;
    bool m_closeRequested = false;
    bool m_centred = false;
};
