#include "model/feed_types.h"

#include "psychro/numconv.h"

#include <QLocale>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace model {

bool isStationId(const QString& id) {
    return id.size() >= 3 && id.size() <= 5 && std::all_of(id.begin(), id.end(), [](QChar c) {
               return c.unicode() < 128 && c.isLetterOrNumber();
           });
}

bool isContactText(const QString& contact) {
    return std::none_of(contact.begin(), contact.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString settingsProblem(const FeedSettings& s) {
    if (s.gGMTOffset < MinGmtOffset || s.gGMTOffset > MaxGmtOffset)
        return QStringLiteral("the offset from GMT must be %1 to %2 hours, not %3")
            .arg(MinGmtOffset)
            .arg(MaxGmtOffset)
            .arg(s.gGMTOffset);
    if (!isContactText(s.nwsContact))
        return QStringLiteral("the contact must be one line of text");
    // The station matters only once the weather service is the source; the
    // addresses stay whatever was typed (a failed fetch names them).
    if (s.feedSource == QLatin1String("nws") && !isStationId(s.nwsStation.trimmed()))
        return QStringLiteral("the weather-service station must be 3 to 5 letters and digits, "
                              "such as KDTO, not '%1'")
            .arg(s.nwsStation.trimmed());
    return QString();
}

QString readingProblem(CurrentElement e, double value, const QString& unit, const QString& asSent) {
    if (e == CurrentElement::PressurePa)
        return std::isfinite(value) && value >= MinReadingPa && value <= MaxReadingPa
                   ? QString()
                   : QStringLiteral("station sent a pressure of %1 Pa")
                         .arg(asSent.isEmpty() ? QString::number(value) : asSent);
    const bool humidity = e == CurrentElement::RelativeHumidity;
    const double f = unit == QLatin1String("C") ? value * 9 / 5 + 32 : value;
    const bool plausible =
        std::isfinite(f) &&
        (humidity ? f >= 0 && f <= 100 : f >= MinReadingTempF && f <= MaxReadingTempF);
    if (plausible)
        return QString();
    const bool dew = e == CurrentElement::DewPointF || e == CurrentElement::DewPointC;
    const char* what = humidity ? "relative humidity" : dew ? "dew point" : "temperature";
    return QStringLiteral("station sent %1 %2%3")
        .arg(QLatin1String(what), asSent.isEmpty() ? QString::number(value) : asSent,
             humidity ? QString() : u' ' + unit);
}

QString readingProblem(const CurrentReading& r) {
    if (r.element == CurrentElement::Time)
        return QString();
    const QString text = r.text.trimmed();
    bool ok = false;
    const double x = psychro::StrictNumber(text, &ok);
    // Text that is no number at all is skipped; a number too large for a
    // double, or one spelled "nan" or "inf", is not finite.
    const bool nonFinite = !ok && (!std::isfinite(psychro::LeadingNumber(text)) ||
                                   text.compare(QLatin1String("nan"), Qt::CaseInsensitive) == 0 ||
                                   text.startsWith(QLatin1String("inf"), Qt::CaseInsensitive));
    if (!ok && !nonFinite)
        return QString();
    const QString unit =
        r.element == CurrentElement::RelativeHumidity ? QStringLiteral("%")
        : r.element == CurrentElement::PressurePa     ? QStringLiteral("Pa")
        : r.element == CurrentElement::TempC || r.element == CurrentElement::DewPointC
            ? QStringLiteral("C")
            : QStringLiteral("F");
    return readingProblem(r.element, ok ? x : qQNaN(), unit, text);
}

QString rfc822Time(const QDateTime& t) {
    const int offset = t.offsetFromUtc() / 60;
    const int a = std::abs(offset);
    return QLocale::c().toString(t, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) +
           (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1%2")
               .arg(a / 60, 2, 10, QLatin1Char('0'))
               .arg(a % 60, 2, 10, QLatin1Char('0'));
}

QString shownAddress(const QString& url) {
    const QString trimmed = url.trimmed();
    QUrl u(trimmed);
    if (u.password().isEmpty())
        return trimmed;
    u.setPassword(QStringLiteral("***"));
    return u.toString();
}

} // namespace model
