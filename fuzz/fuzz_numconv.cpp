// Any text through the conversions the sheet is built from: no crash, no
// undefined behaviour, and never a non-number in a formatted field.
#include "psychro/numconv.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QRegularExpression numberText(QStringLiteral("^-?[0-9,]*(\\.[0-9]+)?$"));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double lead = psychro::LeadingNumber(text);
    bool ok = false;
    const double strict = psychro::StrictNumber(text, &ok);
    if (std::isnan(lead) || (ok && !std::isfinite(strict)))
        std::abort();
    for (const char* pattern : {"##0", "#0", "#0.00", "##0.00", ".00000", "#,##0", "#,##0.00", "00",
                                "#0.0", "###,##0", "0.000"}) {
        // What the sheet shows is a number it can read back, or nothing.
        const QString shown = psychro::FormatNumber(lead, QLatin1String(pattern));
        if (!numberText.match(shown).hasMatch() || shown.isEmpty() == std::isfinite(lead))
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
