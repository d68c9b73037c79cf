#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// The settings file reader and writer, following the Windows private-profile
// (INI) rules so that a file edited by hand or written by an older build
// reads the same:
//   - section and key names match without regard to letter case;
//   - the first matching section, and in it the first matching key, wins;
//   - values come back trimmed of blanks and without one pair of enclosing
//     quotes, cut to 519 characters (the 520-character read buffer);
//   - the text is 8-bit Latin-1 both ways; CRLF or LF line endings and a
//     UTF-8 byte-order mark at the start are accepted and preserved;
//   - only a regular file of at most MaxIniBytes is read: anything else
//     (a FIFO, a device, a directory, a larger file) reads as no file and
//     is never replaced.
namespace feed {

// A settings file is a few hundred bytes; this bounds what a wrong path
// (/dev/zero, a log file) can cost.
inline constexpr qint64 MaxIniBytes = 1024 * 1024;

// A key and the value to set it to.
using IniEntry = std::pair<QString, QString>;

// Reads the settings file at path in one go; while nothing exists at path,
// the one at seedPath (if given) instead. Returns false, with *bytes
// empty, when what is there is not a regular file of at most MaxIniBytes
// (then *why says so) or when there is nothing (*why untouched).
bool readIniFile(const QString& path, QByteArray* bytes, const QString& seedPath = QString(),
                 QString* why = nullptr);

// The values of keys in section of the settings text, in the order of keys;
// empty text for a section or key that does not exist.
QStringList iniValues(const QByteArray& text, const QString& section, const QStringList& keys);

// The value of key in section of the file at path, or empty text when the
// file, the section or the key does not exist.
QString ReadIniKey(const QString& path, const QString& section, const QString& key);

// Sets each key of entries in section to its value in one save, creating
// the file, the section and the keys as needed; every other line of the
// file is kept as it was. While nothing exists at path, the file starts as
// a copy of seedPath (when given and readable). The file is replaced
// atomically with every write checked, so a failed or interrupted save
// leaves the old file as it was. Returns "OK" or "ERROR".
QString writeIniKeys(const QString& path, const QString& section, const QList<IniEntry>& entries,
                     const QString& seedPath = QString());

// writeIniKeys with one key.
QString WriteIniKey(const QString& path, const QString& section, const QString& key,
                    const QString& value);

} // namespace feed
