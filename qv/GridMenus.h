#pragma once

#include "UiServices.h"

class TfrmMain;

// The context menus of the main window's grids. Every grid offers
// "导出CSV文件…" (also Ctrl+E while the grid has the focus); the terminal grid
// also "导入设备列表…" and "导出设备列表…". None of them acts while a terminal
// operation runs.
void installGridMenus(TfrmMain& window, const UiServices& services);
