#pragma once

#include <QString>
#include <QStringList>

// A small INI-file reader and writer that behaves like the classic private
// profile functions: section and key names compare without regard to case,
// values are plain text (no escaping, no type guessing), a write changes the
// one line of its key in place and leaves every other line, comment and key
// order as it was, and a missing key or section is appended.
//
// Reading never fails hard: a file that cannot be read simply yields the
// defaults, and `readError()` says why. Writing refuses to replace a file it
// could not read, so an unreadable settings file is never overwritten with a
// stripped copy.
class TIniFile {
public:
    explicit TIniFile(QString fileName);

    const QString& fileName() const { return path; }

    // True when the file exists on disk (whether or not it could be read).
    bool exists() const;

    // The value of key in section, trimmed, with one pair of enclosing quotes
    // removed; defaultValue when the section or key is absent. The first
    // section and the first key of a name count.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;

    // Sets key in section and writes the file at once; the value reads back
    // as given (it is put in quotes when the reader would strip something),
    // and every other key reads back as before, whatever the file's encoding.
    // Returns false (and sets writeError()) when the file could not be
    // written, or the value holds a line break, or a name cannot be written
    // as itself; the file on disk is then unchanged.
    bool WriteString(const QString& section, const QString& key, const QString& value);

    // Why the file could not be read ("" when it was read or does not exist).
    const QString& readError() const { return readErr; }
    // Why the last write failed ("" after a successful write).
    const QString& writeError() const { return writeErr; }

private:
    void load();
    int findSection(const QString& section) const; // line index of "[section]", or -1
    int sectionEnd(int headerLine) const;          // first line after the section's body

    QString path;
    QStringList lines;
    QString eol = QStringLiteral("\n");
    bool loaded = false;        // the file was read (or did not exist)
    bool singleByte = false;    // not UTF-8: each byte is kept as one character
    bool byteOrderMark = false; // a UTF-8 byte-order mark is written back
    QString readErr;
    QString writeErr;
};
