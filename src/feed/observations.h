#pragma once

#include "model/feed_types.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The two walks over a station document. The document is read as a stream
// and never held as a tree; the walks see the nodes a DOM of it would hold,
// in document order, wherever they sit. A node belongs to element X when
// its parent's name is exactly X as written (prefix and all). Its value is
// its text for a text or CDATA node (text of blanks only is no node), the
// text of a comment or the data of a processing instruction, and empty for
// a child element.
//
// A document is not loaded when it is not well-formed XML, declares
// entities (expansion bombs, external files) or nests elements deeper than
// 256; each walk then returns false with the reason in *error and changes
// nothing.
namespace feed {

// Walk of the current-conditions document: the values of the elements the
// program shows, in document order, each element once (a repeated one at
// its first place with its last value).
bool DisplayNode(const QByteArray& document, QList<model::CurrentReading>& readings,
                 QString* error = nullptr);

// Walk of the daily-history document from obsIndex on: keeps at most 500
// readings, drops readings with a temperature of 0 or none, and stores each
// dew point in the slot obsIndex names when its element is met.
bool DisplayNode2(const QByteArray& document, model::ObservationHistory& history,
                  QString* error = nullptr);

} // namespace feed
