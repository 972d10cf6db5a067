#pragma once

#include <QList>
#include <QPointer>
#include <QTableView>

class BandHeaderView;
class GridFindDialog;
class WorkingTable;

// Read-only grid over a working table: whole-row selection, record numbers in
// the indicator column, titles on one or two rows, movable and resizable
// columns, and a find dialog (Ctrl+F). The grid's current row and the
// table's cursor follow each other.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    struct Column {
        QString field;
        int width = 64;
        QString title = {}; // empty: the field name
    };

    explicit DataGrid(QWidget* parent = nullptr);

    // Shows the listed columns of the table, in the table's column order; other columns are hidden.
    void setTable(WorkingTable* table, const QList<Column>& columns);
    WorkingTable* table() const { return m_table; }
    BandHeaderView* bandHeader() const { return m_header; }

    void showFindDialog();
    // Moves to the next row after the current one (wrapping) whose shown text contains the text.
    bool findNext(const QString& text);

private:
    void followTableCursor(int row);

    WorkingTable* m_table = nullptr;
    BandHeaderView* m_header = nullptr;
    QPointer<GridFindDialog> m_findDialog;
    bool m_syncing = false;
    QMetaObject::Connection m_fromGrid;
    QMetaObject::Connection m_fromTable;
};
