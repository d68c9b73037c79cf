// Any design file: it opens or says why not; one that opens writes back to
// a file that opens as the same design, and the Session takes it, however
// strange its typed values, and shows a design that saves and opens again.
#include "model/design.h"
#include "model/session.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

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
    checkRoundTrip(model::designOf(session));
    return 0;
}
