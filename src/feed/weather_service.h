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

// 3 to 5 ASCII letters and digits, as the service names its stations.
bool isStationId(const QString& id);

// {base}/stations/{id}/observations/latest
QString latestObservationUrl(const QString& base, const QString& station);

// 00:00 of the day now falls on at gmtOffset hours behind UTC, in that
// offset.
QDateTime dayStart(const QDateTime& now, qint16 gmtOffset);

// {base}/stations/{id}/observations?start=<from in ISO 8601, '+' encoded>
QString observationsUrl(const QString& base, const QString& station, const QDateTime& from);

// The latest observation as the station document's elements would give
// it: time (RFC 822), temperature F and C to one decimal, relative humidity
// whole, dew point F and C. A quantity that is null or in a unit this does
// not know gives no reading. False, with the reason, when the document is
// not an observation.
bool readLatestObservation(const QByteArray& document, QList<model::CurrentReading>& readings,
                           QString* error = nullptr);

// The observations from `from` to `to`, oldest first, into history from
// obsIndex on (500 at most): each one's UTC time, temperature and dew point
// in F in one slot; one without either is dropped. Nothing is changed when
// the document is not a collection of observations.
bool readObservations(const QByteArray& document, const QDateTime& from, const QDateTime& to,
                      model::ObservationHistory& history, QString* error = nullptr);

} // namespace feed
