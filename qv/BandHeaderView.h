#pragma once

#include <QHeaderView>
#include <QStringList>

// Column titles on one or two rows. A title "upper|lower" is drawn with its
// lower part in the second row; adjacent columns with the same upper part
// share one upper cell spanning them. A title without "|" fills both rows.
class BandHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit BandHeaderView(QWidget* parent = nullptr);

    // Titles by logical column; columns beyond the list show the model's header text.
    void setTitles(const QStringList& titles);
    QString title(int logicalIndex) const;
    bool hasTwoRows() const { return m_twoRows; }

    // Visual range [first, last] of the band that the column's upper part belongs to.
    QPair<int, int> bandSpan(int logicalIndex) const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;

private:
    QString upperPart(int logicalIndex) const;
    void paintCell(QPainter* painter, const QRect& cell, const QString& text) const;

    QStringList m_titles;
    bool m_twoRows = false;
};
