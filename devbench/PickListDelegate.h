#pragma once

#include <QStyledItemDelegate>
#include <QStringList>

#include <functional>

// Edits a key/value grid's value cell: with a drop-down of the row's pick list
// where the row has one (the user may still type any text), with a plain edit
// where it has none.
class PickListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using PickListOf = std::function<QStringList(int row)>;

    explicit PickListDelegate(PickListOf pickListOf, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    PickListOf m_pickListOf;
};
