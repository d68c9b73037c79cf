// Any design file: it opens or says why not; one that opens writes back to
// a file that opens as the same design, and the Session takes it, however
// strange its typed values, keeps its choices and shows a design that saves
// and opens again.
#include "check.h"
#include "model/design.h"
#include "model/session.h"

#include <cstdint>

namespace {

// Written and read again: the same design.
void checkRoundTrip(const model::Design& d) {
    QByteArray bytes;
    QString error;
    check(model::designFileBytes(d, &bytes, &error));
    model::Design again;
    check(model::designFromJson(bytes, &again, &error) && again == d);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray json =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    model::Design d;
    QString error;
    if (!model::designFromJson(json, &d, &error)) {
        check(!error.isEmpty());
        return 0;
    }
    checkRoundTrip(d);
    // No file is opened for the fuzzer's paths.
    d.weatherYear.clear();
    model::Session session;
    session.startUp();
    model::applyDesign(session, d);
    // The Session keeps every choice and the title block as given; only
    // typed values may come back corrected, as typing corrects them.
    const model::Design shown = model::designOf(session);
    check(shown.title == d.title && shown.unknown == d.unknown && shown.locked == d.locked &&
          shown.operation == d.operation && shown.cityRow == d.cityRow &&
          shown.method == d.method && shown.units == d.units && shown.pressure == d.pressure &&
          shown.economizer == d.economizer);
    checkRoundTrip(shown);
    return 0;
}
