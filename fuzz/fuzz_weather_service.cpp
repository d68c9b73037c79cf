// Any answer of the weather service, read as its latest observation, as a
// moment in a collection and as a day's history: the readings are whole and
// in range where converted, or the reader says why it took none.
#include "check.h"
#include "feed/weather_service.h"
#include "model/feed_types.h"

#include <cmath>
#include <cstdint>
#include <utility>

namespace {

// Each element at most once. A quantity no air can have is passed on as
// sent, in C, for the Session to refuse; only one air can have is given in
// F as well.
void checkReadings(bool read, const QList<model::CurrentReading>& readings, const QString& error) {
    check(read || !error.isEmpty());
    unsigned seen = 0;
    for (const model::CurrentReading& r : readings) {
        const unsigned bit = 1u << int(r.element);
        check(!(std::exchange(seen, seen | bit) & bit));
        if (r.element == model::CurrentElement::TempF ||
            r.element == model::CurrentElement::DewPointF)
            check(model::readingProblem(r).isEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray document(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime to(QDate(2019, 8, 17), QTime(12, 0), Qt::UTC);
    const QDateTime from = to.addDays(-1);
    QList<model::CurrentReading> readings;
    QString error;
    bool read = feed::readLatestObservation(document, QDateTime(), readings, &error);
    checkReadings(read, readings, error);
    readings.clear();
    error.clear();
    read = feed::readObservationAt(document, to, readings, &error);
    checkReadings(read, readings, error);

    model::ObservationHistory history;
    error.clear();
    read = feed::readObservations(document, from, to, history, &error);
    check(read || (!error.isEmpty() && history.obsIndex == 0));
    check(history.obsIndex >= 0 && history.obsIndex <= model::MaxHistoryReadings);
    for (int i = 0; i < history.obsIndex; ++i)
        for (float f : {history.obsTemperature[size_t(i)], history.obsDewPoint[size_t(i)]})
            check(f >= model::MinReadingTempF && f <= model::MaxReadingTempF);
    return 0;
}
