#include "fileio/program_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace fileio {

void* moduleEntry(const ProgramModule& module, const QString& path, QString* why) {
    const QDir program(QCoreApplication::applicationDirPath());
    const QStringList candidates =
        !path.isEmpty()
            ? QStringList{path}
            : QStringList{
                  program.filePath(QString::fromUtf8(module.fileName)),
                  QDir::cleanPath(program.filePath(QString::fromUtf8(module.installedPath)))};
    const QString what = QString::fromUtf8(module.what);
    for (const QString& candidate : candidates) {
        if (!QFileInfo(candidate).isFile())
            continue;
        QLibrary library(candidate);
        if (QFunctionPointer entry = library.resolve(module.entry))
            return reinterpret_cast<void*>(entry);
        if (why)
            *why = QStringLiteral("%1 could not be loaded (%2)").arg(what, library.errorString());
        return nullptr;
    }
    if (why)
        *why = QStringLiteral("%1 is missing (%2)")
                   .arg(what, QDir::toNativeSeparators(candidates.constLast()));
    return nullptr;
}

} // namespace fileio
