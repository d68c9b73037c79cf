#pragma once

#include "feed/feed_settings.h"
#include "feed/http_fetch.h"
#include "feed/observations.h"

#include <QString>

#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace feed {

// One refresh of the live feed: fetch the current conditions and show them,
// then fetch the day's history and store it. Pending window events are
// processed between the two fetches and before the history walk, and the
// fetches themselves keep the event loop running, so timers tick and the
// window repaints meanwhile.
class LiveRefresher {
public:
    using MessageFn = std::function<void(const QString&)>;
    using StillLiveFn = std::function<bool()>;
    using RefreshingFn = std::function<void(bool refreshing)>;

    // settings are read at every refresh (the dialog may have changed them).
    // When the daily history fails, showMessage is called with "Failed to
    // Load Data" and a second line naming the address and what failed, and
    // is expected to return once the user has closed the message; not when
    // stillLive (if given) says the user has left live mode meanwhile.
    // refreshingChanged (if given) is called as a refresh starts and ends.
    LiveRefresher(const FeedSettings& settings, const CurrentTargets& targets,
                  ObservationHistory& history, MessageFn showMessage, StillLiveFn stillLive = {},
                  RefreshingFn refreshingChanged = {});
    ~LiveRefresher();

    LiveRefresher(const LiveRefresher&) = delete;
    LiveRefresher& operator=(const LiveRefresher&) = delete;

    // Runs one refresh. Returns false at once, doing nothing, when a refresh
    // is already in progress (a timer tick arriving during a fetch).
    // The caller resets obsIndex beforehand.
    bool refreshLiveFeed();

    bool isRefreshing() const { return m_refreshing; }
    bool isMessageOpen() const { return m_messageOpen; }

    // Whether the last refresh that ran failed to load either document
    // (the current conditions fail silently), and why: a line per failed
    // document, its address and the reason.
    bool lastRefreshFailed() const { return !m_lastFailure.isEmpty(); }
    const QString& lastFailure() const { return m_lastFailure; }

    // Time allowed for each of the two fetches, in ms (default 10000).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

    // Largest document accepted, in bytes (default 1 MiB).
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    qint64 maxBytes() const { return m_maxBytes; }

private:
    void setRefreshing(bool refreshing);
    void reportFailure(const QString& what);
    QNetworkAccessManager& network();

    const FeedSettings& m_settings;
    CurrentTargets m_targets;
    ObservationHistory& m_history;
    MessageFn m_showMessage;
    StillLiveFn m_stillLive;
    RefreshingFn m_refreshingChanged;
    std::unique_ptr<QNetworkAccessManager> m_network;
    int m_timeoutMs = 10000;
    qint64 m_maxBytes = kMaxDocumentBytes;
    bool m_refreshing = false;
    bool m_messageOpen = false;
    QString m_lastFailure;
};

} // namespace feed
