#include "TfrmSetInfo.h"

#include "GuardedHandler.h"
#include "ITermSdk.h"
#include "IntegerText.h"
#include "QvTables.h"
#include "TerminalEntry.h"
#include "WindowFont.h"
#include "WorkingTable.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

#include <exception>


namespace {
using namespace QvTables;

QLabel* label(QWidget* parent, const QString& text, int x, int y)
{
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items, const QRect& geometry)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setGeometry(geometry);
    return box;
}

QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(geometry);
    return e;
}

void separator(QWidget* parent, int y)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(8, y, parent->width() - 16, 4);
}
} // namespace

TfrmSetInfo::TfrmSetInfo(const UiServices& services, const TermSdkFactory& sdkFactory, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      TermSdk1(sdkFactory()), m_services(services)
{
    setObjectName(QStringLiteral("frmSetInfo"));
    buildForm();
}

TfrmSetInfo::~TfrmSetInfo() = default;

void TfrmSetInfo::buildForm()
{
    setWindowTitle(QStringLiteral("考勤机设备"));
    setFixedSize(535, 320);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xFF, 0xD8, 0xB5));
    setPalette(p);
    setFont(windowFont());

    auto* box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("GroupBox1"));
    box->setGeometry(8, 4, 519, 268);

    label(box, QStringLiteral("设 备 号："), 16, 24);
    DBEdit1 = edit(box, "DBEdit1", {90, 20, 120, 22});
    label(box, QStringLiteral("设备类型："), 280, 24);
    DBComboBox5 = combo(box, "DBComboBox5", {kBlackWhite, kColour, kFace}, {354, 20, 140, 22});
    label(box, QStringLiteral("通讯方式："), 16, 54);
    DBComboBox1 = combo(box, "DBComboBox1", {kSerialMode, kNetworkMode}, {90, 50, 140, 22});
    separator(box, 84);
    label(box, QStringLiteral("1、串口通信方式："), 16, 96);
    label(box, QStringLiteral("  串口号："), 16, 122);
    label(box, QStringLiteral("COM"), 92, 122);
    DBComboBox3 = combo(box, "DBComboBox3",
                        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                         QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"),
                         QStringLiteral("9")},
                        {122, 118, 88, 22});
    label(box, QStringLiteral("波 特 率："), 280, 122);
    DBComboBox2 = combo(box, "DBComboBox2", {QStringLiteral("115200"), QStringLiteral("19200")}, {354, 118, 140, 22});
    label(box, QStringLiteral("2、TCP/IP通信方式："), 16, 154);
    label(box, QStringLiteral("  IP地址："), 16, 180);
    DBEdit2 = edit(box, "DBEdit2", {90, 176, 140, 22});
    label(box, QStringLiteral("端 口 号："), 280, 180);
    DBComboBox4 = combo(box, "DBComboBox4", {QStringLiteral("4370")}, {354, 176, 140, 22});
    separator(box, 212);
    label(box, QStringLiteral("通讯密码："), 16, 232);
    DBEdit3 = edit(box, "DBEdit3", {90, 228, 140, 22});

    const QStyle* s = style();
    BT_QVJ_Test = new QPushButton(s->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("测试设备(&L)"), this);
    BT_QVJ_Test->setObjectName(QStringLiteral("BT_QVJ_Test"));
    BT_QVJ_Test->setGeometry(8, 282, 116, 28);
    BT_QVJ_Test->setAutoDefault(false);
    BT_Ok = new QPushButton(s->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("确定(&O)"), this);
    BT_Ok->setObjectName(QStringLiteral("BT_Ok"));
    BT_Ok->setGeometry(333, 282, 92, 28);
    BT_Ok->setDefault(true);
    BT_Cancel = new QPushButton(s->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消(&C)"), this);
    BT_Cancel->setObjectName(QStringLiteral("BT_Cancel"));
    BT_Cancel->setGeometry(435, 282, 92, 28);
    BT_Cancel->setAutoDefault(false);

    QWidget* order[] = {DBEdit1,     DBComboBox1, DBComboBox3, DBComboBox2, DBEdit2, DBComboBox4,
                        DBEdit3,     DBComboBox5, BT_QVJ_Test, BT_Ok,       BT_Cancel};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    m_bindings = {{DBEdit1, kDeviceNo},     {DBComboBox5, kDeviceType}, {DBComboBox1, kCommMode},
                  {DBComboBox3, kSerialPort}, {DBComboBox2, kBaudRate}, {DBEdit2, kIpAddress},
                  {DBComboBox4, kTcpPort},  {DBEdit3, kCommPassword}};
    connect(BT_Ok, &QPushButton::clicked, this, [this] { guarded([this] { BT_OkClick(); }); });
    connect(BT_Cancel, &QPushButton::clicked, this, [this] { guarded([this] { BT_CancelClick(); }); });
    connect(BT_QVJ_Test, &QPushButton::clicked, this, [this] { guarded([this] { BT_QVJ_TestClick(); }); });
}

void TfrmSetInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Coming back from minimised is no new show: the controls keep what the
    // user typed, or OK would post the stored values over it.
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
}

QString TfrmSetInfo::textOf(QWidget* control) const
{
    if (auto* line = qobject_cast<QLineEdit*>(control))
        return line->text();
    return static_cast<QComboBox*>(control)->currentText();
}

void TfrmSetInfo::setTextOf(QWidget* control, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(control))
        line->setText(text);
    else
        static_cast<QComboBox*>(control)->setEditText(text);
}

void TfrmSetInfo::FormShow()
{
    if (!DeviceDataSource)
        return;
    for (const Binding& binding : m_bindings)
        setTextOf(binding.control, DeviceDataSource->fieldText(binding.field));
    DBEdit1->setFocus();
}

void TfrmSetInfo::guarded(const std::function<void()>& handler)
{
    runGuarded(*m_services.messages, this, handler);
}

void TfrmSetInfo::fail(QWidget* control, const QString& message)
{
    m_services.messages->showError(this, message);
    if (auto* line = qobject_cast<QLineEdit*>(control))
        line->selectAll();
    else
        static_cast<QComboBox*>(control)->lineEdit()->selectAll();
    control->setFocus();
}

bool TfrmSetInfo::checkEntries(bool withPassword)
{
    TerminalEntry entry;
    for (const Binding& binding : m_bindings)
        entry.setValue(binding.field, textOf(binding.control));
    const auto problem = entry.check(withPassword);
    if (!problem)
        return true;
    for (const Binding& binding : m_bindings)
        if (binding.field == problem->column)
            fail(binding.control, problem->message);
    return false;
}

bool TfrmSetInfo::commit(const Binding& binding)
{
    if (!DeviceDataSet || (DeviceDataSet->state() != WorkingTable::State::Insert &&
                           DeviceDataSet->state() != WorkingTable::State::Edit))
        return true;
    try {
        DeviceDataSet->setFieldValue(binding.field, textOf(binding.control));
        return true;
    } catch (const std::exception& error) {
        fail(binding.control, QString::fromUtf8(error.what()));
        return false;
    }
}

bool TfrmSetInfo::commitAll()
{
    for (const Binding& binding : m_bindings)
        if (!commit(binding))
            return false;
    return true;
}

void TfrmSetInfo::BT_OkClick()
{
    if (!checkEntries(false))
        return;
    if (!commitAll())
        return; // the row stays pending, the dialog open
    DeviceDataSet->post();
    accept();
}

void TfrmSetInfo::BT_CancelClick()
{
    if (DeviceDataSet)
        DeviceDataSet->cancel();
    QDialog::reject();
}

void TfrmSetInfo::reject()
{
    // Esc and the title-bar close cancel like the Cancel button: a row left
    // pending with no dialog on screen would block every later change.
    guarded([this] { BT_CancelClick(); });
}

void TfrmSetInfo::BT_QVJ_TestClick()
{
    if (!checkEntries(true))
        return;
    // Every conversion comes before the first call to the terminal.
    if (textOf(DBComboBox1) == kSerialMode) {
        const int machine = integerFromText(textOf(DBEdit1));
        const int port = integerFromText(textOf(DBComboBox3));
        const int baud = integerFromText(textOf(DBComboBox2));
        const QString password = textOf(DBEdit3);
        const int key = password.isEmpty() ? TerminalVisit::kNoKey : integerFromText(password);
        m_test.machineNumber = machine;
        m_test.port = port;
        m_test.baudRate = baud;
        m_test.commKey = key;
        if (m_test.commKey != TerminalVisit::kNoKey)
            TermSdk1->SetCommKey(m_test.commKey);
        TermSdk1->SetCommPort(m_test.port);
        m_test.connected = TermSdk1->ConnectSerial(m_test.port, m_test.machineNumber, m_test.baudRate);
    } else {
        const int port = integerFromText(textOf(DBComboBox4));
        const int key = integerFromText(textOf(DBEdit3));
        m_test.machineNumber = 1;
        m_test.ipAddress = textOf(DBEdit2);
        m_test.port = port;
        m_test.commKey = key;
        if (m_test.commKey != TerminalVisit::kNoKey)
            TermSdk1->SetCommKey(m_test.commKey);
        m_test.connected = TermSdk1->ConnectNetwork(m_test.ipAddress, m_test.port);
    }
    if (m_test.connected) {
        m_services.messages->showInformation(this, QStringLiteral("测试连接成功"));
        TerminalVisit::release(*TermSdk1, m_test);
    } else {
        m_services.messages->showError(this, QStringLiteral("测试连接失败"));
    }
}
