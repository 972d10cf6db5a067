#include "TfrmUser.h"

#include "BenchFont.h"
#include "ControlBuilders.h"
#include "DevbenchRoutines.h"
#include "GuardedHandler.h"
#include "ITermSdk.h"
#include "TfrmSelOne.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using namespace ControlBuilders;

namespace {
constexpr int kFingers = 10;
// The room offered for one template; files outside 101..2047 bytes are no template.
constexpr int kTemplateRoom = 2048;
} // namespace

TfrmUser::TfrmUser(ITermSdk* termSdk, int machineNumber, const UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      OpenDialog1(FileDialog::Kind::Open), SaveDialog1(FileDialog::Kind::Save), FTermSdk(termSdk),
      FMachineNumber(machineNumber), m_services(services)
{
    setObjectName(QStringLiteral("frmUser"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildForm();
}

TfrmUser::~TfrmUser() = default;

void TfrmUser::buildForm()
{
    setWindowTitle(QStringLiteral("User Data Managment"));
    setFont(benchFont());
    setFixedSize(517, 429);
    move(562, 191);

    Label1 = makeLabel(this, "Label1", QStringLiteral("Enroll Number:"), 8, 8);
    edtPIN = makeEdit(this, "edtPIN", {8, 24, 73, 21});

    GroupBox1 = makeBox(this, "GroupBox1", QStringLiteral(" User Information "), {8, 48, 342, 65});
    Label2 = makeLabel(GroupBox1, "Label2", QStringLiteral("Name:"), 16, 21);
    edtName = makeEdit(GroupBox1, "edtName", {72, 16, 57, 21});
    Label3 = makeLabel(GroupBox1, "Label3", QStringLiteral("Password:"), 16, 43);
    edtPwd = makeEdit(GroupBox1, "edtPwd", {72, 38, 57, 21});
    Label4 = makeLabel(GroupBox1, "Label4", QStringLiteral("Privilege:"), 152, 17);
    cboPrivilege = new QComboBox(GroupBox1);
    cboPrivilege->setObjectName(QStringLiteral("cboPrivilege"));
    cboPrivilege->addItems({QStringLiteral("普通用户"), QStringLiteral("登记员"), QStringLiteral("管理员"),
                            QStringLiteral("超级管理员")});
    cboPrivilege->setCurrentIndex(-1);
    cboPrivilege->setGeometry(208, 15, 97, 21);
    chkEnabled = new QCheckBox(QStringLiteral("Enabled"), GroupBox1);
    chkEnabled->setObjectName(QStringLiteral("chkEnabled"));
    chkEnabled->setGeometry(208, 38, 89, 17);

    GroupBox2 = makeBox(this, "GroupBox2", QStringLiteral(" Fingerprint Templates "), {8, 120, 342, 233});
    vleTemps = new QTableWidget(kFingers, 2, GroupBox2);
    vleTemps->setObjectName(QStringLiteral("vleTemps"));
    vleTemps->setGeometry(8, 16, 216, 212);
    vleTemps->setHorizontalHeaderLabels({QStringLiteral("Finger"), QStringLiteral("Template")});
    vleTemps->verticalHeader()->hide();
    vleTemps->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    vleTemps->verticalHeader()->setMinimumSectionSize(18);
    vleTemps->verticalHeader()->setDefaultSectionSize(18);
    vleTemps->horizontalHeader()->setFixedHeight(18);
    vleTemps->setColumnWidth(0, 33);
    vleTemps->setColumnWidth(1, 177);
    vleTemps->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int f = 0; f < kFingers; ++f) {
        auto* key = new QTableWidgetItem(QString::number(f));
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        vleTemps->setItem(f, 0, key);
        vleTemps->setItem(f, 1, new QTableWidgetItem(QString()));
    }
    vleTemps->setCurrentCell(0, 1);
    Label5 = makeLabel(GroupBox2, "Label5", QStringLiteral("Label5"), 240, 16);
    Button7 = makeButton(GroupBox2, "Button7", QStringLiteral("Save Binary"), {237, 154, 97, 19});
    Button8 = makeButton(GroupBox2, "Button8", QStringLiteral("Load Binary"), {237, 172, 97, 19});
    Button9 = makeButton(GroupBox2, "Button9", QStringLiteral("Del On Device"), {237, 190, 97, 19});
    Button10 = makeButton(GroupBox2, "Button10", QStringLiteral("Append To Dev"), {237, 208, 97, 19});

    btnLoadDev = makeButton(this, "btnLoadDev", QStringLiteral("Load From Device"), {133, 6, 97, 15});
    btnSaveDev = makeButton(this, "btnSaveDev", QStringLiteral("Save to Device"), {133, 20, 97, 15});
    btnDelDev = makeButton(this, "btnDelDev", QStringLiteral("Del On Device"), {133, 34, 97, 15});
    btnLoadFile = makeButton(this, "btnLoadFile", QStringLiteral("Load From File"), {253, 5, 97, 15});
    btnSaveFile = makeButton(this, "btnSaveFile", QStringLiteral("Save to File"), {253, 19, 97, 15});
    btnDelFile = makeButton(this, "btnDelFile", QStringLiteral("Del On File"), {253, 33, 97, 15});

    const auto bind = [this](QPushButton* button, void (TfrmUser::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    bind(btnLoadDev, &TfrmUser::btnLoadDevClick);
    bind(btnSaveDev, &TfrmUser::btnSaveDevClick);
    bind(btnDelDev, &TfrmUser::btnDelDevClick);
    bind(Button7, &TfrmUser::Button7Click);
    bind(Button9, &TfrmUser::Button9Click);
    bind(Button10, &TfrmUser::Button10Click);
}

void TfrmUser::guarded(const std::function<void()>& handler)
{
    runGuarded(*m_services.messages, this, handler);
}

int TfrmUser::enrollNumber() const
{
    return IntegerOf(edtPIN->text());
}

int TfrmUser::currentFinger() const
{
    return vleTemps->currentRow();
}

int TfrmUser::FillUserList(QStringList& list)
{
    list.clear();
    if (!FTermSdk->LoadAllUserIds(FMachineNumber))
        return 0;
    int count = 0;
    int enroll = 0;
    QString name;
    QString password;
    int privilege = 0;
    bool enabled = false;
    while (FTermSdk->NextUserRecord(FMachineNumber, enroll, name, password, privilege, enabled)) {
        list << QStringLiteral("%1  %2").arg(enroll, -5).arg(name);
        ++count;
    }
    return count;
}

void TfrmUser::btnLoadDevClick()
{
    if (edtPIN->text().trimmed().isEmpty()) {
        if (FillUserList(FUserList) > 0) {
            int index = 0;
            QString text;
            SelectOne(FUserList, index, text);
            edtPIN->setText(text);
        }
    }
    // A picked line becomes its enroll number; a typed number is cut to five characters.
    edtPIN->setText(edtPIN->text().left(5).trimmed());
    if (edtPIN->text().isEmpty())
        return;
    const int enroll = enrollNumber();
    QString name;
    QString password;
    int privilege = 0;
    bool enabled = false;
    FTermSdk->ReadUserInfo(FMachineNumber, enroll, name, password, privilege, enabled);
    edtName->setText(name);
    edtPwd->setText(password);
    const int item = privilege % cboPrivilege->count();
    cboPrivilege->setCurrentIndex(item < 0 ? -1 : item);
    chkEnabled->setChecked(enabled);
    for (int f = 0; f < kFingers; ++f) {
        QByteArray buffer(kTemplateRoom, '\0');
        int length = kTemplateRoom;
        if (FTermSdk->ReadFingerTemplate(FMachineNumber, enroll, f, buffer, length))
            vleTemps->item(f, 1)->setText(BytesToHex(buffer, length));
    }
}

void TfrmUser::btnSaveDevClick()
{
    FTermSdk->WriteUserInfo(FMachineNumber, enrollNumber(), edtName->text(), edtPwd->text(),
                            cboPrivilege->currentIndex(), chkEnabled->isChecked());
}

void TfrmUser::btnDelDevClick()
{
    FTermSdk->DeleteEnrollData(FMachineNumber, enrollNumber(), FMachineNumber, 12);
}

void TfrmUser::Button10Click()
{
    if (!OpenDialog1.Execute(*m_services.files, this))
        return;
    const QByteArray data = LoadFileToString(OpenDialog1.FileName);
    if (data.size() <= 100 || data.size() >= kTemplateRoom)
        return;
    const int enroll = enrollNumber();
    if (!FTermSdk->SetUserTmp(FMachineNumber, enroll, currentFinger(), data)) {
        int code = 0;
        FTermSdk->GetLastErrorCode(code);
        m_services.messages->showErrorCancel(this, QStringLiteral("Error to %1 : %2!").arg(QStringLiteral("SetUserTmp")).arg(code));
    }
}

void TfrmUser::Button7Click()
{
    if (!SaveDialog1.Execute(*m_services.files, this))
        return;
    const int row = currentFinger();
    const QString text = row < 0 ? QString() : vleTemps->item(row, 1)->text();
    if (text.isEmpty())
        return;
    const QByteArray bytes = HexToBytes(text);
    SaveStringToFile(SaveDialog1.FileName, bytes);
    QByteArray buffer(kTemplateRoom, '\0');
    int length = 0;
    if (FTermSdk->ConvertFingerTemplate(bytes, buffer, length))
        SaveStringToFile(SaveDialog1.FileName + QStringLiteral(".old"), buffer.left(qBound(0, length, int(buffer.size()))));
}

void TfrmUser::Button9Click()
{
    FTermSdk->DeleteFingerTemplate(FMachineNumber, enrollNumber(), currentFinger());
}

void ShowUserDialog(ITermSdk* termSdk, int machineNumber, const UiServices& services)
{
    // The dialog releases itself when it closes (it is created for each use).
    auto* dialog = new TfrmUser(termSdk, machineNumber, services);
    dialog->exec();
}
