#include "feed/live_refresh.h"

#include "feed/http_fetch.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QNetworkAccessManager>

namespace feed {

namespace {

// The URLs are kept as typed; blanks around one are not part of it.
QUrl feedUrl(const QString& typed) {
    return QUrl(typed.trimmed());
}

} // namespace

LiveRefresher::LiveRefresher(const FeedSettings& settings, const CurrentTargets& targets,
                             ObservationHistory& history, MessageFn showMessage)
    : m_settings(settings), m_targets(targets), m_history(history),
      m_showMessage(std::move(showMessage)) {}

LiveRefresher::~LiveRefresher() = default;

// Made on the first refresh: most runs never go live, and start-up need
// not pay for the network stack.
QNetworkAccessManager& LiveRefresher::network() {
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    return *m_network;
}

bool LiveRefresher::refreshLiveFeed() {
    if (m_refreshing)
        return false;
    m_refreshing = true;

    // Current conditions: a document that cannot be loaded is skipped
    // silently and the panel and fields keep their values.
    QDomDocument doc;
    FetchResult current =
        fetchDocument(network(), feedUrl(m_settings.gXMLCurrent), m_timeoutMs, m_maxBytes);
    if (current.ok && parseDocument(current.body, doc))
        DisplayNode(doc.childNodes(), m_targets);

    QCoreApplication::processEvents();

    const FetchResult daily =
        fetchDocument(network(), feedUrl(m_settings.gXMLDaily), m_timeoutMs, m_maxBytes);
    const bool dailyLoaded = daily.ok && parseDocument(daily.body, doc);
    if (dailyLoaded) {
        QCoreApplication::processEvents();
        DisplayNode2(doc.childNodes(), m_history);
    }

    // The refresh is over before the message is shown: refreshes started
    // while the message is open run normally, they only do not stack a
    // second message on top of it.
    m_refreshing = false;
    if (!dailyLoaded)
        reportFailure();
    return true;
}

void LiveRefresher::reportFailure() {
    if (m_messageOpen || !m_showMessage)
        return;
    m_messageOpen = true;
    m_showMessage(QStringLiteral("Failed to Load Data"));
    m_messageOpen = false;
}

} // namespace feed
