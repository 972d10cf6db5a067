#include "TForm1.h"

#include "BenchFont.h"
#include "ControlBuilders.h"
#include "DevbenchRoutines.h"
#include "DeviceInfoRows.h"
#include "GuardedHandler.h"
#include "ITermSdk.h"
#include "PickListDelegate.h"
#include "TaggedButton.h"
#include "WindowFont.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

using namespace ControlBuilders;

namespace {
// Outer size 934 × 693; the client area leaves out a 4-pixel frame on every
// side and a 26-pixel caption.
constexpr QSize kClientSize(934 - 8, 693 - 34);

const QStringList kStatusNames{
    QStringLiteral("Tatal administrator"),
    QStringLiteral("Tatal users"),
    QStringLiteral("Tatal FP"),
    QStringLiteral("Tatal Password"),
    QStringLiteral("Tatal manage record"),
    QStringLiteral("Tatal In and out record"),
    QStringLiteral("Nominal FP number"),
    QStringLiteral("Nominal user number"),
    QStringLiteral("Nominal In and out record number"),
    QStringLiteral("Remain FP number"),
    QStringLiteral("Remain user number"),
    QStringLiteral("Remain In and out record number"),
};

constexpr int kChangeFlags = 100;

// The 16 × 16 pictures of the transport buttons: a network plug and a serial connector.
QIcon transportIcon(bool network)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (network) {
        painter.setPen(QColor(0, 64, 128));
        painter.setBrush(QColor(64, 160, 224));
        painter.drawRect(1, 2, 13, 8);
        painter.drawLine(7, 10, 7, 13);
        painter.drawLine(2, 14, 13, 14);
    } else {
        painter.setPen(QColor(64, 64, 64));
        painter.setBrush(QColor(200, 200, 200));
        const QPoint shape[] = {{1, 4}, {14, 4}, {12, 11}, {3, 11}};
        painter.drawPolygon(shape, 4);
        painter.setPen(Qt::black);
        for (int x = 4; x <= 11; x += 2)
            painter.drawPoint(x, 6);
        for (int x = 5; x <= 10; x += 2)
            painter.drawPoint(x, 9);
    }
    return QIcon(pixmap);
}
} // namespace

TForm1::TForm1(const UiServices& services, TermSdkFactory sdkFactory, QWidget* parent)
    : QWidget(parent, Qt::Window), SaveDialog1(FileDialog::Kind::Save, FileDialog::hostPath(QStringLiteral("D:\\backup11b.dat"))),
      OpenDialog1(FileDialog::Kind::Open, FileDialog::hostPath(QStringLiteral("D:\\backup148.dat"))),
      SaveDialog2(FileDialog::Kind::Save, {}, QStringLiteral("dbin")), OpenDialog2(FileDialog::Kind::Open),
      m_services(services), m_sdkFactory(std::move(sdkFactory)), FChangedRows(kChangeFlags + 1, false)
{
    setObjectName(QStringLiteral("Form1"));
    TermSdk1 = m_sdkFactory();
    bindTerminalEvents();
    buildWindow();
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::buildWindow()
{
    setWindowTitle(QStringLiteral("Horolux"));
    setFont(benchFont());
    // The window may be resized; the controls keep their places.
    resize(kClientSize);
    move(176, 153);

    sbtnTCPIP = new QToolButton(this);
    sbtnTCPIP->setObjectName(QStringLiteral("sbtnTCPIP"));
    sbtnRS232 = new QToolButton(this);
    sbtnRS232->setObjectName(QStringLiteral("sbtnRS232"));
    for (QToolButton* button : {sbtnTCPIP, sbtnRS232}) {
        button->setAutoRaise(true);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setIconSize({16, 16});
        button->setIcon(transportIcon(button == sbtnTCPIP));
    }
    sbtnTCPIP->setGeometry(8, 9, 18, 17);
    sbtnRS232->setGeometry(8, 27, 18, 17);
    sbtnTCPIP->setToolTip(QStringLiteral("TCP/IP"));
    sbtnRS232->setToolTip(QStringLiteral("RS232"));
    sbtnRS232->setChecked(true);

    Label3 = makeLabel(this, "Label3", QStringLiteral("IP Address:"), 28, 8);
    edtNetAddress = makeEdit(this, "edtNetAddress", QStringLiteral("COM1"), {28, 24, 77, 21});
    Label4 = makeLabel(this, "Label4", QStringLiteral("Port:"), 104, 8);
    edtNetPort = makeEdit(this, "edtNetPort", QStringLiteral("1"), {104, 24, 41, 21});
    Label5 = makeLabel(this, "Label5", QStringLiteral("BautRate"), 144, 8);
    edtBaudRate = makeEdit(this, "edtBaudRate", QStringLiteral("115200"), {146, 24, 49, 21});
    btnConnect = makeButton<TaggedButton>(this, "btnConnect", QStringLiteral("Connect"), {8, 48, 73, 25});
    Label2 = makeLabel(this, "Label2", QStringLiteral("Password:"), 90, 54);
    edtPassword = makeEdit(this, "edtPassword", QString(), {144, 51, 73, 21});
    chkEnabled = new QCheckBox(QStringLiteral("Enabled"), this);
    chkEnabled->setObjectName(QStringLiteral("chkEnabled"));
    chkEnabled->move(144, 80);
    chkEnabled->adjustSize();

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 104, 217, 393);
    // Long lines wrap at the box's edge, as the original memo's did.
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    Label1 = makeLabel(this, "Label1", QStringLiteral("Label1"), 240, 2);

    gbOP = new QGroupBox(this);
    gbOP->setObjectName(QStringLiteral("gbOP"));
    gbOP->setGeometry(248, 16, 417, 481);

    btnLoadDevInfo = makeButton(gbOP, "btnLoadDevInfo", QStringLiteral("Load Device Info"), {8, 16, 97, 25});
    btnSaveDevInfo = makeButton(gbOP, "btnSaveDevInfo", QStringLiteral("Save Device Info"), {118, 16, 97, 25});
    btnSetTime = makeButton(gbOP, "btnSetTime", QStringLiteral("Set Device Time"), {296, 16, 105, 25});
    Button3 = makeButton(gbOP, "Button3", QStringLiteral("Power Off Device"), {296, 48, 105, 25});

    vleDevInfo = new QTableWidget(DeviceInfoRows::RowCount, 2, gbOP);
    vleDevInfo->setObjectName(QStringLiteral("vleDevInfo"));
    vleDevInfo->setGeometry(8, 40, 281, 433);

    GroupBox1 = new QGroupBox(QStringLiteral("Data Manager"), gbOP);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(296, 88, 105, 385);
    btnClearData = makeButton(GroupBox1, "btnClearData", QStringLiteral("Clear Data"), {16, 24, 75, 16});
    Button5 = makeButton(GroupBox1, "Button5", QStringLiteral("Clear Att Log"), {16, 40, 75, 16});
    Button6 = makeButton(GroupBox1, "Button6", QStringLiteral("Clear Admin"), {16, 56, 75, 16});
    btnBackupUser = makeButton(GroupBox1, "btnBackupUser", QStringLiteral("Backup Users"), {16, 80, 75, 16});
    btnRestore = makeButton(GroupBox1, "btnRestore", QStringLiteral("Restore Users"), {16, 96, 75, 16});
    Button9 = makeButton(GroupBox1, "Button9", QStringLiteral("Read Att Log"), {16, 112, 75, 16});
    btnReadManageLog = makeButton(GroupBox1, "btnReadManageLog", QStringLiteral("Read Mgr Log"), {16, 128, 75, 16});
    btnSetName = makeButton(GroupBox1, "btnSetName", QStringLiteral("Set Name"), {16, 168, 75, 16});
    btnDeleteUser = makeButton(GroupBox1, "btnDeleteUser", QStringLiteral("Delete Users"), {16, 184, 75, 16});
    Button10 = makeButton(GroupBox1, "Button10", QStringLiteral("Delete FP"), {16, 200, 75, 16});
    btnAutoTest = makeButton(GroupBox1, "btnAutoTest", QStringLiteral("Start Test"), {16, 224, 75, 16});
    btnACUnlock = makeButton(GroupBox1, "btnACUnlock", QStringLiteral("ACUnlock"), {16, 240, 75, 17});
    Button1 = makeButton(GroupBox1, "Button1", QStringLiteral("SetEnrollDataStr"), {16, 296, 75, 25});
    btnSMS = makeButton<TaggedButton>(GroupBox1, "btnSMS", QStringLiteral("Set SMS"), {16, 328, 75, 20});

    Button7 = makeButton(this, "Button7", QStringLiteral("Capture Image"), {688, 24, 87, 16});
    Button8 = makeButton(this, "Button8", QStringLiteral("Update firmware"), {688, 40, 87, 16});
    Button12 = makeButton(this, "Button12", QStringLiteral("Clear LCD"), {688, 64, 87, 16});
    Button11 = makeButton(this, "Button11", QStringLiteral("WriteLCD"), {688, 80, 87, 16});
    Button14 = makeButton(this, "Button14", QStringLiteral("Beep"), {688, 96, 87, 16});
    Button13 = makeButton(this, "Button13", QStringLiteral("Play Vioce"), {688, 112, 87, 16});
    Button15 = makeButton(this, "Button15", QStringLiteral("Start Enroll"), {688, 136, 87, 16});
    Button16 = makeButton(this, "Button16", QStringLiteral("Start Verify"), {688, 152, 87, 16});
    Button17 = makeButton(this, "Button17", QStringLiteral("Start Identify"), {688, 168, 87, 16});
    Button18 = makeButton(this, "Button18", QStringLiteral("Cancel Operation"), {688, 184, 87, 16});
    Button19 = makeButton(this, "Button19", QStringLiteral("Backup Data"), {688, 208, 87, 16});
    Button20 = makeButton(this, "Button20", QStringLiteral("Restore Data"), {688, 224, 87, 16});
    Button2 = makeButton(this, "Button2", QStringLiteral("Button2"), {696, 360, 65, 25});

    connect(sbtnRS232, &QToolButton::clicked, this, [this] { guarded([this] { sbtnRS232Click(); }); });
    connect(sbtnTCPIP, &QToolButton::clicked, this, [this] { guarded([this] { sbtnTCPIPClick(); }); });
    connect(chkEnabled, &QCheckBox::clicked, this, [this] { guarded([this] { chkEnabledClick(); }); });
    onClick(btnConnect, &TForm1::btnConnectClick);
    onClick(btnLoadDevInfo, &TForm1::btnLoadDevInfoClick);
    onClick(btnSaveDevInfo, &TForm1::btnSaveDevInfoClick);
    onClick(btnSetTime, &TForm1::btnSetTimeClick);
    onClick(Button3, &TForm1::Button3Click);

    onClick(btnClearData, &TForm1::btnClearDataClick);
    onClick(Button5, &TForm1::Button5Click);
    onClick(Button6, &TForm1::Button6Click);
    onClick(btnBackupUser, &TForm1::btnBackupUserClick);
    onClick(btnRestore, &TForm1::btnRestoreClick);
    onClick(Button9, &TForm1::Button9Click);
    onClick(btnReadManageLog, &TForm1::btnReadManageLogClick);
    onClick(Button1, &TForm1::Button1Click);
    onClick(btnSetName, &TForm1::btnSetNameClick);
    onClick(btnDeleteUser, &TForm1::btnDeleteUserClick);
    onClick(btnAutoTest, &TForm1::btnAutoTestClick);
    onClick(btnACUnlock, &TForm1::btnACUnlockClick);
    onClick(btnSMS, &TForm1::btnSMSClick);

    onClick(Button7, &TForm1::Button7Click);
    onClick(Button8, &TForm1::Button8Click);
    onClick(Button12, &TForm1::Button12Click);
    onClick(Button11, &TForm1::Button11Click);
    onClick(Button14, &TForm1::Button14Click);
    onClick(Button2, &TForm1::Button2Click);
    onClick(Button13, &TForm1::Button13Click);
    onClick(Button15, &TForm1::Button15Click);
    onClick(Button16, &TForm1::Button16Click);
    onClick(Button17, &TForm1::Button17Click);
    onClick(Button18, &TForm1::Button18Click);
    onClick(Button19, &TForm1::Button19Click);
    onClick(Button20, &TForm1::Button20Click);
}

void TForm1::onClick(QPushButton* button, void (TForm1::*handler)())
{
    connect(button, &QPushButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void TForm1::guarded(const std::function<void()>& handler)
{
    runGuarded(*m_services.messages, this, handler);
}

void TForm1::AddMessage(const QString& text)
{
    Memo1->appendPlainText(text);
    // Painted now, not when the command returns to the event loop, so lines
    // show while a long command still runs.
    Memo1->viewport()->repaint();
}

// ------------------------------------------------------------- start-up

void TForm1::FormCreate()
{
    QString version;
    Label1->setText(TermSdk1->GetSdkVersion(version) ? version : QString());
    Label1->adjustSize();
    prepareDevInfoGrid();
}

void TForm1::prepareDevInfoGrid()
{
    vleDevInfo->setFont(windowFont(12));
    vleDevInfo->setHorizontalHeaderLabels({QStringLiteral("Item"), QStringLiteral("Value")});
    vleDevInfo->verticalHeader()->hide();
    vleDevInfo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    vleDevInfo->verticalHeader()->setMinimumSectionSize(18);
    vleDevInfo->verticalHeader()->setDefaultSectionSize(18);
    vleDevInfo->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    vleDevInfo->horizontalHeader()->setFixedHeight(18);
    vleDevInfo->setColumnWidth(0, 160);
    vleDevInfo->setColumnWidth(1, 98);
    vleDevInfo->setSelectionMode(QAbstractItemView::SingleSelection);
    vleDevInfo->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    for (int r = 1; r <= DeviceInfoRows::RowCount; ++r) {
        auto* key = new QTableWidgetItem(DeviceInfoRows::row(r).key);
        key->setFlags(Qt::ItemIsEnabled);
        vleDevInfo->setItem(r - 1, 0, key);
        vleDevInfo->setItem(r - 1, 1, new QTableWidgetItem(QString()));
    }
    vleDevInfo->setItemDelegateForColumn(
        1, new PickListDelegate([](int row) { return DeviceInfoRows::row(row + 1).pickList; }, vleDevInfo));
    connect(vleDevInfo, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_loadingDevInfo || item->column() != 1)
            return;
        guarded([this, item] {
            vleDevInfoValidate(item->column(), item->row() + 1, vleDevInfo->item(item->row(), 0)->text(),
                               item->text());
        });
    });
}

// ------------------------------------------------------------- connection

void TForm1::sbtnRS232Click()
{
    Label3->setText(QStringLiteral("Com Port:"));
    Label3->adjustSize();
    Label4->setText(QStringLiteral("Device ID:"));
    Label4->adjustSize();
    edtNetAddress->setText(QStringLiteral("COM1"));
    edtNetPort->setText(QStringLiteral("1"));
}

void TForm1::sbtnTCPIPClick()
{
    Label3->setText(QStringLiteral("IP Address:"));
    Label3->adjustSize();
    Label4->setText(QStringLiteral("Port Number:"));
    Label4->adjustSize();
    edtNetAddress->setText(QStringLiteral("192.168.1.201"));
    edtNetPort->setText(QStringLiteral("$1112"));
}

void TForm1::btnConnectClick()
{
    if (btnConnect->Tag == 0)
        connectTerminal();
    else
        disconnectTerminal();
}

void TForm1::connectTerminal()
{
    FMachineNumber = IntegerOf(edtNetPort->text());
    if (!edtPassword->text().isEmpty())
        TermSdk1->SetCommKey(IntegerOf(edtPassword->text()));
    const QString address = edtNetAddress->text();
    bool ok = false;
    if (address.toUpper().startsWith(QLatin1String("COM"))) {
        // The port is the fourth character read as one digit: COM1..COM9 are
        // ports 1..9; anything else gives a port the SDK refuses.
        FComPort = (address.size() > 3 ? address.at(3).unicode() : 0) - '0';
        TermSdk1->SetCommPort(FComPort);
        ok = TermSdk1->ConnectSerial(FComPort, FMachineNumber, IntegerOf(edtBaudRate->text()));
    } else {
        // On this path the second field holds the TCP port; the terminal
        // answers a network session as machine number 1.
        ok = TermSdk1->ConnectNetwork(address, FMachineNumber);
        FMachineNumber = 1;
    }
    if (ok) {
        AddMessage(QStringLiteral("Device Connected."));
        ShowDeviceStatus();
        btnConnect->Tag = 1;
        btnConnect->setText(QStringLiteral("Disconnect"));
    } else {
        int code = 0;
        TermSdk1->GetLastErrorCode(code);
        AddMessage(QStringLiteral("! ConnectDevice ErrorNo.=%1").arg(code));
    }
    AddMessage(QStringLiteral(" "));
}

void TForm1::disconnectTerminal()
{
    TermSdk1->RefreshDeviceData(FMachineNumber);
    TermSdk1->SetDeviceEnabled(FMachineNumber, true);
    TermSdk1->Disconnect();
    btnConnect->Tag = 0;
    btnConnect->setText(QStringLiteral("Connect"));
}

void TForm1::chkEnabledClick()
{
    TermSdk1->SetDeviceEnabled(FMachineNumber, chkEnabled->isChecked());
}

void TForm1::ShowDeviceStatus()
{
    const auto failed = [this](const QString& operation) {
        int code = 0;
        TermSdk1->GetLastErrorCode(code);
        AddMessage(QStringLiteral("! %1 ErrorNo.=%2").arg(operation).arg(code));
    };
    QString text;
    if (TermSdk1->GetFirmwareVersion(FMachineNumber, text))
        AddMessage(QStringLiteral("Firmware Version: ") + AnsiText(text));
    else
        failed(QStringLiteral("GetFirmwareVersion"));
    text.clear();
    if (TermSdk1->GetSerialNumber(FMachineNumber, text))
        AddMessage(QStringLiteral("Serial Number: ") + AnsiText(text));
    else
        failed(QStringLiteral("GetSerialNumber"));
    text.clear();
    if (TermSdk1->GetProductCode(FMachineNumber, text))
        AddMessage(QStringLiteral("ProductCode: ") + AnsiText(text));
    else
        failed(QStringLiteral("GetProductCode"));
    addDeviceTime();
    for (int i = 1; i <= kStatusNames.size(); ++i) {
        int value = 0;
        if (TermSdk1->GetDeviceStatus(FMachineNumber, i, value))
            AddMessage(QStringLiteral("%1: %2").arg(kStatusNames.at(i - 1)).arg(value));
        else
            failed(QStringLiteral("GetDeviceStatus(%1)").arg(i));
    }
}

void TForm1::addDeviceTime()
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (TermSdk1->GetDeviceTime(FMachineNumber, year, month, day, hour, minute, second)) {
        AddMessage(QStringLiteral("DeviceTime=%1-%2-%3 %4:%5:%6").arg(year).arg(month).arg(day).arg(hour).arg(minute).arg(second));
    } else {
        int code = 0;
        TermSdk1->GetLastErrorCode(code);
        AddMessage(QStringLiteral("! GetDeviceTime ErrorNo.=%1").arg(code));
    }
}

// ------------------------------------------------------------- device information and clock

bool TForm1::rowChanged(int r) const
{
    return r >= 1 && r <= kChangeFlags && FChangedRows.at(static_cast<size_t>(r));
}

void TForm1::btnLoadDevInfoClick()
{
    m_loadingDevInfo = true;
    for (int r = 1; r <= DeviceInfoRows::RowCount; ++r) {
        int value = 0;
        if (!TermSdk1->GetDeviceInfo(FMachineNumber, r, value)) {
            int code = 0;
            TermSdk1->GetLastErrorCode(code);
            AddMessage(QStringLiteral("! GetDeviceInfo(%1) ErrorNo.=%2").arg(r).arg(code));
            continue;
        }
        vleDevInfo->item(r - 1, 1)->setText(DeviceInfoRows::valueToText(r, value));
    }
    m_loadingDevInfo = false;
    FChangedRows.assign(kChangeFlags + 1, false);
}

void TForm1::vleDevInfoValidate(int /*column*/, int row, const QString& /*key*/, const QString& /*value*/)
{
    if (row >= 1 && row <= kChangeFlags)
        FChangedRows[static_cast<size_t>(row)] = true;
}

void TForm1::btnSaveDevInfoClick()
{
    for (int r = 1; r <= DeviceInfoRows::RowCount; ++r) {
        if (!FChangedRows.at(static_cast<size_t>(r)))
            continue;
        const int value = DeviceInfoRows::textToValue(r, vleDevInfo->item(r - 1, 1)->text());
        if (!TermSdk1->SetDeviceInfo(FMachineNumber, r, value)) {
            int code = 0;
            TermSdk1->GetLastErrorCode(code);
            AddMessage(QStringLiteral("! SetDeviceInfo(%1) ErrorNo.=%2").arg(r).arg(code));
            return;
        }
        FChangedRows[static_cast<size_t>(r)] = false;
        if (r == DeviceInfoRows::DeviceIdRow) {
            FMachineNumber = value;
            // The serial connect reads the machine number from this field, so
            // the next connect addresses the terminal under its new ID.
            if (edtNetAddress->text().toUpper().startsWith(QLatin1String("COM")))
                edtNetPort->setText(QString::number(value));
        }
    }
    AddMessage(QStringLiteral("SetDeviceInfo OK"));
}

void TForm1::btnSetTimeClick()
{
    if (!TermSdk1->SetDeviceTime(FMachineNumber)) {
        int code = 0;
        TermSdk1->GetLastErrorCode(code);
        AddMessage(QStringLiteral("! SetDeviceTime ErrorNo.=%1").arg(code));
        return;
    }
    AddMessage(QStringLiteral("SetDeviceTime OK."));
    addDeviceTime();
}

void TForm1::Button3Click()
{
    TermSdk1->PowerOffDevice(FMachineNumber);
}
