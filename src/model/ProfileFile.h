#pragma once
// A Windows profile (INI) file in its own dialect, held as its lines of code page 1250 bytes.
// Reading: section and key names match without regard to (ASCII) letter case, blanks around
// keys and values are dropped, one pair of enclosing ' or " around a value is dropped, lines
// starting with ';' are comments. Writing replaces an entry in place, appends a new entry at
// the end of its section and a new section at the end of the file; every other line is kept
// byte for byte. Saving is atomic and writes CR LF line ends.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

class ProfileFile
{
public:
    // A missing file loads as empty; false only when an existing file cannot be read.
    bool load(const QString& path);
    bool save(const QString& path) const;

    // The entry's value, or defaultValue when the section or the key is missing.
    QByteArray readString(const QByteArray& section, const QByteArray& key,
                          const QByteArray& defaultValue = {}) const;
    // False (and nothing changed) for a section, key or value holding a line break, or a key
    // holding "=" or starting with "[" or ";": such an entry could not read back as written.
    bool writeString(const QByteArray& section, const QByteArray& key, const QByteArray& value);

    const QByteArrayList& lines() const { return m_lines; }

private:
    struct Entry {
        qsizetype sectionLine = -1; // line index of the section header, -1 when absent
        qsizetype entryLine = -1;   // line index of the key's entry, -1 when absent
        qsizetype sectionEnd = -1;  // index after the section's last entry line
    };
    Entry locate(const QByteArray& section, const QByteArray& key) const;

    QByteArrayList m_lines;
};
