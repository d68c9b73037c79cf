#include "feed/ini_file.h"

#include "fileio/safe_write.h"

#include <QFileInfo>

#include <optional>

namespace feed {

namespace {

// The private-profile reader hands back at most 519 characters plus the
// terminating zero of its 520-character buffer.
constexpr qsizetype MaxValueLength = 519;

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// The file as a list of raw lines. Each line keeps its own trailing '\r'
// (if the file has one there) so that lines we do not touch are written
// back byte for byte.
struct IniText {
    QByteArray bom;
    QStringList lines;
    bool crlf = false;         // line-ending style for lines we add
    bool finalNewline = false; // the last line ended with a line break
};

// Blanks in the private-profile sense: space and tab only.
QString trimBlanks(QStringView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t'))
        ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t'))
        --e;
    return s.mid(b, e - b).toString();
}

// A raw line without its '\r' and outer blanks.
QString logicalLine(const QString& raw) {
    QStringView v(raw);
    if (v.endsWith(u'\r'))
        v.chop(1);
    return trimBlanks(v);
}

bool sameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// Section name of a header line "[name]"; nothing for other lines. A header
// without its closing bracket still opens a section, as the platform reader
// treats it.
std::optional<QString> sectionName(const QString& line) {
    if (!line.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = line.indexOf(u']');
    return trimBlanks(close < 0 ? QStringView(line).mid(1) : QStringView(line).mid(1, close - 1));
}

IniText parseIni(const QByteArray& bytes) {
    IniText ini;
    QByteArray body = bytes;
    if (body.startsWith(Utf8Bom)) {
        ini.bom = Utf8Bom;
        body.remove(0, Utf8Bom.size());
    }
    const qsizetype firstLf = body.indexOf('\n');
    ini.crlf = firstLf > 0 && body.at(firstLf - 1) == '\r';
    if (body.isEmpty())
        return ini;
    ini.finalNewline = body.endsWith('\n');
    if (ini.finalNewline)
        body.chop(1);
    ini.lines = QString::fromLatin1(body).split(u'\n');
    return ini;
}

QByteArray serialize(const IniText& ini) {
    QByteArray out = ini.bom;
    out += ini.lines.join(u'\n').toLatin1();
    if (ini.finalNewline)
        out += '\n';
    return out;
}

// Index range [first, end) of the lines of the first section called name;
// first is the header line. Returns false when there is no such section.
bool findSection(const IniText& ini, const QString& name, qsizetype* header, qsizetype* end) {
    for (qsizetype i = 0; i < ini.lines.size(); ++i) {
        const std::optional<QString> found = sectionName(logicalLine(ini.lines[i]));
        if (!found || !sameName(*found, name))
            continue;
        qsizetype j = i + 1;
        while (j < ini.lines.size() && !sectionName(logicalLine(ini.lines[j])))
            ++j;
        *header = i;
        *end = j;
        return true;
    }
    return false;
}

// Index of the first line "key=..." in (header, end), or -1. Lines starting
// with ';' are comments and never match.
qsizetype findKey(const IniText& ini, qsizetype header, qsizetype end, const QString& key,
                  QString* value) {
    for (qsizetype i = header + 1; i < end; ++i) {
        const QString line = logicalLine(ini.lines[i]);
        if (line.startsWith(u';'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !sameName(trimBlanks(QStringView(line).left(eq)), key))
            continue;
        if (value)
            *value = trimBlanks(QStringView(line).mid(eq + 1));
        return i;
    }
    return -1;
}

// The value as the platform reader returns it: one pair of matching
// enclosing quotes removed.
QString unquote(const QString& value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// A line break inside a name or value would split the entry in two.
QString oneLine(QString s) {
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

// A new file (the seed's content, or an empty one) is made only where
// nothing exists yet.
bool nothingAt(const QString& path) {
    return !QFileInfo::exists(path);
}

QString valueOf(const IniText& ini, const QString& section, const QString& key) {
    qsizetype header = 0;
    qsizetype end = 0;
    if (!findSection(ini, section, &header, &end))
        return QString();
    QString value;
    if (findKey(ini, header, end, key, &value) < 0)
        return QString();
    return trimBlanks(unquote(value).left(MaxValueLength));
}

void setValue(IniText& ini, const QString& section, const QString& key, const QString& value) {
    const QString cr = ini.crlf ? QStringLiteral("\r") : QString();
    const QString entry = oneLine(key) + u'=' + oneLine(value);

    // Inserting at the very end: the old last line gets a proper line break
    // of the file's style and the file ends with one afterwards.
    auto insertAt = [&](qsizetype at, const QStringList& newLines) {
        if (at == ini.lines.size()) {
            if (!ini.lines.isEmpty() && ini.crlf && !ini.lines.back().endsWith(u'\r'))
                ini.lines.back() += u'\r';
            ini.finalNewline = true;
        }
        for (qsizetype i = 0; i < newLines.size(); ++i)
            ini.lines.insert(at + i, newLines[i] + cr);
    };

    qsizetype header = 0;
    qsizetype end = 0;
    if (findSection(ini, section, &header, &end)) {
        const qsizetype at = findKey(ini, header, end, key, nullptr);
        if (at >= 0) {
            const bool hadCr = ini.lines[at].endsWith(u'\r');
            ini.lines[at] = entry + (hadCr ? QStringLiteral("\r") : QString());
        } else {
            // After the section's last non-blank line, so blank lines that
            // separate it from the next section stay where they are.
            qsizetype last = header;
            for (qsizetype i = header + 1; i < end; ++i)
                if (!logicalLine(ini.lines[i]).isEmpty())
                    last = i;
            insertAt(last + 1, {entry});
        }
    } else {
        QStringList added;
        if (!ini.lines.isEmpty() && !logicalLine(ini.lines.back()).isEmpty())
            added << QString();
        added << u'[' + oneLine(section) + u']' << entry;
        insertAt(ini.lines.size(), added);
    }
}

} // namespace

bool readIniFile(const QString& path, QByteArray* bytes, const QString& seedPath, QString* why) {
    const QString from = !seedPath.isEmpty() && nothingAt(path) ? seedPath : path;
    QString error;
    if (fileio::readRegularFile(from, MaxIniBytes, bytes, &error))
        return true;
    bytes->clear();
    if (why && !nothingAt(from))
        *why = error;
    return false;
}

QStringList iniValues(const QByteArray& text, const QString& section, const QStringList& keys) {
    const IniText ini = parseIni(text);
    QStringList values;
    for (const QString& key : keys)
        values << valueOf(ini, section, key);
    return values;
}

QString ReadIniKey(const QString& path, const QString& section, const QString& key) {
    QByteArray bytes;
    if (!readIniFile(path, &bytes))
        return QString();
    return iniValues(bytes, section, {key}).front();
}

QString writeIniKeys(const QString& path, const QString& section, const QList<IniEntry>& entries,
                     const QString& seedPath) {
    const QString error = QStringLiteral("ERROR");
    if (trimBlanks(section).isEmpty())
        return error;
    for (const IniEntry& e : entries)
        if (trimBlanks(e.first).isEmpty())
            return error;

    // What is there and cannot be read (a FIFO, a device, a huge file) is
    // not ours to replace; a seed that cannot be read is simply not copied.
    QByteArray bytes;
    if (nothingAt(path)) {
        if (!seedPath.isEmpty())
            readIniFile(seedPath, &bytes);
    } else if (!readIniFile(path, &bytes)) {
        return error;
    }
    IniText ini = parseIni(bytes);
    for (const IniEntry& e : entries)
        setValue(ini, section, e.first, e.second);
    return fileio::writeFile(path, serialize(ini)) ? QStringLiteral("OK") : error;
}

QString WriteIniKey(const QString& path, const QString& section, const QString& key,
                    const QString& value) {
    return writeIniKeys(path, section, {{key, value}});
}

} // namespace feed
