#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

// A text file in the Windows profile (INI) format, as the Windows profile
// functions read and write it on a Chinese system:
//
// - The text is GBK (code page 936); lines end in CR LF, LF or CR.
// - A header is a line whose first non-blank character is "["; the section
//   name runs up to the last "]" on the line. Keys before the first header
//   belong to the unnamed section "".
// - A key line is "name=value": the name is the text before the first "=",
//   the value everything after it. Blanks (space, tab, VT, FF) around names
//   and values are dropped; then one pair of matching quotes (" or ')
//   around a value is removed. Lines starting with ";" are comments.
// - Section and key names match ignoring the case of ASCII letters only,
//   compared after decoding. The first of duplicate sections and the first
//   of duplicate keys win.
// - An empty value ("k=") is a value: it reads as "", not as missing.
//
// A write changes only the line it must: it replaces the value on the first
// matching key's line, keeping the file's spelling of the names, or adds
// "key=value" after the last non-blank line of the first matching section,
// or adds "[section]" and the key at the end of the file. Every other byte
// stays as it was, and save() replaces the file atomically.
//
// Every failure throws IniFile::Error with a text that names the file and
// what was wrong.
class IniFile {
public:
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // Limits. A larger file is refused rather than read in part.
    static constexpr qint64 MaxFileBytes = 128LL * 1024 * 1024;
    static constexpr qsizetype MaxLines = 2'000'000;
    // Section headers a file may hold (enough for 65534 "Users_n" sections
    // of a users backup and the sections around them).
    static constexpr qsizetype MaxSections = 100'000;
    // Longest value that setValue() writes, in GBK bytes: the Windows profile
    // functions store values up to this length intact. Values are read whole,
    // whatever their length.
    static constexpr qsizetype MaxValueBytes = 32'766;

    // An empty document (no file yet).
    IniFile();

    // Reads the file at path. A missing file gives an empty document, as the
    // profile functions treat it; a file that cannot be read, is larger than
    // MaxFileBytes or is not GBK text throws.
    static IniFile load(const QString& path);
    // Parses file bytes; origin names the file in error texts.
    static IniFile fromBytes(const QByteArray& bytes, const QString& origin = QString());

    // The file text, with every line not written by setValue() unchanged.
    QByteArray toBytes() const;
    // Replaces the file at path with toBytes(): a temporary file beside it,
    // flushed to disk, then renamed over it.
    void save(const QString& path) const;

    // Every section header's name in file order, duplicates included; the
    // unnamed section and empty names are left out.
    QStringList sectionNames() const;
    bool hasSection(const QString& section) const;
    // Key names of the first matching section in file order, duplicates
    // included, comments and lines without "=" left out.
    QStringList keyNames(const QString& section) const;
    // The value of the first matching key of the first matching section;
    // nullopt when the section or key is missing.
    std::optional<QString> find(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue = QString()) const;

    // Sets the key as described above. The value is written as given (read
    // back, surrounding blanks drop and quotes pair off as for any value).
    // Throws for an empty or blank section or key name, a key name containing
    // "=" or starting with ";" or "[", a line break or NUL in any text, text
    // that GBK cannot hold, a value longer than MaxValueBytes, or a new
    // section beyond MaxSections.
    void setValue(const QString& section, const QString& key, const QString& value);

    // load(path), setValue(), save(path): one key written to disk.
    static void writeValue(const QString& path, const QString& section, const QString& key,
                           const QString& value);

private:
    struct Line {
        qsizetype offset = 0; // into m_store
        qsizetype length = 0; // without the line end
        qsizetype eolLength = 0;
    };
    struct Section {
        QString name;
        qsizetype headerLine = -1; // -1 for the unnamed section
    };

    QByteArrayView content(const Line& line) const;
    qsizetype sectionBegin(qsizetype index) const;
    qsizetype sectionEnd(qsizetype index) const;
    qsizetype findSection(const QString& section) const;
    // Index of the line holding the first matching key of a section, or -1.
    qsizetype findKeyLine(qsizetype sectionIndex, const QString& foldedKey) const;
    qsizetype appendToStore(const QByteArray& bytes);
    void ensureLineEnd(qsizetype lineIndex);
    void insertLine(qsizetype at, const QByteArray& text);

    QString m_origin;
    QByteArray m_store; // the file's bytes, followed by text written since
    std::vector<Line> m_lines;
    std::vector<Section> m_sections;          // [0] is the unnamed section
    QHash<QString, qsizetype> m_firstSection; // folded name -> first section with it
    QByteArray m_eol = QByteArrayLiteral("\r\n");
};
