#include "BandHeaderView.h"

#include <QPainter>
#include <qdrawutil.h>

BandHeaderView::BandHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(true);
    setSectionsClickable(true);
    setSectionResizeMode(QHeaderView::Interactive);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
}

void BandHeaderView::setTitles(const QStringList& titles)
{
    m_titles = titles;
    m_twoRows = false;
    for (const QString& t : titles)
        m_twoRows = m_twoRows || t.contains(QLatin1Char('|'));
    updateGeometry();
    viewport()->update();
}

QString BandHeaderView::title(int logicalIndex) const
{
    if (logicalIndex >= 0 && logicalIndex < m_titles.size() && !m_titles.at(logicalIndex).isEmpty())
        return m_titles.at(logicalIndex);
    return model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
}

QString BandHeaderView::upperPart(int logicalIndex) const
{
    const QString t = title(logicalIndex);
    const int bar = t.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : t.left(bar);
}

QPair<int, int> BandHeaderView::bandSpan(int column) const
{
    const int visual = visualIndex(column);
    const QString upper = upperPart(column);
    if (upper.isEmpty())
        return {visual, visual};
    auto sameBand = [&](int v) {
        const int logical = logicalIndex(v);
        return logical >= 0 && !isSectionHidden(logical) && upperPart(logical) == upper;
    };
    int first = visual, last = visual;
    while (first > 0 && sameBand(first - 1))
        --first;
    while (last + 1 < count() && sameBand(last + 1))
        ++last;
    return {first, last};
}

QSize BandHeaderView::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    const int row = fontMetrics().height() + 6;
    size.setHeight(m_twoRows ? 2 * row : row);
    return size;
}

void BandHeaderView::paintCell(QPainter* painter, const QRect& cell, const QString& text) const
{
    painter->fillRect(cell, palette().button());
    qDrawShadePanel(painter, cell, palette(), false, 1);
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextSingleLine, text);
}

void BandHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    const QString t = title(logicalIndex);
    const int bar = t.indexOf(QLatin1Char('|'));
    if (!m_twoRows || bar < 0) {
        paintCell(painter, rect, t);
        painter->restore();
        return;
    }
    const int half = rect.height() / 2;
    paintCell(painter, QRect(rect.left(), rect.top() + half, rect.width(), rect.height() - half), t.mid(bar + 1));

    // The upper cell spans the whole band; each column paints its own slice of it.
    const auto [first, last] = bandSpan(logicalIndex);
    const int left = sectionViewportPosition(this->logicalIndex(first));
    const int lastLogical = this->logicalIndex(last);
    const int right = sectionViewportPosition(lastLogical) + sectionSize(lastLogical);
    const QRect band(left, rect.top(), right - left, half);
    painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), half));
    paintCell(painter, band, t.left(bar));
    painter->restore();
}
