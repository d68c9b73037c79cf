// Any document through the feed's reader and both observation walks.
#include "feed/observations.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    psychro::WorkingInputs inputs;
    feed::CurrentTargets targets;
    targets.inputs = &inputs;
    const bool loaded = feed::DisplayNode(bytes, targets);
    if (std::isnan(inputs.gTemperature) || std::isnan(inputs.gORH) || std::isnan(inputs.gDewPoint))
        std::abort();
    feed::ObservationHistory history;
    // Both walks read the same document: they load it or refuse it alike.
    if (feed::DisplayNode2(bytes, history) != loaded)
        std::abort();
    if (history.obsIndex < 0 || history.obsIndex > 500)
        std::abort();
    return 0;
}
