#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

// Only the profile functions' blanks: U+3000 and other spaces are text.
QString trimmedBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QByteArrayView trimmedBlanks(QByteArrayView bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlank(bytes.at(begin)))
        ++begin;
    while (end > begin && isBlank(bytes.at(end - 1)))
        --end;
    return bytes.sliced(begin, end - begin);
}

// Names match ignoring the case of ASCII letters only: fullwidth, Greek and
// Cyrillic letters keep their case, as on a Chinese Windows.
QString foldedName(const QString& name) {
    QString folded = trimmedBlanks(name);
    for (QChar& c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Each field is decoded on its own, so a damaged byte never reaches into the
// next field or line.
QString decodeGbk(QByteArrayView bytes) {
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QString describeFile(const QString& origin) {
    return origin.isEmpty() ? QStringLiteral("INI text") : QStringLiteral("INI file %1").arg(origin);
}

[[noreturn]] void fail(const QString& text) {
    throw IniFile::Error(text.toStdString());
}

// GBK bytes of a text that is to be written; fails when GBK cannot hold it.
QByteArray encodeGbk(const QString& text, const char* what) {
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLatin1();
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || decodeGbk(bytes) != text)
        fail(QStringLiteral("INI %1 \"%2\" holds characters that GBK text cannot hold")
                 .arg(QLatin1String(what), text));
    return bytes;
}

// The header name when the line is a section header.
std::optional<QString> headerName(QByteArrayView content) {
    const QByteArrayView trimmed = trimmedBlanks(content);
    if (!trimmed.startsWith('['))
        return std::nullopt;
    // "]" can be the second byte of a GBK character: find it in the text.
    const QString text = decodeGbk(trimmed);
    const qsizetype close = text.lastIndexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimmedBlanks(text.mid(1, close - 1));
}

bool isComment(QByteArrayView content) {
    return trimmedBlanks(content).startsWith(';');
}

// "=" is never part of a GBK character, so the first "=" byte is the first
// "=" of the text. Returns its position, or -1 when the line is no key line.
qsizetype keySeparator(QByteArrayView content) {
    if (isComment(content) || headerName(content))
        return -1;
    return content.indexOf('=');
}

QString keyText(QByteArrayView content, qsizetype separator) {
    return trimmedBlanks(decodeGbk(content.first(separator)));
}

QString valueText(QByteArrayView content, qsizetype separator) {
    QString value = trimmedBlanks(decodeGbk(content.sliced(separator + 1)));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

void checkWritableText(const QString& text, const char* what) {
    for (QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            fail(QStringLiteral("INI %1 \"%2\" contains a line break or NUL, which the file cannot hold")
                     .arg(QLatin1String(what), text));
    }
}

} // namespace

IniFile::IniFile() {
    m_sections.push_back(Section{});
}

IniFile IniFile::load(const QString& path) {
    QFileInfo info(path);
    if (!info.exists())
        return IniFile();
    if (info.isDir())
        fail(QStringLiteral("INI file %1 is a folder").arg(path));
    if (info.size() > MaxFileBytes)
        fail(QStringLiteral("INI file %1 is too large: %2 bytes (at most %3)")
                 .arg(path)
                 .arg(info.size())
                 .arg(MaxFileBytes));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read INI file %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("cannot read INI file %1: %2").arg(path, file.errorString()));
    return fromBytes(bytes, path);
}

IniFile IniFile::fromBytes(const QByteArray& bytes, const QString& origin) {
    const QString what = describeFile(origin);
    if (bytes.size() > MaxFileBytes)
        fail(QStringLiteral("%1 is too large: %2 bytes (at most %3)")
                 .arg(what)
                 .arg(bytes.size())
                 .arg(MaxFileBytes));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        fail(QStringLiteral("%1 is UTF-16 text; it must be GBK text").arg(what));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        fail(QStringLiteral("%1 is UTF-8 text with a byte-order mark; it must be GBK text").arg(what));
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        fail(QStringLiteral("%1 is not a text file: NUL byte at offset %2").arg(what).arg(nul));

    IniFile ini;
    ini.m_origin = origin;
    ini.m_store = bytes;
    bool eolSeen = false;
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    while (pos < size) {
        if (qsizetype(ini.m_lines.size()) >= MaxLines)
            fail(QStringLiteral("%1 has too many lines (at most %2)").arg(what).arg(MaxLines));
        qsizetype end = pos;
        while (end < size && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        qsizetype eol = 0;
        if (end < size)
            eol = (bytes.at(end) == '\r' && end + 1 < size && bytes.at(end + 1) == '\n') ? 2 : 1;
        if (eol && !eolSeen) {
            ini.m_eol = bytes.mid(end, eol);
            eolSeen = true;
        }
        const Line line{pos, end - pos, eol};
        if (auto name = headerName(ini.content(line))) {
            if (qsizetype(ini.m_sections.size()) > MaxSections)
                fail(QStringLiteral("%1 has too many sections (at most %2)").arg(what).arg(MaxSections));
            const qsizetype index = qsizetype(ini.m_sections.size());
            const QString folded = foldedName(*name);
            if (!ini.m_firstSection.contains(folded))
                ini.m_firstSection.insert(folded, index);
            ini.m_sections.push_back(Section{*name, qsizetype(ini.m_lines.size())});
        }
        ini.m_lines.push_back(line);
        pos = end + eol;
    }
    return ini;
}

QByteArray IniFile::toBytes() const {
    QByteArray bytes;
    qsizetype total = 0;
    for (const Line& line : m_lines)
        total += line.length + line.eolLength;
    bytes.reserve(total);
    for (const Line& line : m_lines)
        bytes.append(m_store.constData() + line.offset, line.length + line.eolLength);
    return bytes;
}

void IniFile::save(const QString& path) const {
    const QFileInfo info(path);
    // A read-only file stays as it is, even for a user who could replace it.
    if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner)))
        fail(QStringLiteral("cannot write INI file %1: the file is read-only").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write INI file %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size() || !file.commit())
        fail(QStringLiteral("cannot write INI file %1: %2").arg(path, file.errorString()));
}

QByteArrayView IniFile::content(const Line& line) const {
    return QByteArrayView(m_store.constData() + line.offset, line.length);
}

qsizetype IniFile::sectionBegin(qsizetype index) const {
    return m_sections[index].headerLine + 1;
}

qsizetype IniFile::sectionEnd(qsizetype index) const {
    return index + 1 < qsizetype(m_sections.size()) ? m_sections[index + 1].headerLine
                                                    : qsizetype(m_lines.size());
}

qsizetype IniFile::findSection(const QString& section) const {
    const QString folded = foldedName(section);
    // The keys before the first header are the unnamed section; a "[]"
    // header further down never wins over it.
    if (folded.isEmpty())
        return 0;
    return m_firstSection.value(folded, -1);
}

qsizetype IniFile::findKeyLine(qsizetype sectionIndex, const QString& foldedKey) const {
    for (qsizetype i = sectionBegin(sectionIndex); i < sectionEnd(sectionIndex); ++i) {
        const QByteArrayView text = content(m_lines[i]);
        const qsizetype separator = keySeparator(text);
        if (separator < 0)
            continue;
        const QString key = keyText(text, separator);
        if (!key.isEmpty() && foldedName(key) == foldedKey)
            return i;
    }
    return -1;
}

QStringList IniFile::sectionNames() const {
    QStringList names;
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        if (!m_sections[i].name.isEmpty())
            names << m_sections[i].name;
    }
    return names;
}

bool IniFile::hasSection(const QString& section) const {
    const qsizetype index = findSection(section);
    // The unnamed section exists only when something stands before the first header.
    return index > 0 || (index == 0 && sectionEnd(0) > 0);
}

QStringList IniFile::keyNames(const QString& section) const {
    QStringList names;
    const qsizetype index = findSection(section);
    if (index < 0)
        return names;
    for (qsizetype i = sectionBegin(index); i < sectionEnd(index); ++i) {
        const QByteArrayView text = content(m_lines[i]);
        const qsizetype separator = keySeparator(text);
        if (separator < 0)
            continue;
        const QString key = keyText(text, separator);
        if (!key.isEmpty())
            names << key;
    }
    return names;
}

std::optional<QString> IniFile::find(const QString& section, const QString& key) const {
    const qsizetype index = findSection(section);
    if (index < 0)
        return std::nullopt;
    const qsizetype line = findKeyLine(index, foldedName(key));
    if (line < 0)
        return std::nullopt;
    const QByteArrayView text = content(m_lines[line]);
    return valueText(text, keySeparator(text));
}

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue) const {
    return find(section, key).value_or(defaultValue);
}

qsizetype IniFile::appendToStore(const QByteArray& bytes) {
    const qsizetype offset = m_store.size();
    m_store.append(bytes);
    return offset;
}

void IniFile::ensureLineEnd(qsizetype lineIndex) {
    Line& line = m_lines[lineIndex];
    if (line.eolLength)
        return;
    const QByteArray text = content(line).toByteArray() + m_eol;
    line = Line{appendToStore(text), line.length, m_eol.size()};
}

void IniFile::insertLine(qsizetype at, const QByteArray& text) {
    if (at > 0)
        ensureLineEnd(at - 1);
    const Line line{appendToStore(text + m_eol), text.size(), m_eol.size()};
    m_lines.insert(m_lines.begin() + at, line);
    // Sections are in file order: only those after the new line move.
    for (auto section = m_sections.rbegin(); section != m_sections.rend() && section->headerLine >= at;
         ++section)
        ++section->headerLine;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString sectionName = trimmedBlanks(section);
    const QString keyName = trimmedBlanks(key);
    checkWritableText(section, "section name");
    checkWritableText(key, "key name");
    checkWritableText(value, "value");
    if (sectionName.isEmpty())
        fail(QStringLiteral("INI section name \"%1\" is empty").arg(section));
    if (keyName.isEmpty())
        fail(QStringLiteral("INI key name \"%1\" is empty (section %2)").arg(key, sectionName));
    if (keyName.contains(u'=') || keyName.startsWith(u';') || keyName.startsWith(u'['))
        fail(QStringLiteral("INI key name \"%1\" cannot be written: it would not read back as that key")
                 .arg(keyName));
    const QByteArray sectionBytes = encodeGbk(sectionName, "section name");
    const QByteArray keyBytes = encodeGbk(keyName, "key name");
    const QByteArray valueBytes = encodeGbk(value, "value");
    if (valueBytes.size() > MaxValueBytes)
        fail(QStringLiteral("INI value of [%1] %2 is too long: %3 bytes (at most %4)")
                 .arg(sectionName, keyName)
                 .arg(valueBytes.size())
                 .arg(MaxValueBytes));

    const qsizetype index = findSection(sectionName);
    if (index > 0) {
        const qsizetype keyLine = findKeyLine(index, foldedName(keyName));
        if (keyLine >= 0) {
            // Keep the file's spelling of the key and everything up to "=".
            Line& line = m_lines[keyLine];
            const QByteArrayView text = content(line);
            const QByteArray replaced = text.first(text.indexOf('=') + 1).toByteArray() + valueBytes;
            const QByteArray eol =
                QByteArray(m_store.constData() + line.offset + line.length, line.eolLength);
            line = Line{appendToStore(replaced + eol), replaced.size(), line.eolLength};
            return;
        }
        // After the section's last non-blank line, so blank lines that
        // separate it from the next section stay where they are.
        qsizetype at = sectionEnd(index);
        while (at > sectionBegin(index) && trimmedBlanks(content(m_lines[at - 1])).isEmpty())
            --at;
        insertLine(at, keyBytes + '=' + valueBytes);
        return;
    }

    if (qsizetype(m_sections.size()) > MaxSections)
        fail(QStringLiteral("%1 has too many sections to add [%2] (at most %3)")
                 .arg(describeFile(m_origin), sectionName)
                 .arg(MaxSections));
    const qsizetype header = qsizetype(m_lines.size());
    insertLine(header, '[' + sectionBytes + ']');
    m_firstSection.insert(foldedName(sectionName), qsizetype(m_sections.size()));
    m_sections.push_back(Section{sectionName, header});
    insertLine(header + 1, keyBytes + '=' + valueBytes);
}

void IniFile::writeValue(const QString& path, const QString& section, const QString& key,
                         const QString& value) {
    IniFile ini = load(path);
    ini.setValue(section, key, value);
    ini.save(path);
}
