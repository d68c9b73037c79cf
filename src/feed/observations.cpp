#include "feed/observations.h"

#include "psychro/numconv.h"

#include <QDomNode>
#include <QLabel>
#include <QLineEdit>

#include <cmath>
#include <array>
#include <optional>
#include <vector>

namespace feed {

namespace {

// The histories hold 500 readings; slot 500 only ever receives the dew
// point that follows the last kept temperature.
constexpr qint16 kMaxReadings = 500;

// Element text as a single-precision number, or nothing when the text is
// not a number or does not fit a single.
std::optional<float> numberOf(const QString& v) {
    bool ok = false;
    const double x = psychro::StrictNumber(v.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    const float f = psychro::ToSingle(x);
    if (!std::isfinite(f))
        return std::nullopt;
    return f;
}

// Visits every node of the list and of the subtrees below it, each node
// before its children, in document order. Iterative, so the depth of the
// tree costs no stack.
template <typename Visit> void walk(const QDomNodeList& nodes, Visit visit) {
    for (int i = 0; i < nodes.count(); ++i) {
        const QDomNode top = nodes.at(i);
        QDomNode n = top;
        for (;;) {
            visit(n);
            if (n.hasChildNodes()) {
                n = n.firstChild();
                continue;
            }
            while (n != top && n.nextSibling().isNull())
                n = n.parentNode();
            if (n == top)
                break;
            n = n.nextSibling();
        }
    }
}

} // namespace

void DisplayNode(const QDomNodeList& Nodes, const CurrentTargets& t) {
    // A station document names each element once, and the panel and the
    // fields are written in document order (each field write runs its
    // change handler). One that repeats an element thousands of times must
    // not cost thousands of relayouts and redraws: a repeated element keeps
    // the place of its first appearance and takes the text of its last.
    enum Element { TempF, TempC, Rh, DewF, DewC, Time, ElementCount };
    static const char16_t* const names[ElementCount] = {
        u"temp_f", u"temp_c", u"relative_humidity", u"dewpoint_f", u"dewpoint_c",
        u"observation_time_rfc822"};
    std::array<std::optional<QString>, ElementCount> text;
    std::vector<Element> order;
    walk(Nodes, [&](const QDomNode& n) {
        const QString p = n.parentNode().nodeName();
        for (int e = 0; e < ElementCount; ++e)
            if (p == names[e]) {
                if (!text[size_t(e)])
                    order.push_back(Element(e));
                text[size_t(e)] = n.nodeValue();
                break;
            }
    });

    // A target left null is simply not written. Captions show the text as
    // delivered, cut short if a station sends something absurdly long.
    auto caption = [](QLabel* label, const QString& before, const QString& v, const QString& after) {
        constexpr qsizetype kMaxShown = 120;
        if (label)
            label->setText(before + (v.size() > kMaxShown ? v.left(kMaxShown) + QChar(0x2026) : v) +
                           after);
    };
    // The working value first, then the field: the field's change handler
    // may read the working value.
    auto number = [](const QString& v, float* store, QLineEdit* field) {
        const auto x = numberOf(v);
        if (!x)
            return;
        if (store)
            *store = *x;
        if (field)
            field->setText(psychro::NumTextSingle(*x));
    };
    psychro::WorkingInputs* in = t.inputs;
    for (Element e : order) {
        const QString& v = *text[size_t(e)];
        switch (e) {
        case TempF:
            caption(t.lblTempF, QStringLiteral("Temperature: "), v, QStringLiteral(" deg F"));
            number(v, in ? &in->gTemperature : nullptr, t.txtOutdoorTemp);
            break;
        case TempC:
            caption(t.lblTempC, QStringLiteral(" "), v, QStringLiteral(" deg C"));
            break;
        case Rh:
            caption(t.lblRH, QStringLiteral("Relative Humidity: "), v, QStringLiteral(" %"));
            number(v, in ? &in->gORH : nullptr, t.txtOutdoorRH);
            break;
        case DewF:
            caption(t.lblDewF, QStringLiteral("Dew Point: "), v, QStringLiteral(" deg F"));
            number(v, in ? &in->gDewPoint : nullptr, t.txtOutdoorDew);
            break;
        case DewC:
            caption(t.lblDewC, QStringLiteral(" "), v, QStringLiteral(" deg C"));
            break;
        case Time:
            caption(t.lblTime, QString(), v, QString());
            break;
        case ElementCount:
            break;
        }
    }
}

void DisplayNode2(const QDomNodeList& Nodes, ObservationHistory& h) {
    walk(Nodes, [&h](const QDomNode& n) {
        if (h.obsIndex >= kMaxReadings)
            return;
        const QString p = n.parentNode().nodeName();
        if (p == u"observation_time_rfc822") {
            h.obsTime[size_t(h.obsIndex)] = n.nodeValue();
        } else if (p == u"temp_f") {
            // A reading that is not a number is treated like a dropped one:
            // its slot, and the time already stored there, are reused.
            const auto x = numberOf(n.nodeValue());
            if (!x)
                return;
            h.obsTemperature[size_t(h.obsIndex)] = *x;
            if (*x != 0.0f) // a 0 reading is a missing one; its slot is reused
                ++h.obsIndex;
        } else if (p == u"dewpoint_f") {
            if (const auto x = numberOf(n.nodeValue()))
                h.obsDewPoint[size_t(h.obsIndex)] = *x;
        }
    });
}

} // namespace feed
