#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QDomDocument;
class QNetworkAccessManager;

// Fetching and parsing one feed document. The fetch looks synchronous to
// its caller but runs a local event loop while it waits, so the window keeps
// repainting and its timers keep ticking; it is bounded in time and size.
namespace feed {

struct FetchResult {
    bool ok = false;
    QByteArray body;
    QString error; // why the fetch failed; empty when ok
};

// GETs url (http or https only). Fails when the server cannot be reached,
// answers with an HTTP status of 400 or more, redirects more than 5 times,
// takes longer than timeoutMs in all, or sends more than maxBytes.
FetchResult fetchDocument(QNetworkAccessManager& manager, const QUrl& url, int timeoutMs = 10000,
                          qint64 maxBytes = 8 * 1024 * 1024);

// Loads data into doc when it is a well-formed XML document that is safe to
// hold: documents declaring entities (entity-expansion bombs) or nested
// deeper than a feed ever is are refused. Returns false otherwise; doc is
// then left empty.
bool parseDocument(const QByteArray& data, QDomDocument& doc);

} // namespace feed
