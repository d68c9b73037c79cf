#pragma once

#include <QLatin1String>
#include <QObject>

namespace ui {

// Names a control where it is made (the name the window's tests and its
// saved view find it by) and hands it back.
template <typename T> T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace ui
