#pragma once

#include "feed/http_client.h"
#include "model/feed_types.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

namespace feed {

// Station documents are a few kilobytes; this is far above any of them.
inline constexpr qint64 MaxDocumentBytes = 1024 * 1024;

// The weather station as the Session sees it: documents fetched over HTTP
// and read with the walks of observations.h, or, when the settings choose
// the weather service, its API's observations read as weather_service.h
// reads them.
class StationFeed : public model::FeedSource {
public:
    StationFeed();
    ~StationFeed() override;

    bool addresses(const model::FeedSettings& settings, model::FeedAddresses& out,
                   QString* why) override;

    // GETs url (http or https, blanks around it ignored). The call looks
    // synchronous but runs a local event loop while it waits, so the window
    // keeps repainting and its timers keep ticking. Fails when the server
    // cannot be reached, answers with an HTTP status of 400 or more,
    // redirects more than 5 times, takes longer than timeoutMs() in all, or
    // sends more than maxBytes() (never holding much more than that in
    // memory, announced length or not).
    bool fetch(const QString& url, QByteArray& body, QString* why) override;
    bool readCurrent(const QByteArray& document, QList<model::CurrentReading>& readings,
                     QString* why) override;
    bool readHistory(const QByteArray& document, model::ObservationHistory& history,
                     QString* why) override;

    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    qint64 maxBytes() const { return m_maxBytes; }
    // Where the network code is (see http_client.h); empty, the default,
    // for next to the program or where it is installed.
    void setHttpModule(const QString& path) { m_httpModule = path; }
    // The moment taken as now for the weather service's day; invalid (the
    // default) for the clock's.
    void setNow(const QDateTime& now) { m_now = now; }

private:
    HttpRequest request(const QUrl& url, const QString& typed) const;
    QString outcome(const HttpAnswer& answer) const;

    // Loaded on the first fetch: most runs never go live, and start-up need
    // not pay for the network stack.
    QString m_httpModule;
    std::unique_ptr<HttpClient> m_http;
    int m_timeoutMs = 10000;
    qint64 m_maxBytes = MaxDocumentBytes;
    QDateTime m_now;
    // Set by addresses(): which kind of source the next fetches and reads
    // are for, and the weather service's day.
    bool m_weatherService = false;
    QString m_station;
    QString m_contact;
    QString m_historyUrl;
    QDateTime m_from;
    QDateTime m_to;
};

} // namespace feed
