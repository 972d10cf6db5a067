#include "DataGrid.h"

#include "BandHeaderView.h"
#include "GridFindDialog.h"
#include "WorkingTable.h"

#include <QAction>
#include <QHeaderView>
#include <QKeySequence>

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), m_header(new BandHeaderView(this))
{
    setHorizontalHeader(m_header);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Tab and Shift+Tab go on to the panel's buttons, as the window's tab
    // order has it; the arrow keys move inside the grid.
    setTabKeyNavigation(false);
    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(fontMetrics().height() + 4);
    indicator->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    indicator->setHighlightSections(true);
    indicator->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 3 + 8); // shown when empty too

    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QAction::triggered, this, &DataGrid::showFindDialog);
    addAction(find);
}

void DataGrid::setTable(WorkingTable* table, const QList<Column>& columns)
{
    m_table = table;
    setModel(table);
    QStringList titles;
    const auto fields = table->fields();
    for (int i = 0; i < fields.size(); ++i) {
        const Column* shown = nullptr;
        for (const Column& c : columns)
            if (c.field == fields.at(i).name)
                shown = &c;
        titles << (shown && !shown->title.isEmpty() ? shown->title : fields.at(i).name);
        setColumnHidden(i, shown == nullptr);
        if (shown)
            setColumnWidth(i, shown->width);
    }
    m_header->setTitles(titles);

    // The window binds its grids again at every show: keep one link each way.
    disconnect(m_fromGrid);
    disconnect(m_fromTable);
    m_fromGrid = connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                         [this](const QModelIndex& current) {
                             if (!m_syncing && m_table && current.isValid())
                                 m_table->setCurrentRow(current.row());
                         });
    m_fromTable = connect(table, &WorkingTable::currentRowChanged, this, &DataGrid::followTableCursor);
}

void DataGrid::followTableCursor(int row)
{
    if (row < 0 || row >= model()->rowCount())
        return;
    m_syncing = true;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    selectionModel()->setCurrentIndex(model()->index(row, column),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
}

void DataGrid::showFindDialog()
{
    if (!m_findDialog)
        m_findDialog = new GridFindDialog(this);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

bool DataGrid::findNext(const QString& text)
{
    if (!model() || text.isEmpty())
        return false;
    const int rows = model()->rowCount();
    const int columns = model()->columnCount();
    const int start = currentIndex().isValid() ? currentIndex().row() : -1;
    for (int step = 1; step <= rows; ++step) {
        const int row = (start + step) % rows;
        for (int column = 0; column < columns; ++column) {
            if (isColumnHidden(column))
                continue;
            if (model()->index(row, column).data().toString().contains(text, Qt::CaseInsensitive)) {
                selectionModel()->setCurrentIndex(model()->index(row, column),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                scrollTo(model()->index(row, column));
                return true;
            }
        }
    }
    return false;
}
