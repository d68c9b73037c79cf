#pragma once

// The two sets of feed settings the interrupted-save test alternates
// between: the helper process writes them, the test recognises them. The
// values differ in length so that a half-written file cannot pass for one.

#include <QString>

namespace savetest {

inline QString currentUrl(bool second) {
    return second ? QStringLiteral("http://127.0.0.1:9/second/current?ID=") + QString(450, u'b')
                  : QStringLiteral("http://127.0.0.1:9/first/current?ID=") + QString(300, u'a');
}

inline QString dailyUrl(bool second) {
    return second ? QStringLiteral("http://127.0.0.1:9/second/daily?format=XML&ID=") +
                        QString(120, u'd')
                  : QStringLiteral("http://127.0.0.1:9/first/daily?format=XML&ID=") +
                        QString(380, u'c');
}

inline QString gmtOffset(bool second) {
    return second ? QStringLiteral("-11") : QStringLiteral("5");
}

} // namespace savetest
