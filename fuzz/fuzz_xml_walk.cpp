// Any document through both observation walks: they load or refuse it
// alike, and what they keep stays within its bounds.
#include "feed/observations.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<model::CurrentReading> readings;
    model::ObservationHistory history;
    const bool loaded = feed::DisplayNode(bytes, readings);
    unsigned seen = 0; // each element at most once
    for (const model::CurrentReading& r : readings)
        if (std::exchange(seen, seen | 1u << int(r.element)) & 1u << int(r.element))
            std::abort();
    if (feed::DisplayNode2(bytes, history) != loaded || history.obsIndex < 0 ||
        history.obsIndex > 500)
        std::abort();
    return 0;
}
