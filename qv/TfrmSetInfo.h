#pragma once

#include "TermSdkFactory.h"
#include "TerminalVisit.h"
#include "UiServices.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class WorkingTable;

// The terminal editor: one row of the device table, which the caller has put
// into append or edit state before showing the dialog. OK checks the entries
// and posts the row, Cancel (or closing the window) cancels it, and the test
// button connects once to the terminal described on screen.
class TfrmSetInfo : public QDialog {
    Q_OBJECT
public:
    TfrmSetInfo(const UiServices& services, const TermSdkFactory& sdkFactory, QWidget* parent = nullptr);
    ~TfrmSetInfo() override;

    WorkingTable* DeviceDataSet = nullptr;    // not owned
    WorkingTable* DeviceDataSource = nullptr; // the controls are bound to it; not owned

    QLineEdit* DBEdit1;      // 设备号
    QComboBox* DBComboBox5;  // 设备类型
    QComboBox* DBComboBox1;  // 通讯方式
    QComboBox* DBComboBox3;  // 串口号
    QComboBox* DBComboBox2;  // 波特率
    QLineEdit* DBEdit2;      // IP地址
    QComboBox* DBComboBox4;  // 端口号
    QLineEdit* DBEdit3;      // 通讯密码
    QPushButton* BT_QVJ_Test;
    QPushButton* BT_Ok;
    QPushButton* BT_Cancel;
    std::unique_ptr<ITermSdk> TermSdk1;

    void FormShow();
    void BT_OkClick();
    void BT_CancelClick();
    void BT_QVJ_TestClick();

    // The ordered entry check on the texts shown; on the first failure shows
    // its message, selects and focuses the control and answers false.
    bool checkEntries(bool withPassword);

    // The working values of the last test.
    const VisitState& testState() const { return m_test; }

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Binding {
        QWidget* control;
        QString field;
    };
    void buildForm();
    QString textOf(QWidget* control) const;
    void setTextOf(QWidget* control, const QString& text);
    void fail(QWidget* control, const QString& message);
    // Hands a control's text to the pending row (at OK, before the post); a text
    // the column cannot take is refused and the row stays pending.
    bool commit(const Binding& binding);
    bool commitAll();
    void guarded(const std::function<void()>& handler);

    UiServices m_services;
    QList<Binding> m_bindings;
    VisitState m_test;
    bool m_shown = false;
};
