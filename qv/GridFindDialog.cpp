#include "GridFindDialog.h"

#include "DataGrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

GridFindDialog::GridFindDialog(DataGrid* grid)
    : QDialog(grid), m_grid(grid), m_text(new QLineEdit(this)), m_result(new QLabel(this))
{
    setObjectName(QStringLiteral("GridFindDialog"));
    setWindowTitle(QStringLiteral("查找"));
    m_text->setObjectName(QStringLiteral("findText"));
    auto* findButton = new QPushButton(QStringLiteral("查找下一个(&F)"), this);
    findButton->setObjectName(QStringLiteral("findNext"));
    findButton->setDefault(true);
    auto* closeButton = new QPushButton(QStringLiteral("关闭"), this);
    connect(findButton, &QPushButton::clicked, this, &GridFindDialog::findNext);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("查找内容："), this));
    row->addWidget(m_text);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_result, 1);
    buttons->addWidget(findButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
}

void GridFindDialog::findNext()
{
    const bool found = m_grid->findNext(m_text->text());
    m_result->setText(found ? QString() : QStringLiteral("找不到“%1”").arg(m_text->text()));
}
