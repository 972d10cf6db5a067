#include "TfrmMain.h"

#include "ConnectionTest.h"
#include "DataGrid.h"
#include "GridMenus.h"
#include "GuardedHandler.h"
#include "QvTables.h"
#include "RecordCollection.h"
#include "THalvern.h"
#include "TfrmSetInfo.h"
#include "UserRetrieval.h"
#include "WindowFont.h"
#include "WorkingTable.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

#include <exception>


namespace {
// Light peach of the window and of the grids' fixed cells (RGB 255, 216, 181).
const QColor kWindowColour(255, 216, 181);
const QString kPersonCaption = QStringLiteral("注册人员信息：");
const QString kRecordCaption = QStringLiteral("数据采集");
// Room a panel's caption leaves free: the frame's indent at the left and a gap at the right.
constexpr int kCaptionMargin = 32;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QStyle::StandardPixmap glyph,
                        const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(glyph));
    button->setGeometry(geometry);
    return button;
}

DataGrid* makeGrid(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* grid = new DataGrid(parent);
    grid->setObjectName(QLatin1String(name));
    grid->setGeometry(geometry);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Button, kWindowColour);
    grid->horizontalHeader()->setPalette(palette);
    grid->verticalHeader()->setPalette(palette);
    return grid;
}

QGroupBox* makeBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}
} // namespace

TfrmMain::TfrmMain(const UiServices& services, TermSdkFactory sdkFactory, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_services(services), m_sdkFactory(std::move(sdkFactory))
{
    setObjectName(QStringLiteral("frmMain"));
    buildWindow();
    installGridMenus(*this, m_services);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::buildWindow()
{
    setWindowTitle(QStringLiteral("澄岳时代 - 考勤机 接口处理"));
    setFixedSize(831, 742);
    setAutoFillBackground(true);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kWindowColour);
    setPalette(windowPalette);
    setFont(windowFont());

    GroupBox_QVJ = makeBox(this, "GroupBox_QVJ", QStringLiteral("考勤机设备列表："), {11, 8, 807, 242});
    DBGridEh_QVJ = makeGrid(GroupBox_QVJ, "DBGridEh_QVJ", {16, 20, 773, 176});
    Ado_DataSet_QVJ = new WorkingTable(QStringLiteral("Ado_DataSet_QVJ"), this);
    Ado_DataSet_QVJ->setObjectName(QStringLiteral("Ado_DataSet_QVJ"));
    DataSource_QVJ = Ado_DataSet_QVJ;
    BT_QVJ_Add = makeButton(GroupBox_QVJ, "BT_QVJ_Add", QStringLiteral("添加(&N)"), QStyle::SP_FileIcon,
                            {16, 200, 100, 28});
    BT_QVJ_Mod = makeButton(GroupBox_QVJ, "BT_QVJ_Mod", QStringLiteral("修改(&M)"),
                            QStyle::SP_FileDialogDetailedView, {119, 200, 100, 28});
    BT_QVJ_Del = makeButton(GroupBox_QVJ, "BT_QVJ_Del", QStringLiteral("删除(&D)"), QStyle::SP_TrashIcon,
                            {224, 200, 100, 28});
    BT_QVJ_Test = makeButton(GroupBox_QVJ, "BT_QVJ_Test", QStringLiteral("测试设备(&L)"),
                             QStyle::SP_DialogApplyButton, {662, 200, 129, 28});

    GroupBox1 = makeBox(this, "GroupBox1", kPersonCaption, {11, 255, 294, 478});
    DBGridEh_PE = makeGrid(GroupBox1, "DBGridEh_PE", {16, 20, 260, 412});
    BT_PE_Get = makeButton(GroupBox1, "BT_PE_Get", QStringLiteral("取得考勤机已注册人员信息(&G)"),
                           QStyle::SP_FileDialogContentsView, {16, 436, 261, 28});
    ADO_DataSet_Pe = new WorkingTable(QStringLiteral("ADO_DataSet_Pe"), this);
    ADO_DataSet_Pe->setObjectName(QStringLiteral("ADO_DataSet_Pe"));
    DataSource_PE = ADO_DataSet_Pe;

    GroupBox2 = makeBox(this, "GroupBox2", kRecordCaption, {312, 255, 505, 478});
    DBGridEh_QV = makeGrid(GroupBox2, "DBGridEh_QV", {15, 20, 473, 411});
    BT_QV_NewData = makeButton(GroupBox2, "BT_QV_NewData", QStringLiteral("采集新的考勤数据信息(&E)"),
                               QStyle::SP_BrowserReload, {15, 436, 474, 28});
    Ado_DataSet_QV = new WorkingTable(QStringLiteral("Ado_DataSet_QV"), this);
    Ado_DataSet_QV->setObjectName(QStringLiteral("Ado_DataSet_QV"));
    DataSource_QV = Ado_DataSet_QV;

    TermSdk1 = m_sdkFactory();
    TermSdk2 = m_sdkFactory();
    Halvern1 = new THalvern(this, m_services);
    Halvern1->setObjectName(QStringLiteral("Halvern1"));
    applyMainWindowStoredValues(*Halvern1);

    setTabOrder(DBGridEh_QVJ, BT_QVJ_Add);
    setTabOrder(BT_QVJ_Add, BT_QVJ_Mod);
    setTabOrder(BT_QVJ_Mod, BT_QVJ_Del);
    setTabOrder(BT_QVJ_Del, BT_QVJ_Test);
    setTabOrder(BT_QVJ_Test, DBGridEh_PE);
    setTabOrder(DBGridEh_PE, BT_PE_Get);
    setTabOrder(BT_PE_Get, DBGridEh_QV);
    setTabOrder(DBGridEh_QV, BT_QV_NewData);

    connect(Ado_DataSet_QVJ, &WorkingTable::afterOpen, this, &TfrmMain::Ado_DataSet_QVJAfterOpen);
    connect(Ado_DataSet_QVJ, &WorkingTable::afterInsert, this, &TfrmMain::Ado_DataSet_QVJAfterInsert);
    connect(Ado_DataSet_QVJ, &WorkingTable::afterPost, this, &TfrmMain::Ado_DataSet_QVJAfterPost);
    connect(Ado_DataSet_QVJ, &WorkingTable::afterDelete, this, &TfrmMain::Ado_DataSet_QVJAfterDelete);
    connect(ADO_DataSet_Pe, &WorkingTable::afterOpen, this, &TfrmMain::ADO_DataSet_PeAfterOpen);
    connect(ADO_DataSet_Pe, &WorkingTable::afterPost, this, &TfrmMain::ADO_DataSet_PeAfterPost);
    connect(ADO_DataSet_Pe, &WorkingTable::afterDelete, this, &TfrmMain::ADO_DataSet_PeAfterDelete);

    connect(BT_QVJ_Add, &QPushButton::clicked, this, [this] { guarded([this] { BT_QVJ_AddClick(); }); });
    connect(BT_QVJ_Mod, &QPushButton::clicked, this, [this] { guarded([this] { BT_QVJ_ModClick(); }); });
    connect(BT_QVJ_Del, &QPushButton::clicked, this, [this] { guarded([this] { BT_QVJ_DelClick(); }); });
    connect(BT_QVJ_Test, &QPushButton::clicked, this, [this] { guarded([this] { BT_QVJ_TestClick(); }); });
    connect(BT_PE_Get, &QPushButton::clicked, this, [this] { guarded([this] { BT_PE_GetClick(); }); });
    connect(BT_QV_NewData, &QPushButton::clicked, this, [this] { guarded([this] { BT_QV_NewDataClick(); }); });
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // the window coming back from the task bar is not a new show
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    guarded([this] { FormShow(); });
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        // A terminal is being read while its messages are pumped; the run
        // stops after the current terminal and the window closes then.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TfrmMain::FormShow()
{
    QvTables::rebuildDeviceTable(*Ado_DataSet_QVJ);
    QvTables::rebuildPersonTable(*ADO_DataSet_Pe);
    QvTables::rebuildRecordTable(*Ado_DataSet_QV);

    using Column = DataGrid::Column;
    using namespace QvTables;
    DBGridEh_QVJ->setTable(Ado_DataSet_QVJ, {{kDeviceNo, 50},
                                             {kDeviceType, 80},
                                             {kCommMode, 80},
                                             {kSerialPort, 60, QStringLiteral("串口通讯方式|串口号")},
                                             {kBaudRate, 80, QStringLiteral("串口通讯方式|波特率")},
                                             {kIpAddress, 120, QStringLiteral("TCP/IP通讯方式|IP地址")},
                                             {kTcpPort, 60, QStringLiteral("TCP/IP通讯方式|端口号")},
                                             {kCommPassword, 100},
                                             {kLinkState, 80}});
    DBGridEh_PE->setTable(ADO_DataSet_Pe, {{kDeviceNo, 60}, {kEnrollNo, 60}, {kName, 80}});
    DBGridEh_QV->setTable(Ado_DataSet_QV, QList<Column>{{kDeviceNo, 60}, {kEnrollNo, 60}, {kName, 80}, {kTime, 140}, {kKind, 70}});
}

// ---------------------------------------------------------------- table events

void TfrmMain::applyButtonRule()
{
    const bool enable = !m_running && !Ado_DataSet_QVJ->isEmpty();
    for (QPushButton* button : {BT_QVJ_Mod, BT_QVJ_Del, BT_QVJ_Test, BT_PE_Get, BT_QV_NewData})
        button->setEnabled(enable);
    BT_QVJ_Add->setEnabled(!m_running);
}

void TfrmMain::Ado_DataSet_QVJAfterOpen() { applyButtonRule(); }
void TfrmMain::Ado_DataSet_QVJAfterInsert() { QvTables::setNewDeviceDefaults(*Ado_DataSet_QVJ); }
void TfrmMain::Ado_DataSet_QVJAfterPost() { applyButtonRule(); }
void TfrmMain::Ado_DataSet_QVJAfterDelete() { applyButtonRule(); }
void TfrmMain::ADO_DataSet_PeAfterOpen() { applyButtonRule(); }
void TfrmMain::ADO_DataSet_PeAfterPost() { applyButtonRule(); }
void TfrmMain::ADO_DataSet_PeAfterDelete() { applyButtonRule(); }

// ---------------------------------------------------------------- buttons

void TfrmMain::guarded(const std::function<void()>& handler)
{
    runGuarded(*m_services.messages, this, handler);
}

void TfrmMain::runOperation(QGroupBox* box, const QString& caption, const std::function<void()>& operation)
{
    if (m_running)
        return;
    m_running = true;
    applyButtonRule();
    // The walk follows the device table's cursor; a click in its grid must not move it meanwhile.
    DBGridEh_QVJ->setEnabled(false);
    // However the run ends (done, stopped by a close, or stopped by an error),
    // the window is unlocked, the caption loses its progress text, the error
    // is reported, and a close asked for meanwhile happens.
    std::exception_ptr failure;
    try {
        operation();
    } catch (...) {
        failure = std::current_exception();
    }
    m_running = false;
    DBGridEh_QVJ->setEnabled(true);
    applyButtonRule();
    if (box)
        showProgress(box, caption, {});
    if (failure)
        guarded([&failure] { std::rethrow_exception(failure); });
    if (m_closeRequested)
        close();
}

void TfrmMain::showProgress(QGroupBox* box, const QString& caption, const QString& text)
{
    if (text.isEmpty()) {
        box->setTitle(caption);
        box->setToolTip({});
        return;
    }
    // The progress stays inside its own panel: the person panel is narrow and
    // its neighbour's caption starts a few pixels to its right.
    const QString full = caption + QStringLiteral("  ") + text;
    const int room = box->width() - kCaptionMargin;
    box->setTitle(box->fontMetrics().elidedText(full, Qt::ElideRight, room));
    box->setToolTip(full);
}

void TfrmMain::openEditor(bool append)
{
    if (m_running)
        return;
    // The dialog is made before the table is touched: if it cannot be made, the table stays as it was.
    TfrmSetInfo dialog(m_services, m_sdkFactory, this);
    dialog.DeviceDataSet = Ado_DataSet_QVJ;
    dialog.DeviceDataSource = DataSource_QVJ;
    if (append)
        Ado_DataSet_QVJ->append();
    else
        Ado_DataSet_QVJ->edit();
    dialog.exec();
}

void TfrmMain::BT_QVJ_AddClick()
{
    openEditor(true);
}

void TfrmMain::BT_QVJ_ModClick()
{
    if (Ado_DataSet_QVJ->isEmpty())
        return;
    openEditor(false);
}

void TfrmMain::BT_QVJ_DelClick()
{
    if (m_running || Ado_DataSet_QVJ->isEmpty())
        return;
    Ado_DataSet_QVJ->deleteCurrent();
}

void TfrmMain::BT_QVJ_TestClick()
{
    runOperation(nullptr, {},
                 [this] { ConnectionTest::run(*Ado_DataSet_QVJ, *TermSdk1, visitState, *m_services.events); });
}

void TfrmMain::BT_PE_GetClick()
{
    runOperation(GroupBox1, kPersonCaption, [this] {
        UserRetrieval::Context context{*Ado_DataSet_QVJ, *ADO_DataSet_Pe, *TermSdk1, visitState, m_services, this};
        context.stopRequested = [this] { return m_closeRequested; };
        context.progress = [this](const QString& text) { showProgress(GroupBox1, kPersonCaption, text); };
        UserRetrieval::run(context);
    });
}

void TfrmMain::BT_QV_NewDataClick()
{
    runOperation(GroupBox2, kRecordCaption, [this] {
        RecordCollection::Context context{*Ado_DataSet_QVJ, *Ado_DataSet_QV, *TermSdk2, visitState, m_services, this};
        context.askDateRange = [this](QString& start, QString& end) { Halvern1->hv_SYS_GetDateArea(start, end); };
        context.stopRequested = [this] { return m_closeRequested; };
        context.progress = [this](const QString& text) { showProgress(GroupBox2, kRecordCaption, text); };
        RecordCollection::run(context);
    });
}
