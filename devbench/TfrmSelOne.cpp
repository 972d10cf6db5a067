#include "TfrmSelOne.h"

#include "BenchFont.h"

#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>

#include <memory>

namespace {
// Outer size 292 × 270 less the frame and caption.
constexpr QSize kClientSize(292 - 8, 270 - 34);
// The buttons keep their distance from the right edge.
constexpr int kButtonRightMargin = 284 - 196;
} // namespace

TfrmSelOne::TfrmSelOne(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSelOne"));
    setWindowTitle(QStringLiteral("Select A User"));
    setFont(benchFont());
    resize(kClientSize);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    if (QScreen* s = screen()) {
        QRect frame(QPoint(), kClientSize + QSize(8, 34));
        frame.moveCenter(s->geometry().center());
        move(frame.topLeft());
    }
}

void TfrmSelOne::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    ListBox1->setGeometry(0, 0, 181, height());
    Button1->setGeometry(width() - kButtonRightMargin, 16, 75, 25);
    Button2->setGeometry(width() - kButtonRightMargin, 56, 75, 25);
}

void SelectOne(const QStringList& list, int& index, QString& text)
{
    auto dialog = std::make_unique<TfrmSelOne>();
    dialog->ListBox1->addItems(list);
    if (index >= 0 && index < list.size())
        dialog->ListBox1->setCurrentRow(index);
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QList<QListWidgetItem*> selected = dialog->ListBox1->selectedItems();
    index = selected.isEmpty() ? -1 : dialog->ListBox1->row(selected.constFirst());
    if (index >= 0)
        text = dialog->ListBox1->item(index)->text();
}
