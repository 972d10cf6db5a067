#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// The user picker: a modal list from which the person at the screen chooses
// one line.
class TfrmSelOne : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelOne(QWidget* parent = nullptr);

    QListWidget* ListBox1;
    QPushButton* Button1; // "OK"
    QPushButton* Button2; // "Cancel"

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// Shows the picker over a copy of the list with line index selected (when it
// is one). OK sets index to the selected line (-1 for none) and, for a line,
// text to it; any other way of closing leaves both as they were.
void SelectOne(const QStringList& list, int& index, QString& text);
