// Any text through the conversions the sheet is built from: no crash, no
// undefined behaviour, and never a non-number in a formatted field.
#include "psychro/numconv.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

const char* const Patterns[] = {"##0",      "#0", "#0.00", "##0.00",  ".00000", "#,##0",
                                "#,##0.00", "00", "#0.0",  "###,##0", "0.000"};

bool isNumberText(const QString& s) {
    for (QChar c : s)
        if (!(c.isDigit() || c == u'.' || c == u',' || c == u'-'))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double lead = psychro::LeadingNumber(text);
    if (std::isnan(lead))
        std::abort();
    bool ok = false;
    const double strict = psychro::StrictNumber(text, &ok);
    if (ok && !std::isfinite(strict))
        std::abort();
    for (const char* pattern : Patterns) {
        const QString shown = psychro::FormatNumber(lead, QLatin1String(pattern));
        if (!isNumberText(shown))
            std::abort();
        if (std::isfinite(lead) && shown.isEmpty())
            std::abort();
        // What the sheet shows it can read back.
        if (!shown.isEmpty() && std::isnan(psychro::LeadingNumber(shown)))
            std::abort();
    }
    const QString plain = psychro::NumText(lead);
    if (std::isfinite(lead) &&
        psychro::LeadingNumber(plain) !=
            psychro::LeadingNumber(psychro::NumText(psychro::LeadingNumber(plain))))
        std::abort();
    (void)psychro::NumTextSingle(psychro::ToSingle(lead));
    (void)psychro::RoundHalfEven(lead);
    return 0;
}
