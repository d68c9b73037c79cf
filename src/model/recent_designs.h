#pragma once

#include <QString>
#include <QStringList>

// The designs opened or saved last, newest first, kept as a text file of one
// absolute path a line in the user's configuration directory.
namespace model::recent {

inline constexpr int MaxEntries = 8;

// The list's file: recent-designs.txt in the application's configuration
// directory.
QString listPath();

// The stored list (empty when there is none or it cannot be read).
QStringList load();

// Stores the list; a list that cannot be written is only not remembered.
void store(const QStringList& paths);

// path moved (or added) to the front, the list cut to MaxEntries.
QStringList withFirst(QStringList paths, const QString& path);

// The entries whose files still exist.
QStringList existing(const QStringList& paths);

} // namespace model::recent
