#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class QFile;

// The one way the program writes a file. The bytes are prepared in memory
// first; the file is then replaced atomically (a temporary file beside it,
// every write checked, renamed over the old one only when all went well).
// Whatever fails, the old file stays as it was.
namespace fileio {

// The file name that stands for standard output.
inline constexpr char StdoutName[] = "-";

// Writes data to path, or to standard output when path is "-". Refuses a
// path that exists and is not a regular file (a FIFO without a reader would
// block, a device would be replaced). Returns false with a message for the
// user in *error (the file name and what went wrong).
bool writeFile(const QString& path, const QByteArray& data, QString* error = nullptr);

// The program's file of this name in the user's configuration directory
// (settings of an installed copy, the recent designs, the view's choices).
QString userConfigFile(const QString& name);
// Several files that stand or fall together: each is prepared beside its
// destination (every write checked), and only when all of them are ready
// are they put in place, after standard output (which cannot be taken
// back). Should a preparation or standard output fail, none is replaced;
// a rename failing after that leaves what was printed.
class FileBatch {
public:
    FileBatch();
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    void add(const QString& path, const QByteArray& data);
    // False, with the first failure's message in *error, when any file
    // could not be prepared or put in place.
    bool commit(QString* error = nullptr);

private:
    struct Entry;
    std::vector<std::unique_ptr<Entry>> m_entries;
};

// writeFile into that directory, which the first write creates.
bool writeUserConfigFile(const QString& name, const QByteArray& data, QString* error = nullptr);

// Reads a regular file of at most maxBytes in one go. Returns false, with
// *error set, for anything else (missing, a FIFO, a device, a directory,
// larger than maxBytes, unreadable).
bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray* data,
                     QString* error = nullptr);
// The same checks, leaving *file open for the caller to read as a stream.
// The file may grow after the check: a reader stops at maxBytes itself.
bool openRegularFile(const QString& path, qint64 maxBytes, QFile* file, QString* error = nullptr);

} // namespace fileio
