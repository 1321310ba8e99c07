#include "app/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// "[name]" with optional blanks around; returns the name, or a null string.
QString sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('[')) return {};
    const qsizetype close = t.indexOf(']');
    if (close < 0) return {};
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QString& t) {
    return t.startsWith(';') || t.startsWith('#');
}

// Splits "key = value" into its trimmed parts; false for lines without "=".
bool splitKeyValue(const QString& line, QString& key, QString& value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || isComment(t) || t.startsWith('[')) return false;
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0) return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return !key.isEmpty();
}

QString unquote(const QString& v) {
    if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        return v.mid(1, v.size() - 2);
    return v;
}

// A value as it is written: one the reader would change (blanks at either
// end, a pair of enclosing quotes) goes into quotes, which the reader strips.
QString quoteIfNeeded(const QString& value) {
    if (value != value.trimmed() || unquote(value) != value) return '"' + value + '"';
    return value;
}

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// The file's bytes as the reader sees them: lines, line break, and how the
// text was encoded.
struct DecodedText {
    QStringList lines;
    QString eol = QStringLiteral("\n");
    bool singleByte = false;    // not UTF-8: each byte is one character
    bool byteOrderMark = false; // began with a UTF-8 byte-order mark
};

DecodedText decodeText(const QByteArray& raw) {
    DecodedText d;
    // A file that is not UTF-8 (written by an older program in a code page)
    // is held byte for byte, so that writing one key changes no other byte.
    d.byteOrderMark = raw.startsWith(Utf8Bom);
    const QByteArray body = d.byteOrderMark ? raw.mid(Utf8Bom.size()) : raw;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    d.singleByte = utf8.hasError();
    if (d.singleByte) text = QString::fromLatin1(body);
    if (text.contains(QStringLiteral("\r\n"))) d.eol = QStringLiteral("\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    d.lines = text.split('\n');
    // A final line break leaves an empty last element that is not a line.
    if (!d.lines.isEmpty() && d.lines.last().isEmpty()) d.lines.removeLast();
    return d;
}

// Why a section or key name cannot be written so that it reads back as
// itself and leaves the other lines' meaning alone; "" when it can.
QString nameProblem(const QString& section, const QString& key) {
    auto breaksLine = [](const QString& s) { return s.contains('\n') || s.contains('\r'); };
    if (breaksLine(section) || section != section.trimmed() || section.contains(']'))
        return QStringLiteral("the section name \"%1\" cannot be written").arg(section);
    if (key.isEmpty() || breaksLine(key) || key != key.trimmed() || key.contains('=') || isComment(key) ||
        key.startsWith('['))
        return QStringLiteral("the key name \"%1\" cannot be written").arg(key);
    return {};
}

} // namespace

TIniFile::TIniFile(QString fileName) : path(std::move(fileName)) {
    load();
}

bool TIniFile::exists() const {
    return QFileInfo::exists(path);
}

void TIniFile::load() {
    lines.clear();
    readErr.clear();
    QFileInfo info(path);
    if (!info.exists()) {
        loaded = true;
        return;
    }
    QFile f(path);
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) {
        readErr = info.isDir() ? QStringLiteral("is a folder") : f.errorString();
        loaded = false;
        return;
    }
    const QByteArray raw = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        readErr = f.errorString();
        loaded = false;
        return;
    }
    DecodedText d = decodeText(raw);
    lines = std::move(d.lines);
    eol = d.eol;
    singleByte = d.singleByte;
    byteOrderMark = d.byteOrderMark;
    loaded = true;
}

int TIniFile::findSection(const QString& section) const {
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (!name.isNull() && name.compare(section, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

int TIniFile::sectionEnd(int headerLine) const {
    int i = headerLine + 1;
    while (i < lines.size() && sectionName(lines[i]).isNull())
        ++i;
    return i;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const int header = findSection(section);
    if (header < 0) return defaultValue;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        QString k, v;
        if (splitKeyValue(lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0) return unquote(v);
    }
    return defaultValue;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    writeErr.clear();
    if (!loaded) {
        // Never replace a file whose contents we could not see.
        writeErr = readErr.isEmpty() ? QStringLiteral("the file could not be read") : readErr;
        return false;
    }
    if (value.contains('\n') || value.contains('\r')) {
        writeErr = QStringLiteral("a value cannot hold a line break");
        return false;
    }
    if (const QString problem = nameProblem(section, key); !problem.isEmpty()) {
        writeErr = problem;
        return false;
    }
    QStringList updated = lines;
    const QString entry = key + '=' + quoteIfNeeded(value);
    const int header = findSection(section);
    if (header < 0) {
        updated << '[' + section + ']' << entry;
    } else {
        const int end = sectionEnd(header);
        int at = -1;
        for (int i = header + 1; i < end; ++i) {
            QString k, v;
            if (splitKeyValue(updated[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
                at = i;
                break;
            }
        }
        if (at >= 0) {
            updated[at] = entry;
        } else {
            // After the section's last non-blank line, so blank separators stay between sections.
            int insertAt = end;
            while (insertAt > header + 1 && updated[insertAt - 1].trimmed().isEmpty())
                --insertAt;
            updated.insert(insertAt, entry);
        }
    }

    // Every other line must read back as it was read. A single-byte file stays
    // single-byte while that holds; once its bytes would read as UTF-8 (the
    // one line that was not UTF-8 replaced), or the new value has characters
    // beyond a single byte, the whole text is written as UTF-8 instead, which
    // reads back the same text.
    const QString text = updated.join(eol) + eol;
    const QByteArray mark = byteOrderMark ? Utf8Bom : QByteArray();
    QList<QByteArray> candidates;
    if (singleByte) candidates << mark + text.toLatin1();
    candidates << mark + text.toUtf8();
    const QByteArray* bytes = nullptr;
    DecodedText written;
    for (const QByteArray& candidate : candidates) {
        written = decodeText(candidate);
        if (written.lines == updated) {
            bytes = &candidate;
            break;
        }
    }
    if (!bytes) {
        writeErr = QStringLiteral("the value cannot be stored as text");
        return false;
    }

    QSaveFile out(path);
    // A writable file in a folder that refuses new files is still written (in place).
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly)) {
        writeErr = out.errorString();
        return false;
    }
    if (out.write(*bytes) != bytes->size() || !out.commit()) {
        writeErr = out.errorString();
        return false;
    }
    lines = updated;
    singleByte = written.singleByte;
    byteOrderMark = written.byteOrderMark;
    return true;
}
