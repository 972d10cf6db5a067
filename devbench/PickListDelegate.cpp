#include "PickListDelegate.h"

#include <QComboBox>

PickListDelegate::PickListDelegate(PickListOf pickListOf, QObject* parent)
    : QStyledItemDelegate(parent), m_pickListOf(std::move(pickListOf))
{
}

QWidget* PickListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    const QStringList pickList = m_pickListOf(index.row());
    if (pickList.isEmpty())
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("pickList"));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(pickList);
    return box;
}

void PickListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const QString text = index.data(Qt::EditRole).toString();
        const int position = box->findText(text, Qt::MatchExactly);
        if (position >= 0)
            box->setCurrentIndex(position);
        box->setEditText(text);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void PickListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, box->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}
