#include "feed/http_client.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace feed {

std::unique_ptr<HttpClient> loadHttpClient(const QString& modulePath, QString* why) {
    const QDir program(QCoreApplication::applicationDirPath());
    const QStringList candidates =
        !modulePath.isEmpty()
            ? QStringList{modulePath}
            : QStringList{
                  program.filePath(QStringLiteral(QUORVEL_HTTP_MODULE)),
                  QDir::cleanPath(program.filePath(QStringLiteral(QUORVEL_HTTP_MODULE_INSTALLED)))};
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isFile())
            continue;
        // Never unloaded: the client's code lives in it.
        QLibrary module(path);
        if (const auto make = reinterpret_cast<HttpClientFactory>(module.resolve(HttpClientEntry)))
            return std::unique_ptr<HttpClient>(make());
        if (why)
            *why = QStringLiteral("the network code could not be loaded (%1)")
                       .arg(module.errorString());
        return nullptr;
    }
    if (why)
        *why = QStringLiteral("the network code is missing (%1)")
                   .arg(QDir::toNativeSeparators(candidates.constLast()));
    return nullptr;
}

} // namespace feed
