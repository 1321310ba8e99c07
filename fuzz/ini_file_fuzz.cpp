// Arbitrary settings files, and an arbitrary key written into them: after
// the write every other key reads back exactly as before, the written key
// reads back as given, and a refused write leaves the file's bytes alone.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "app/IniFile.h"
#include "fuzz_target.h"

namespace {

bool accepted = false;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Section and key names that the file may hold, found without the reader's
// own rules (both as UTF-8 and as single bytes), so that its mistakes show.
QList<std::pair<QString, QString>> CandidateKeys(const QByteArray& file) {
    QStringList sections{QStringLiteral("Setup")}, keys{QStringLiteral("Language")};
    for (const QString& text : {QString::fromUtf8(file), QString::fromLatin1(file)}) {
        for (QString line : text.split(QRegularExpression(QStringLiteral("[\\r\\n]")))) {
            line = line.trimmed();
            const qsizetype close = line.indexOf(']');
            if (line.startsWith('[') && close > 0) sections << line.mid(1, close - 1).trimmed();
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) keys << line.left(eq).trimmed();
        }
    }
    sections.removeDuplicates();
    keys.removeDuplicates();
    QList<std::pair<QString, QString>> pairs;
    for (const QString& s : sections.mid(0, 8))
        for (const QString& k : keys.mid(0, 16))
            pairs.append({s, k});
    return pairs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const QString path = QDir(dir.path()).filePath(QStringLiteral("Tamarind.ini"));
    accepted = false;
    if (size < 2) return 0;
    // Input: [choice of section][choice of key] file bytes, then after the
    // last zero byte the value to write (UTF-8).
    const QByteArray all(reinterpret_cast<const char*>(data) + 2, qsizetype(size - 2));
    const qsizetype split = all.lastIndexOf('\0');
    const QByteArray file = split < 0 ? all : all.left(split);
    const QString value = split < 0 ? QString() : QString::fromUtf8(all.mid(split + 1));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) abort();
        f.write(file);
    }

    const QList<std::pair<QString, QString>> pairs = CandidateKeys(file);
    const QString missing = QStringLiteral("\x01missing\x01");
    QStringList before;
    {
        const TIniFile ini(path);
        for (const auto& [s, k] : pairs)
            before << ini.ReadString(s, k, missing);
    }
    const qsizetype chosen = (data[0] * 256 + data[1]) % pairs.size();
    const auto& [section, key] = pairs[chosen];
    TIniFile writer(path);
    if (!writer.WriteString(section, key, value)) {
        if (ReadAll(path) != file) abort();
        return 0;
    }
    // Taken: the key written was read from the file, and replaced.
    accepted = before[chosen] != missing;
    const TIniFile after(path);
    if (after.ReadString(section, key, missing) != value) abort();
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const auto& [s, k] = pairs[i];
        const bool written =
            s.compare(section, Qt::CaseInsensitive) == 0 && k.compare(key, Qt::CaseInsensitive) == 0;
        if (!written && after.ReadString(s, k, missing) != before[i]) abort();
    }
    return 0;
}

bool FuzzInputAccepted() {
    return accepted;
}
