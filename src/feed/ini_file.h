#pragma once

#include <QString>

// The settings file reader and writer, following the Windows private-profile
// (INI) rules so that a file edited by hand or written by an older build
// reads the same:
//   - section and key names match without regard to letter case;
//   - the first matching section, and in it the first matching key, wins;
//   - values come back trimmed of blanks and without one pair of enclosing
//     quotes, cut to 519 characters (the 520-character read buffer);
//   - the text is 8-bit Latin-1 both ways; CRLF or LF line endings and a
//     UTF-8 byte-order mark at the start are accepted and preserved.
namespace feed {

// The value of key in section of the file at path, or empty text when the
// file, the section or the key does not exist.
QString ReadIniKey(const QString& path, const QString& section, const QString& key);

// Sets key in section to value, creating the file, the section and the key
// as needed; every other line of the file is kept as it was. The file is
// replaced atomically (temporary file, then rename), so an interrupted save
// leaves either the old or the new file. Returns "OK" or "ERROR".
QString WriteIniKey(const QString& path, const QString& section, const QString& key,
                    const QString& value);

} // namespace feed
