#pragma once

#include <QLatin1String>
#include <QObject>

namespace ui {

// Names a control where it is made (its historic name, which findChild
// looks for) and hands it back.
template <typename T> T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace ui
