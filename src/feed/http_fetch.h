#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// Fetching one feed document. The fetch looks synchronous to its caller but
// runs a local event loop while it waits, so the window keeps repainting
// and its timers keep ticking; it is bounded in time and size.
namespace feed {

// Station documents are a few kilobytes; this is far above any of them.
inline constexpr qint64 kMaxDocumentBytes = 1024 * 1024;

struct FetchResult {
    bool ok = false;
    QByteArray body;
    QString error; // why the fetch failed, short enough for a message; empty when ok
};

// GETs url (http or https only). Fails when the server cannot be reached,
// answers with an HTTP status of 400 or more, redirects more than 5 times,
// takes longer than timeoutMs in all, or sends more than maxBytes (never
// holding much more than that in memory, announced length or not).
FetchResult fetchDocument(QNetworkAccessManager& manager, const QUrl& url, int timeoutMs = 10000,
                          qint64 maxBytes = kMaxDocumentBytes);

} // namespace feed
