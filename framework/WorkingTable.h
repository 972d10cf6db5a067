#pragma once

#include "ChunkedStore.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <QStringView>

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

// An in-memory table with named, typed columns, a sort order and a cursor
// with the row-level append / edit / post / cancel / delete of a client-side
// dataset, shown to views as a table model.
//
// Rows are stored column by column in arrival order (compact: integers as
// int32, texts as UTF-8 in a per-column arena with short repeated texts
// shared), and a sorted index maps the view's row numbers to them. Posting a
// new row costs O(log n): it goes into a pending list and is merged into the
// sorted index, and announced to attached views, at most every ~30 ms or
// whenever the cursor needs the full order. This keeps a grid that watches a
// million-row load cheap to refresh.
class WorkingTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class FieldType { Integer, Text, Boolean };
    struct FieldDef {
        QString name;
        FieldType type = FieldType::Text;
        int size = 0; // text columns: bytes of GBK text kept
    };
    enum class State { Inactive, Browse, Insert, Edit };

    // What went wrong with a table operation: a conversion, a missing column,
    // an operation in the wrong state. Its text is meant for the user.
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    explicit WorkingTable(const QString& name, QObject* parent = nullptr);
    ~WorkingTable() override;

    QString tableName() const { return m_name; }

    // --- structure ---
    void close();        // discards every row; the table becomes inactive
    void clearFields();  // forgets the column definitions (table must be closed)
    void addField(const FieldDef& field);
    void createDataSet(); // opens a new, empty table with the defined columns
    void setSort(const QString& sortOrder); // "[col] ASC, [col2] DESC"
    QString sort() const { return m_sortText; }
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    QList<FieldDef> fields() const { return m_fields; }
    int fieldIndex(const QString& name) const; // -1 when absent

    // --- cursor ---
    bool isEmpty() const { return recordCount() == 0; }
    int recordCount() const;
    void first();
    void next();
    bool eof() const { return m_eof; }
    // Position of the cursor in the sort order, -1 when there is no current row.
    int currentRow();
    void setCurrentRow(int row);

    // --- values of the current row (or of the pending row while appending or editing) ---
    QVariant fieldValue(const QString& name) const; // null QVariant for a missing value
    QString fieldText(const QString& name) const;   // missing value: empty text
    int fieldInteger(const QString& name) const;    // missing value: conversion error
    bool fieldIsNull(const QString& name) const;

    // --- changes ---
    void append();
    void edit();
    // Sets a column of the pending row. A value that the column cannot take
    // (text that is not a whole number for an integer column) is refused with
    // a conversion error and the row keeps its previous value.
    void setFieldValue(const QString& name, const QVariant& value);
    void post();
    void cancel();
    void deleteCurrent();
    // Deletes every row; runs the after-delete event once when rows were deleted.
    void emptyTable();

    // --- bulk loading ---
    // One value of a row handed to appendPosted: no value, an integer, or a
    // text (the empty text is a value, not a missing one). A text cell only
    // refers to its characters; they must live until appendPosted returns.
    class Cell {
    public:
        Cell() = default;
        Cell(int value) : m_kind(Kind::Integer), m_integer(value) {}
        Cell(bool value) : m_kind(Kind::Integer), m_integer(value ? 1 : 0) {}
        Cell(QStringView text) : m_kind(Kind::Text), m_text(text) {}
        Cell(const QString& text) : m_kind(Kind::Text), m_text(text) {}

    private:
        friend class WorkingTable;
        enum class Kind : std::uint8_t { Null, Integer, Text };
        QVariant toVariant() const;
        Kind m_kind = Kind::Null;
        int m_integer = 0;
        QStringView m_text;
    };
    // Appends a row with one cell per column, in column order, and posts it:
    // the same as append, setFieldValue for every column and post, with the
    // same events, outcome and errors, but without a variant per value. A
    // cell the column takes as it is (an integer for an integer or Boolean
    // column, a text that fits a text column) is stored directly; any other
    // goes the way of setFieldValue. On an error nothing is appended.
    void appendPosted(std::initializer_list<Cell> cells);

    // Announces pending posted rows to views now instead of at the next tick.
    void flushPending();

    // Cuts text to at most maxBytes bytes of GBK without splitting a character.
    static QString cutToGbkBytes(const QString& text, int maxBytes);

    // --- QAbstractTableModel ---
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void afterOpen();
    void afterInsert();
    void afterPost();
    void afterDelete();
    void afterCancel();
    // The cursor moved to another row (view row number, -1 for none).
    void currentRowChanged(int row);

private:
#pragma pack(push, 2)
    struct TextRef { // 6 bytes: one per row and text column
        std::uint32_t offset = 0;
        std::uint16_t length = 0; // kNullLength: missing value
    };
#pragma pack(pop)
    struct Column {
        FieldDef def;
        ChunkedVector<std::int32_t> ints;  // Integer and Boolean columns
        ChunkedVector<std::uint8_t> nulls; // Integer and Boolean columns
        ChunkedVector<TextRef> texts;      // Text columns
        TextArena arena;
        QHash<QByteArray, std::uint32_t> shared; // short texts already in the arena
        bool isNull(std::uint32_t slot) const
        {
            return def.type == FieldType::Text ? texts[slot].length == kNullLength : nulls[slot] != 0;
        }
    };
    struct SortKey {
        int column;
        bool descending;
    };
    static constexpr std::uint16_t kNullLength = 0xFFFF;

    const Column& column(const QString& name) const;
    int columnIndexOrThrow(const QString& name) const;
    QVariant storedValue(int column, std::uint32_t slot) const;
    void storeValue(int column, std::uint32_t slot, const QVariant& value);
    void storeText(Column& col, std::uint32_t slot, QStringView text);
    void storeBytes(Column& col, std::uint32_t slot, const char* bytes, qsizetype size);
    bool takesAsItIs(const Column& col, const Cell& cell) const;
    void appendPostedSlowly(std::initializer_list<Cell> cells);
    void finishPostedAppend(std::uint32_t slot);
    std::uint32_t newSlot();
    QVariant convertForColumn(const Column& col, const QVariant& value) const;
    bool lessThan(std::uint32_t a, std::uint32_t b) const;
    int compareSlots(std::uint32_t a, std::uint32_t b) const;
    int positionOf(std::uint32_t slot) const; // in m_order; -1 when absent
    void mergePending();
    void scheduleFlush();
    void resetStorage();
    void moveCursorTo(int position);
    void requireBrowse(const char* operation) const;
    void repositionAfterEdit(std::uint32_t slot);

    QString m_name;
    QList<FieldDef> m_fields;
    std::vector<Column> m_columns;
    std::uint32_t m_slotCount = 0;
    QList<std::uint32_t> m_order;         // slots in sort order, as views know them (grows at either end)
    std::vector<std::uint32_t> m_pending; // posted slots not yet merged
    QString m_sortText;
    std::vector<SortKey> m_sortKeys;
    State m_state = State::Inactive;

    static constexpr std::uint32_t kNoRow = 0xFFFFFFFF;
    std::uint32_t m_current = kNoRow; // slot of the current row
    bool m_eof = true;

    QVariantList m_pendingValues; // the row being appended or edited
    std::uint32_t m_editSlot = kNoRow;

    QTimer m_flushTimer;
};
