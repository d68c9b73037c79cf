// Any document through the feed's parser and both observation walks.
#include "feed/http_fetch.h"
#include "feed/observations.h"

#include <QDomDocument>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QDomDocument doc;
    if (!feed::parseDocument(bytes, doc))
        return 0;
    psychro::WorkingInputs inputs;
    feed::CurrentTargets targets;
    targets.inputs = &inputs;
    feed::DisplayNode(doc.childNodes(), targets);
    if (std::isnan(inputs.gTemperature) || std::isnan(inputs.gORH) || std::isnan(inputs.gDewPoint))
        std::abort();
    feed::ObservationHistory history;
    feed::DisplayNode2(doc.childNodes(), history);
    if (history.obsIndex < 0 || history.obsIndex > 500)
        std::abort();
    return 0;
}
