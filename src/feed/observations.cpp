#include "feed/observations.h"

#include "psychro/numconv.h"

#include <QXmlStreamReader>

#include <array>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace feed {

namespace {

// The histories hold MaxHistoryReadings. The walk stops storing once they
// are full, so the dew point of the last, which lands a slot late, is lost.

// A temperature's text as a single-precision number, or nothing when the
// text is not a number or no air can be that warm or cold.
std::optional<float> temperatureOf(const QString& v) {
    bool ok = false;
    const double x = psychro::StrictNumber(v.trimmed(), &ok);
    if (!ok ||
        !model::readingProblem(model::CurrentElement::TempF, x, QStringLiteral("F")).isEmpty())
        return std::nullopt;
    return psychro::ToSingle(x);
}

// Observation documents are a few levels deep.
constexpr size_t MaxDepth = 256;

// Reads the document once, front to back, keeping only the walk's id of
// each open element (classify gives -1 for names the walk ignores), and
// calls visit(id, value) for every node whose parent has an id. The nodes
// and values are those of the DOM the walks were first written against,
// which leaves out text of blanks only unless it is CDATA.
template <typename Classify, typename Visit>
bool readNodes(const QByteArray& document, QString* error, Classify classify, Visit visit) {
    auto refuse = [error](const QString& why) {
        if (error)
            *error = QStringLiteral("not a station document (%1)").arg(why);
        return false;
    };
    QXmlStreamReader reader(document);
    std::vector<int> open;
    bool seenDtd = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        const int parent = open.empty() ? -1 : open.back();
        switch (token) {
        case QXmlStreamReader::DTD:
            // The stream reader lets a second one pass; XML does not.
            if (std::exchange(seenDtd, true))
                return refuse(
                    QStringLiteral("not well-formed XML, line %1").arg(reader.lineNumber()));
            // Internal entity declarations are what expansion bombs are
            // built from; external ones could point anywhere. Feeds need
            // neither.
            if (!reader.entityDeclarations().isEmpty() ||
                reader.text().contains(QLatin1String("<!ENTITY")))
                return refuse(QStringLiteral("it declares entities"));
            break;
        case QXmlStreamReader::StartElement:
            if (open.size() >= MaxDepth)
                return refuse(QStringLiteral("nested deeper than %1 elements").arg(MaxDepth));
            if (parent >= 0)
                visit(parent, QString());
            open.push_back(classify(reader.qualifiedName()));
            break;
        case QXmlStreamReader::EndElement:
            if (!open.empty())
                open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (parent >= 0 && !reader.isWhitespace() &&
                (reader.isCDATA() || !reader.text().trimmed().isEmpty()))
                visit(parent, reader.text().toString());
            break;
        case QXmlStreamReader::Comment:
            if (parent >= 0)
                visit(parent, reader.text().toString());
            break;
        case QXmlStreamReader::ProcessingInstruction:
            if (parent >= 0)
                visit(parent, reader.processingInstructionData().toString());
            break;
        case QXmlStreamReader::EntityReference:
            if (parent >= 0)
                visit(parent, QString());
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return refuse(QStringLiteral("not well-formed XML, line %1").arg(reader.lineNumber()));
    return true;
}

// The index of name in names, or -1.
template <size_t N> int indexOf(const std::array<const char16_t*, N>& names, QStringView name) {
    for (size_t i = 0; i < N; ++i)
        if (name == QStringView(names[i]))
            return int(i);
    return -1;
}

} // namespace

bool DisplayNode(const QByteArray& document, QList<model::CurrentReading>& readings,
                 QString* error) {
    // A station document names each element once, and each reading costs
    // the Session a field write and a redraw. One that repeats an element
    // thousands of times must not cost thousands of them: a repeated
    // element keeps the place of its first appearance and takes the text of
    // its last. The whole document is read before anything is returned: one
    // found broken halfway gives nothing.
    using model::CurrentElement;
    static constexpr std::array<const char16_t*, 6> names = {
        u"temp_f",     u"temp_c",     u"relative_humidity",
        u"dewpoint_f", u"dewpoint_c", u"observation_time_rfc822"};
    static constexpr std::array<CurrentElement, 6> elements = {
        CurrentElement::TempF,     CurrentElement::TempC,     CurrentElement::RelativeHumidity,
        CurrentElement::DewPointF, CurrentElement::DewPointC, CurrentElement::Time};
    std::array<qsizetype, 6> place;
    place.fill(-1);
    QList<model::CurrentReading> found;
    const bool loaded = readNodes(
        document, error, [](QStringView name) { return indexOf(names, name); },
        [&](int e, const QString& value) {
            qsizetype& at = place[size_t(e)];
            if (at < 0) {
                at = found.size();
                found.append({elements[size_t(e)], value});
            } else {
                found[at].text = value;
            }
        });
    if (loaded)
        readings = found;
    return loaded;
}

bool DisplayNode2(const QByteArray& document, model::ObservationHistory& history, QString* error) {
    enum Element { Time, TempF, DewF };
    static constexpr std::array<const char16_t*, 3> names = {u"observation_time_rfc822", u"temp_f",
                                                             u"dewpoint_f"};
    // Into a copy, so that a document found broken halfway leaves the
    // history as it was.
    model::ObservationHistory h = history;
    const bool loaded = readNodes(
        document, error, [](QStringView name) { return indexOf(names, name); },
        [&h](int e, const QString& value) {
            if (h.obsIndex >= model::MaxHistoryReadings)
                return;
            if (e == Time) {
                h.obsTime[size_t(h.obsIndex)] = value;
            } else if (e == TempF) {
                // A reading that is not a number is treated like a dropped
                // one: its slot, and the time already stored there, are
                // reused.
                const auto x = temperatureOf(value);
                if (!x)
                    return;
                h.obsTemperature[size_t(h.obsIndex)] = *x;
                if (*x != 0.0f) // a 0 reading is a missing one; its slot is reused
                    ++h.obsIndex;
            } else if (const auto x = temperatureOf(value)) {
                h.obsDewPoint[size_t(h.obsIndex)] = *x;
            }
        });
    if (loaded)
        history = h;
    return loaded;
}

} // namespace feed
