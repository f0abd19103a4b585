#include "ProfileFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimBlanks(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool isQuote(char c) { return c == '"' || c == '\''; }

bool enclosedInQuotes(const QByteArray& text)
{
    return text.size() >= 2 && isQuote(text.front()) && text.front() == text.back();
}

QByteArray readValue(const QByteArray& raw)
{
    const QByteArray value = trimBlanks(raw);
    return enclosedInQuotes(value) ? value.mid(1, value.size() - 2) : value;
}

// The value as written, so that readValue() gives back exactly `value`.
QByteArray writtenValue(const QByteArray& value)
{
    if (trimBlanks(value) != value || enclosedInQuotes(value))
        return '"' + value + '"';
    return value;
}

bool sameName(const QByteArray& a, const QByteArray& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool holdsLineBreak(const QByteArray& text) { return text.contains('\r') || text.contains('\n'); }

// The section name of a header line "[name]", or a null array for any other line.
QByteArray headerName(const QByteArray& line)
{
    const QByteArray trimmed = trimBlanks(line);
    if (!trimmed.startsWith('['))
        return {};
    const qsizetype close = trimmed.indexOf(']');
    const QByteArray name = trimBlanks(close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1));
    return name.isNull() ? QByteArray("") : name;
}

bool isComment(const QByteArray& line) { return trimBlanks(line).startsWith(';'); }

} // namespace

bool ProfileFile::load(const QString& path)
{
    m_lines.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    if (content.isEmpty())
        return true;
    m_lines = content.split('\n');
    if (content.endsWith('\n'))
        m_lines.removeLast();
    for (QByteArray& line : m_lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return true;
}

bool ProfileFile::save(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray& line : m_lines) {
        if (file.write(line) != line.size() || file.write("\r\n", 2) != 2) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

ProfileFile::Entry ProfileFile::locate(const QByteArray& section, const QByteArray& key) const
{
    Entry found;
    const QByteArray wantedSection = trimBlanks(section);
    const QByteArray wantedKey = trimBlanks(key);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray name = headerName(m_lines.at(i));
        if (name.isNull() || !sameName(name, wantedSection))
            continue;
        found.sectionLine = i;
        found.sectionEnd = i + 1;
        for (qsizetype j = i + 1; j < m_lines.size() && headerName(m_lines.at(j)).isNull(); ++j) {
            const QByteArray& line = m_lines.at(j);
            if (isComment(line))
                continue;
            const qsizetype equals = line.indexOf('=');
            if (equals < 0)
                continue;
            found.sectionEnd = j + 1;
            if (found.entryLine < 0 && sameName(trimBlanks(line.left(equals)), wantedKey))
                found.entryLine = j;
        }
        return found; // the first section of the name is the one that counts
    }
    return found;
}

QByteArray ProfileFile::readString(const QByteArray& section, const QByteArray& key,
                                   const QByteArray& defaultValue) const
{
    const Entry entry = locate(section, key);
    if (entry.entryLine < 0)
        return defaultValue;
    const QByteArray& line = m_lines.at(entry.entryLine);
    return readValue(line.mid(line.indexOf('=') + 1));
}

bool ProfileFile::writeString(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    const QByteArray name = trimBlanks(key);
    if (holdsLineBreak(section) || section.contains(']') || holdsLineBreak(value) || holdsLineBreak(name)
        || name.isEmpty() || name.contains('=') || name.startsWith('[') || name.startsWith(';'))
        return false;
    const QByteArray line = name + '=' + writtenValue(value);
    const Entry entry = locate(section, key);
    if (entry.entryLine >= 0) {
        m_lines[entry.entryLine] = line;
    } else if (entry.sectionLine >= 0) {
        m_lines.insert(entry.sectionEnd, line);
    } else {
        m_lines.append('[' + trimBlanks(section) + ']');
        m_lines.append(line);
    }
    return true;
}
