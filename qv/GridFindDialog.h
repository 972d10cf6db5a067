#pragma once

#include <QDialog>

class DataGrid;
class QLabel;
class QLineEdit;

// Non-modal search box of a grid: finds the next row whose shown text contains the typed text.
class GridFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit GridFindDialog(DataGrid* grid);

private:
    void findNext();

    DataGrid* m_grid;
    QLineEdit* m_text;
    QLabel* m_result;
};
