#pragma once

#include "model/feed_types.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The weather service's web API: a station's latest observation and its
// observations since a moment, as GeoJSON, read into the same readings and
// history slots as the station documents.
namespace feed {

// An observation is a few kilobytes; a day of them well under a megabyte.
inline constexpr qint64 MaxLatestBytes = 1024 * 1024;
inline constexpr qint64 MaxObservationsBytes = 4 * 1024 * 1024;

// The two documents of a weather-service station: the current conditions
// (its latest observation; or, when replaying the moment replayAt, its
// observations of the day up to that moment) and its observations since
// `from`. Each part of an address is percent-encoded. False, with the
// reason, when the settings name no station of the service (not 3 to 5
// letters and digits), no http or https address, or a contact that
// cannot go into a header.
bool weatherServiceAddresses(const model::FeedSettings& settings, const QDateTime& from,
                             const QDateTime& replayAt, model::FeedAddresses* out, QString* why);

// 00:00 of the day now falls on at gmtOffset hours behind UTC, in that
// offset.
QDateTime dayStart(const QDateTime& now, qint16 gmtOffset);

// The latest observation as the station document's elements would give
// it: time (RFC 822), temperature F and C to one decimal, relative humidity
// whole, dew point F and C. A quantity that is null or in a unit this does
// not know gives no reading; one no air can have is passed on as sent (in C,
// or %), for the Session to refuse and name. False, with the reason, when the
// document is not an observation or the observation is dated later than
// `latest`.
bool readLatestObservation(const QByteArray& document, const QDateTime& latest,
                           QList<model::CurrentReading>& readings, QString* error = nullptr);

// The same from a collection of observations: the newest one at or before
// `at` that has a time.
bool readObservationAt(const QByteArray& document, const QDateTime& at,
                       QList<model::CurrentReading>& readings, QString* error = nullptr);

// The observations from `from` to `to`, oldest first, into history from
// obsIndex on (500 at most): each one's UTC time, temperature and dew point
// in F in one slot; one without either, or with a value no air can have,
// is dropped. Nothing is changed when
// the document is not a collection of observations.
bool readObservations(const QByteArray& document, const QDateTime& from, const QDateTime& to,
                      model::ObservationHistory& history, QString* error = nullptr);

} // namespace feed
