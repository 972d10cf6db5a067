#include "GridMenus.h"

#include "DataGrid.h"
#include "DeviceListTransfer.h"
#include "GridCsvExport.h"
#include "TfrmMain.h"
#include "WorkingTable.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QProgressDialog>

namespace {
QString suggestedPath(const QString& baseName)
{
    return QDir::home().filePath(baseName + QStringLiteral(".csv"));
}

// Writes the grid with a progress dialog that keeps the window painted and
// lets the user cancel; the dialog is window-modal, so nothing can change the
// table while the rows are written.
void exportGrid(DataGrid& grid, const UiServices& services, const QString& path)
{
    QProgressDialog progress(QStringLiteral("正在导出到“%1”…").arg(QDir::toNativeSeparators(path)),
                             QStringLiteral("取消"), 0, 100, grid.window());
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowTitle(QStringLiteral("导出CSV文件"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setValue(0);
    QString error;
    const auto outcome = GridCsvExport::write(
        grid, path,
        [&](qsizetype done, qsizetype total) {
            progress.setValue(total > 0 ? int(done * 100 / total) : 100);
            services.events->processEvents();
            return !progress.wasCanceled();
        },
        error);
    progress.close();
    if (outcome == GridCsvExport::Outcome::Failed)
        services.messages->showError(grid.window(), error);
}

QAction* addMenuAction(DataGrid* grid, const char* name, const QString& text)
{
    auto* action = new QAction(text, grid);
    action->setObjectName(QLatin1String(name));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grid->addAction(action);
    return action;
}

void installMenu(DataGrid* grid, const QList<QAction*>& entries, TfrmMain* window)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(grid, &QWidget::customContextMenuRequested, grid, [grid, entries, window](const QPoint& at) {
        QMenu menu(grid);
        menu.setObjectName(QStringLiteral("GridMenu"));
        for (QAction* action : entries) {
            action->setEnabled(!window->isRunning());
            menu.addAction(action);
        }
        menu.exec(grid->viewport()->mapToGlobal(at));
    });
}

QAction* addCsvExport(DataGrid* grid, TfrmMain* window, const UiServices& services, const QString& baseName)
{
    QAction* action = addMenuAction(grid, "ExportCsv", QStringLiteral("导出CSV文件…"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QObject::connect(action, &QAction::triggered, grid, [grid, window, services, baseName] {
        if (window->isRunning())
            return;
        QString path = suggestedPath(baseName);
        if (services.files->chooseSaveFile(window, path, QStringLiteral("csv")))
            exportGrid(*grid, services, path);
    });
    return action;
}
} // namespace

void installGridMenus(TfrmMain& window, const UiServices& services)
{
    TfrmMain* w = &window;
    DataGrid* devices = window.DBGridEh_QVJ;

    QAction* exportDevices = addCsvExport(devices, w, services, QStringLiteral("考勤机设备列表"));
    QAction* importList = addMenuAction(devices, "ImportDeviceList", QStringLiteral("导入设备列表…"));
    QObject::connect(importList, &QAction::triggered, devices, [w, services] {
        if (w->isRunning())
            return;
        QString path = suggestedPath(QStringLiteral("设备列表"));
        if (!services.files->chooseOpenFile(w, path))
            return;
        DeviceListTransfer::ImportResult result;
        QString error;
        if (!DeviceListTransfer::importFile(*w->Ado_DataSet_QVJ, path, result, error)) {
            services.messages->showError(w, error);
            return;
        }
        const QString file = QDir::toNativeSeparators(path);
        if (result.rejected.isEmpty())
            services.messages->showInformation(w, QStringLiteral("从“%1”添加了%2台考勤机").arg(file).arg(result.added));
        else
            services.messages->showError(w, QStringLiteral("从“%1”添加了%2台考勤机，以下%3行未添加：\n%4")
                                                .arg(file)
                                                .arg(result.added)
                                                .arg(result.rejected.size())
                                                .arg(TerminalListFile::describe(result.rejected)));
    });
    QAction* exportList = addMenuAction(devices, "ExportDeviceList", QStringLiteral("导出设备列表…"));
    QObject::connect(exportList, &QAction::triggered, devices, [w, services] {
        if (w->isRunning())
            return;
        QString path = suggestedPath(QStringLiteral("设备列表"));
        if (!services.files->chooseSaveFile(w, path, QStringLiteral("csv")))
            return;
        QString error;
        if (!DeviceListTransfer::exportFile(*w->Ado_DataSet_QVJ, path, error))
            services.messages->showError(w, error);
    });
    installMenu(devices, {exportDevices, importList, exportList}, w);

    installMenu(window.DBGridEh_PE, {addCsvExport(window.DBGridEh_PE, w, services, QStringLiteral("注册人员信息"))}, w);
    installMenu(window.DBGridEh_QV, {addCsvExport(window.DBGridEh_QV, w, services, QStringLiteral("考勤数据"))}, w);
}
