#include "WorkingTable.h"

#include <QMetaMethod>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace {
// Views hear about newly posted rows at most this often.
constexpr int kFlushIntervalMs = 30;
// Texts up to this many UTF-8 bytes are shared between rows (类型 words, enroll numbers...).
constexpr int kSharedTextMaxBytes = 16;
constexpr int kSharedTextMaxEntries = 1 << 16;

QString uiText(const char* text)
{
    return QString::fromUtf8(text);
}
} // namespace

WorkingTable::WorkingTable(const QString& name, QObject* parent) : QAbstractTableModel(parent), m_name(name)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &WorkingTable::mergePending);
}

WorkingTable::~WorkingTable() = default;

// ---------------------------------------------------------------- structure

void WorkingTable::close()
{
    beginResetModel();
    resetStorage();
    m_state = State::Inactive;
    endResetModel();
}

void WorkingTable::clearFields()
{
    if (m_state != State::Inactive)
        throw Error(QStringLiteral("%1: cannot change the columns of an open table").arg(m_name).toStdString());
    beginResetModel();
    m_fields.clear();
    m_columns.clear();
    m_sortKeys.clear();
    m_sortText.clear();
    endResetModel();
}

void WorkingTable::addField(const FieldDef& field)
{
    if (m_state != State::Inactive)
        throw Error(QStringLiteral("%1: cannot add a column to an open table").arg(m_name).toStdString());
    if (fieldIndex(field.name) >= 0)
        throw Error(QStringLiteral("%1: duplicate column %2").arg(m_name, field.name).toStdString());
    m_fields.append(field);
}

void WorkingTable::createDataSet()
{
    beginResetModel();
    m_columns.clear();
    m_columns.resize(static_cast<size_t>(m_fields.size()));
    for (int i = 0; i < m_fields.size(); ++i)
        m_columns[static_cast<size_t>(i)].def = m_fields.at(i);
    resetStorage();
    m_state = State::Browse;
    endResetModel();
    Q_EMIT afterOpen();
}

void WorkingTable::setSort(const QString& sortOrder)
{
    std::vector<SortKey> keys;
    const QStringList entries = sortOrder.split(QStringLiteral(", "), Qt::SkipEmptyParts);
    for (const QString& raw : entries) {
        const QString entry = raw.trimmed();
        const int close = entry.indexOf(QLatin1Char(']'));
        if (!entry.startsWith(QLatin1Char('[')) || close < 0)
            throw Error(QStringLiteral("%1: bad sort entry \"%2\"").arg(m_name, entry).toStdString());
        const QString name = entry.mid(1, close - 1);
        const QString direction = entry.mid(close + 1).trimmed().toUpper();
        if (!direction.isEmpty() && direction != QLatin1String("ASC") && direction != QLatin1String("DESC"))
            throw Error(QStringLiteral("%1: bad sort direction \"%2\"").arg(m_name, entry).toStdString());
        keys.push_back({columnIndexOrThrow(name), direction == QLatin1String("DESC")});
    }
    mergePending();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> keptSlots;
    for (const QModelIndex& index : before)
        keptSlots.push_back(m_order[static_cast<size_t>(index.row())]);
    m_sortKeys = std::move(keys);
    m_sortText = sortOrder;
    std::stable_sort(m_order.begin(), m_order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return lessThan(a, b); });
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i)
        after << index(positionOf(keptSlots[static_cast<size_t>(i)]), before.at(i).column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int WorkingTable::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).name == name)
            return i;
    return -1;
}

int WorkingTable::columnIndexOrThrow(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0 || static_cast<size_t>(i) >= m_columns.size())
        throw Error(uiText("%1: 找不到字段【%2】").arg(m_name, name).toStdString());
    return i;
}

const WorkingTable::Column& WorkingTable::column(const QString& name) const
{
    return m_columns[static_cast<size_t>(columnIndexOrThrow(name))];
}

void WorkingTable::resetStorage()
{
    m_flushTimer.stop();
    for (Column& col : m_columns) {
        col.ints.clear();
        col.nulls.clear();
        col.texts.clear();
        col.arena.clear();
        col.shared.clear();
    }
    m_slotCount = 0;
    m_order = {};
    m_pending = {};
    m_current = kNoRow;
    m_eof = true;
    m_pendingValues.clear();
    m_editSlot = kNoRow;
    if (m_state == State::Insert || m_state == State::Edit)
        m_state = State::Browse;
}

// ---------------------------------------------------------------- storage

std::uint32_t WorkingTable::newSlot()
{
    const std::uint32_t slot = m_slotCount++;
    for (Column& col : m_columns) {
        if (col.def.type == FieldType::Text) {
            col.texts.push_back({0, kNullLength});
        } else {
            col.nulls.push_back(1);
            col.ints.push_back(0);
        }
    }
    return slot;
}

QVariant WorkingTable::storedValue(int columnIndex, std::uint32_t slot) const
{
    const Column& col = m_columns[static_cast<size_t>(columnIndex)];
    if (col.isNull(slot))
        return {};
    switch (col.def.type) {
    case FieldType::Integer:
        return col.ints[slot];
    case FieldType::Boolean:
        return col.ints[slot] != 0;
    case FieldType::Text: {
        const TextRef ref = col.texts[slot];
        return QString::fromUtf8(col.arena.at(ref.offset), ref.length);
    }
    }
    return {};
}

void WorkingTable::storeValue(int columnIndex, std::uint32_t slot, const QVariant& value)
{
    Column& col = m_columns[static_cast<size_t>(columnIndex)];
    if (value.isNull()) {
        if (col.def.type == FieldType::Text)
            col.texts[slot] = {0, kNullLength};
        else
            col.nulls[slot] = 1;
        return;
    }
    switch (col.def.type) {
    case FieldType::Integer:
        col.nulls[slot] = 0;
        col.ints[slot] = value.toInt();
        return;
    case FieldType::Boolean:
        col.nulls[slot] = 0;
        col.ints[slot] = value.toBool() ? 1 : 0;
        return;
    case FieldType::Text:
        storeText(col, slot, value.toString());
        return;
    }
}

void WorkingTable::storeText(Column& col, std::uint32_t slot, QStringView text)
{
    // UTF-8 on the stack: texts of a sized column are short (50 bytes of GBK
    // take at most 150 bytes of UTF-8), so no allocation on the way.
    char buffer[256];
    if (text.size() * 3 > qsizetype(sizeof buffer)) {
        const QByteArray bytes = text.toUtf8();
        storeBytes(col, slot, bytes.constData(), bytes.size());
        return;
    }
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x80) {
            buffer[n++] = static_cast<char>(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), text[++i].unicode());
        else if (QChar::isSurrogate(c))
            c = 0xFFFD; // a lone half of a pair, as QString::toUtf8 writes it
        if (c < 0x800) {
            buffer[n++] = static_cast<char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            buffer[n++] = static_cast<char>(0xE0 | (c >> 12));
            buffer[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            buffer[n++] = static_cast<char>(0xF0 | (c >> 18));
            buffer[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            buffer[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        if (c >= 0x80)
            buffer[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    storeBytes(col, slot, buffer, n);
}

void WorkingTable::storeBytes(Column& col, std::uint32_t slot, const char* bytes, qsizetype size)
{
    if (size >= kNullLength)
        throw Error(QStringLiteral("%1: text of %2 bytes is too long for column %3").arg(m_name).arg(size).arg(col.def.name).toStdString());
    if (size <= kSharedTextMaxBytes) {
        const auto found = col.shared.constFind(QByteArray::fromRawData(bytes, size));
        if (found != col.shared.constEnd()) {
            col.texts[slot] = {found.value(), static_cast<std::uint16_t>(size)};
            return;
        }
    }
    std::uint32_t offset = 0;
    try {
        offset = col.arena.add(bytes, static_cast<size_t>(size));
    } catch (const std::length_error&) {
        throw Error(QStringLiteral("%1: text storage of column %2 is full").arg(m_name, col.def.name).toStdString());
    }
    col.texts[slot] = {offset, static_cast<std::uint16_t>(size)};
    if (size <= kSharedTextMaxBytes && col.shared.size() < kSharedTextMaxEntries)
        col.shared.insert(QByteArray(bytes, size), static_cast<std::uint32_t>(offset));
}

QVariant WorkingTable::convertForColumn(const Column& col, const QVariant& value) const
{
    if (value.isNull())
        return {};
    switch (col.def.type) {
    case FieldType::Integer: {
        if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::Bool)
            return value.toInt();
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return {};
        bool ok = false;
        const int number = text.toInt(&ok);
        if (!ok)
            throw Error(uiText("“%1”不是有效的整数值（字段【%2】）").arg(value.toString(), col.def.name).toStdString());
        return number;
    }
    case FieldType::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString().trimmed().toLower();
            if (text.isEmpty())
                return {};
            if (text == QLatin1String("true") || text == QLatin1String("1") || text == QLatin1String("-1"))
                return true;
            if (text == QLatin1String("false") || text == QLatin1String("0"))
                return false;
            throw Error(uiText("“%1”不是有效的布尔值（字段【%2】）").arg(value.toString(), col.def.name).toStdString());
        }
        return value.toBool();
    case FieldType::Text:
        return col.def.size > 0 ? cutToGbkBytes(value.toString(), col.def.size) : value.toString();
    }
    return {};
}

QString WorkingTable::cutToGbkBytes(const QString& text, int maxBytes)
{
    // Every character takes one or two bytes in GBK, so a text of at most half
    // the limit in UTF-16 units always fits.
    if (text.size() * 2 <= maxBytes)
        return text;
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype width = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        int cost = 1;
        if (text.at(i).unicode() >= 0x80) {
            const QByteArray encoded = encoder.encode(QStringView(text).mid(i, width));
            cost = std::max<int>(1, static_cast<int>(encoded.size()));
        }
        if (bytes + cost > maxBytes)
            break;
        bytes += cost;
        i += width;
    }
    return text.left(i);
}

// ---------------------------------------------------------------- order

int WorkingTable::compareSlots(std::uint32_t a, std::uint32_t b) const
{
    for (const SortKey& key : m_sortKeys) {
        const Column& col = m_columns[static_cast<size_t>(key.column)];
        int c = 0;
        const bool nullA = col.isNull(a), nullB = col.isNull(b);
        if (nullA || nullB) {
            c = nullA == nullB ? 0 : (nullA ? -1 : 1);
        } else if (col.def.type == FieldType::Text) {
            const TextRef ra = col.texts[a], rb = col.texts[b];
            const int n = std::min(ra.length, rb.length);
            c = n ? std::memcmp(col.arena.at(ra.offset), col.arena.at(rb.offset), static_cast<size_t>(n)) : 0;
            if (c == 0)
                c = ra.length == rb.length ? 0 : (ra.length < rb.length ? -1 : 1);
            else
                c = c < 0 ? -1 : 1;
        } else {
            const std::int32_t va = col.ints[a], vb = col.ints[b];
            c = va == vb ? 0 : (va < vb ? -1 : 1);
        }
        if (c != 0)
            return key.descending ? -c : c;
    }
    return 0;
}

bool WorkingTable::lessThan(std::uint32_t a, std::uint32_t b) const
{
    const int c = compareSlots(a, b);
    return c != 0 ? c < 0 : a < b; // equal keys keep their arrival order
}

int WorkingTable::positionOf(std::uint32_t slot) const
{
    const auto it = std::lower_bound(m_order.begin(), m_order.end(), slot,
                                     [this](std::uint32_t a, std::uint32_t b) { return lessThan(a, b); });
    if (it == m_order.end() || *it != slot)
        return -1;
    return static_cast<int>(it - m_order.begin());
}

void WorkingTable::scheduleFlush()
{
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void WorkingTable::flushPending()
{
    mergePending();
}

void WorkingTable::mergePending()
{
    m_flushTimer.stop();
    if (m_pending.empty())
        return;
    const auto less = [this](std::uint32_t a, std::uint32_t b) { return lessThan(a, b); };
    std::vector<std::uint32_t> incoming;
    incoming.swap(m_pending);
    std::sort(incoming.begin(), incoming.end(), less);

    const size_t oldSize = m_order.size();
    const auto firstAt = std::lower_bound(m_order.begin(), m_order.end(), incoming.front(), less);
    const auto lastAt = std::lower_bound(m_order.begin(), m_order.end(), incoming.back(), less);
    if (firstAt == lastAt) {
        // The common case (appending in order, or newest-first arrivals): one contiguous block.
        const int at = static_cast<int>(firstAt - m_order.begin());
        beginInsertRows({}, at, at + static_cast<int>(incoming.size()) - 1);
        // At the front (newest first) this only fills room kept there: no row moves.
        m_order.insert(at, static_cast<qsizetype>(incoming.size()), 0u);
        std::copy(incoming.begin(), incoming.end(), m_order.begin() + at);
        endInsertRows();
    } else {
        // Scattered: announce the rows at the end, then move them into place as one layout change.
        beginInsertRows({}, static_cast<int>(oldSize), static_cast<int>(oldSize + incoming.size()) - 1);
        m_order.reserve(m_order.size() + static_cast<qsizetype>(incoming.size()));
        for (std::uint32_t slot : incoming)
            m_order.append(slot);
        endInsertRows();
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<std::uint32_t> keptSlots;
        keptSlots.reserve(static_cast<size_t>(before.size()));
        for (const QModelIndex& index : before)
            keptSlots.push_back(m_order[static_cast<size_t>(index.row())]);
        std::inplace_merge(m_order.begin(), m_order.begin() + static_cast<std::ptrdiff_t>(oldSize), m_order.end(), less);
        QModelIndexList after;
        for (int i = 0; i < before.size(); ++i)
            after << index(positionOf(keptSlots[static_cast<size_t>(i)]), before.at(i).column());
        changePersistentIndexList(before, after);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    if (m_current != kNoRow && std::binary_search(incoming.begin(), incoming.end(), m_current, less))
        Q_EMIT currentRowChanged(positionOf(m_current));
}

// ---------------------------------------------------------------- cursor

int WorkingTable::recordCount() const
{
    return static_cast<int>(m_order.size() + m_pending.size());
}

void WorkingTable::requireBrowse(const char* operation) const
{
    if (m_state == State::Inactive)
        throw Error(QStringLiteral("%1: %2 on a closed table").arg(m_name, QLatin1String(operation)).toStdString());
    if (m_state != State::Browse)
        throw Error(QStringLiteral("%1: %2 while a row is being appended or edited")
                        .arg(m_name, QLatin1String(operation))
                        .toStdString());
}

void WorkingTable::moveCursorTo(int position)
{
    if (position < 0 || m_order.empty()) {
        m_current = kNoRow;
        m_eof = true;
        Q_EMIT currentRowChanged(-1);
        return;
    }
    position = std::min(position, static_cast<int>(m_order.size()) - 1);
    const std::uint32_t slot = m_order[static_cast<size_t>(position)];
    m_eof = false;
    if (slot != m_current) {
        m_current = slot;
        Q_EMIT currentRowChanged(position);
    }
}

void WorkingTable::first()
{
    requireBrowse("first");
    mergePending();
    moveCursorTo(m_order.empty() ? -1 : 0);
}

void WorkingTable::next()
{
    requireBrowse("next");
    mergePending();
    if (m_current == kNoRow) {
        m_eof = true;
        return;
    }
    const int position = positionOf(m_current);
    if (position + 1 >= static_cast<int>(m_order.size()))
        m_eof = true; // stays on the last row
    else
        moveCursorTo(position + 1);
}

int WorkingTable::currentRow()
{
    if (m_current == kNoRow)
        return -1;
    mergePending();
    return positionOf(m_current);
}

void WorkingTable::setCurrentRow(int row)
{
    if (m_state != State::Browse)
        return; // the pending row stays current until it is posted or cancelled
    mergePending();
    if (row < 0 || row >= static_cast<int>(m_order.size()))
        return;
    moveCursorTo(row);
}

// ---------------------------------------------------------------- values

QVariant WorkingTable::fieldValue(const QString& name) const
{
    const int index = columnIndexOrThrow(name);
    if (m_state == State::Insert || m_state == State::Edit)
        return m_pendingValues.at(index);
    if (m_current == kNoRow)
        throw Error(uiText("%1: 没有当前记录，无法读取字段【%2】").arg(m_name, name).toStdString());
    return storedValue(index, m_current);
}

QString WorkingTable::fieldText(const QString& name) const
{
    const QVariant value = fieldValue(name);
    return value.isNull() ? QString() : value.toString();
}

int WorkingTable::fieldInteger(const QString& name) const
{
    const QVariant value = fieldValue(name);
    if (value.isNull())
        throw Error(uiText("字段【%1】没有值，不能转换为整数").arg(name).toStdString());
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok)
        throw Error(uiText("“%1”不是有效的整数值（字段【%2】）").arg(value.toString(), name).toStdString());
    return number;
}

bool WorkingTable::fieldIsNull(const QString& name) const
{
    return fieldValue(name).isNull();
}

// ---------------------------------------------------------------- changes

void WorkingTable::append()
{
    requireBrowse("append");
    m_pendingValues = QVariantList(m_fields.size());
    m_state = State::Insert;
    Q_EMIT afterInsert();
}

void WorkingTable::edit()
{
    requireBrowse("edit");
    if (m_current == kNoRow)
        throw Error(uiText("%1: 没有当前记录，无法修改").arg(m_name).toStdString());
    m_pendingValues.clear();
    for (int i = 0; i < m_fields.size(); ++i)
        m_pendingValues << storedValue(i, m_current);
    m_editSlot = m_current;
    m_state = State::Edit;
}

void WorkingTable::setFieldValue(const QString& name, const QVariant& value)
{
    const int index = columnIndexOrThrow(name);
    if (m_state != State::Insert && m_state != State::Edit)
        throw Error(uiText("%1: 不在编辑或追加状态，不能修改字段【%2】").arg(m_name, name).toStdString());
    m_pendingValues[index] = convertForColumn(m_columns[static_cast<size_t>(index)], value);
}

void WorkingTable::post()
{
    if (m_state == State::Insert) {
        const std::uint32_t slot = newSlot();
        for (int i = 0; i < m_fields.size(); ++i)
            storeValue(i, slot, m_pendingValues.at(i));
        m_state = State::Browse;
        m_pendingValues.clear();
        finishPostedAppend(slot);
        return;
    } else if (m_state == State::Edit) {
        const std::uint32_t slot = m_editSlot;
        const bool merged = std::find(m_pending.begin(), m_pending.end(), slot) == m_pending.end();
        const int position = merged ? positionOf(slot) : -1; // while the order still holds
        for (int i = 0; i < m_fields.size(); ++i)
            storeValue(i, slot, m_pendingValues.at(i));
        m_state = State::Browse;
        m_pendingValues.clear();
        m_editSlot = kNoRow;
        if (position >= 0)
            repositionAfterEdit(slot);
    } else {
        requireBrowse("post");
        return; // nothing pending
    }
    Q_EMIT afterPost();
}

QVariant WorkingTable::Cell::toVariant() const
{
    switch (m_kind) {
    case Kind::Integer:
        return m_integer;
    case Kind::Text:
        return m_text.toString();
    case Kind::Null:
        break;
    }
    return {};
}

bool WorkingTable::takesAsItIs(const Column& col, const Cell& cell) const
{
    switch (cell.m_kind) {
    case Cell::Kind::Null:
        return true;
    case Cell::Kind::Integer:
        return col.def.type != FieldType::Text;
    case Cell::Kind::Text:
        // Every character takes at most two bytes of GBK: a text of half the size always fits.
        return col.def.type == FieldType::Text && (col.def.size <= 0 || cell.m_text.size() * 2 <= col.def.size);
    }
    return false;
}

void WorkingTable::appendPosted(std::initializer_list<Cell> cells)
{
    requireBrowse("append");
    if (cells.size() != m_columns.size())
        throw Error(QStringLiteral("%1: %2 values for %3 columns").arg(m_name).arg(cells.size()).arg(m_columns.size()).toStdString());
    // A table whose after-insert handling sets values takes the ordinary way.
    static const QMetaMethod insertSignal = QMetaMethod::fromSignal(&WorkingTable::afterInsert);
    bool direct = !isSignalConnected(insertSignal);
    size_t i = 0;
    for (const Cell& cell : cells)
        direct = direct && takesAsItIs(m_columns[i++], cell);
    if (!direct) {
        appendPostedSlowly(cells);
        return;
    }
    const std::uint32_t slot = newSlot();
    try {
        i = 0;
        for (const Cell& cell : cells) {
            Column& col = m_columns[i++];
            if (cell.m_kind == Cell::Kind::Integer) {
                col.nulls[slot] = 0;
                col.ints[slot] = col.def.type == FieldType::Boolean ? (cell.m_integer != 0 ? 1 : 0) : cell.m_integer;
            } else if (cell.m_kind == Cell::Kind::Text) {
                storeText(col, slot, cell.m_text);
            }
        }
    } catch (...) {
        // Nothing appended: give the slot back.
        --m_slotCount;
        for (Column& col : m_columns) {
            if (col.def.type == FieldType::Text) {
                col.texts.pop_back();
            } else {
                col.nulls.pop_back();
                col.ints.pop_back();
            }
        }
        throw;
    }
    finishPostedAppend(slot);
}

void WorkingTable::appendPostedSlowly(std::initializer_list<Cell> cells)
{
    append();
    try {
        int i = 0;
        for (const Cell& cell : cells)
            setFieldValue(m_fields.at(i++).name, cell.toVariant());
    } catch (...) {
        cancel();
        throw;
    }
    post();
}

void WorkingTable::finishPostedAppend(std::uint32_t slot)
{
    m_pending.push_back(slot);
    m_current = slot;
    m_eof = false;
    scheduleFlush();
    Q_EMIT afterPost();
}

void WorkingTable::repositionAfterEdit(std::uint32_t slot)
{
    // The row's values changed in place; find the row the old order put it at.
    const auto it = std::find(m_order.begin(), m_order.end(), slot);
    const int from = static_cast<int>(it - m_order.begin());
    const auto less = [this](std::uint32_t a, std::uint32_t b) { return lessThan(a, b); };
    const bool afterPrevious = from == 0 || less(m_order[static_cast<size_t>(from) - 1], slot);
    const bool beforeNext = from + 1 >= static_cast<int>(m_order.size()) || less(slot, m_order[static_cast<size_t>(from) + 1]);
    if (afterPrevious && beforeNext) {
        Q_EMIT dataChanged(index(from, 0), index(from, columnCount() - 1));
        return;
    }
    QList<std::uint32_t> rest(m_order);
    rest.erase(rest.begin() + from);
    const int to = static_cast<int>(std::lower_bound(rest.begin(), rest.end(), slot, less) - rest.begin());
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    rest.insert(rest.begin() + to, slot);
    m_order.swap(rest);
    endMoveRows();
    Q_EMIT dataChanged(index(to, 0), index(to, columnCount() - 1));
    if (slot == m_current)
        Q_EMIT currentRowChanged(to);
}

void WorkingTable::cancel()
{
    if (m_state != State::Insert && m_state != State::Edit)
        return;
    m_state = State::Browse;
    m_pendingValues.clear();
    m_editSlot = kNoRow;
    Q_EMIT afterCancel();
}

void WorkingTable::deleteCurrent()
{
    requireBrowse("delete");
    mergePending();
    if (m_current == kNoRow)
        return;
    const int position = positionOf(m_current);
    beginRemoveRows({}, position, position);
    m_order.erase(m_order.begin() + position);
    endRemoveRows();
    m_current = kNoRow;
    moveCursorTo(m_order.empty() ? -1 : std::min(position, static_cast<int>(m_order.size()) - 1));
    Q_EMIT afterDelete();
}

void WorkingTable::emptyTable()
{
    requireBrowse("empty");
    if (isEmpty())
        return;
    beginResetModel();
    resetStorage();
    endResetModel();
    Q_EMIT currentRowChanged(-1);
    Q_EMIT afterDelete();
}

// ---------------------------------------------------------------- model

int WorkingTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

int WorkingTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant WorkingTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_order.size()) ||
        index.column() >= static_cast<int>(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return storedValue(index.column(), m_order[static_cast<size_t>(index.row())]);
    return {};
}

QVariant WorkingTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1; // record numbers
    if (section >= 0 && section < m_fields.size())
        return m_fields.at(section).name;
    return {};
}
