#include "feed/live_refresh.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

namespace feed {

namespace {

// The URLs are kept as typed; blanks around one are not part of it.
QUrl feedUrl(const QString& typed) {
    return QUrl(typed.trimmed());
}

QString failureLine(const QUrl& url, const QString& why) {
    return QStringLiteral("%1: %2").arg(url.toDisplayString(), why);
}

} // namespace

LiveRefresher::LiveRefresher(const FeedSettings& settings, const CurrentTargets& targets,
                             ObservationHistory& history, MessageFn showMessage,
                             StillLiveFn stillLive, RefreshingFn refreshingChanged)
    : m_settings(settings), m_targets(targets), m_history(history),
      m_showMessage(std::move(showMessage)), m_stillLive(std::move(stillLive)),
      m_refreshingChanged(std::move(refreshingChanged)) {}

LiveRefresher::~LiveRefresher() = default;

// Made on the first refresh: most runs never go live, and start-up need
// not pay for the network stack.
QNetworkAccessManager& LiveRefresher::network() {
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    return *m_network;
}

void LiveRefresher::setRefreshing(bool refreshing) {
    m_refreshing = refreshing;
    if (m_refreshingChanged)
        m_refreshingChanged(refreshing);
}

bool LiveRefresher::refreshLiveFeed() {
    if (m_refreshing)
        return false;
    setRefreshing(true);
    QStringList failures;

    // Current conditions: a document that cannot be loaded is skipped
    // silently and the panel and fields keep their values.
    const QUrl currentUrl = feedUrl(m_settings.gXMLCurrent);
    const FetchResult current = fetchDocument(network(), currentUrl, m_timeoutMs, m_maxBytes);
    QString why = current.error;
    if (!current.ok || !DisplayNode(current.body, m_targets, &why))
        failures << failureLine(currentUrl, why);

    QCoreApplication::processEvents();

    const QUrl dailyUrl = feedUrl(m_settings.gXMLDaily);
    const FetchResult daily = fetchDocument(network(), dailyUrl, m_timeoutMs, m_maxBytes);
    why = daily.error;
    bool dailyLoaded = daily.ok;
    if (dailyLoaded) {
        QCoreApplication::processEvents();
        dailyLoaded = DisplayNode2(daily.body, m_history, &why);
    }
    if (!dailyLoaded)
        failures << failureLine(dailyUrl, why);
    m_lastFailure = failures.join(u'\n');

    // The refresh is over before the message is shown: refreshes started
    // while the message is open run normally, they only do not stack a
    // second message on top of it.
    setRefreshing(false);
    if (!dailyLoaded)
        reportFailure(failures.back());
    return true;
}

void LiveRefresher::reportFailure(const QString& what) {
    // The user who went back to manual entry meanwhile is not told about a
    // station they no longer look at.
    if (m_messageOpen || !m_showMessage || (m_stillLive && !m_stillLive()))
        return;
    m_messageOpen = true;
    m_showMessage(QStringLiteral("Failed to Load Data\n") + what);
    m_messageOpen = false;
}

} // namespace feed
