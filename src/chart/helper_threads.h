#pragma once

#include <functional>

namespace chart {

// Threads kept beside the calling one for work wanted at once: the chart
// drawn while the window is painted, a screenshot's bands compressed. A
// thread made at the moment of need can wait milliseconds for the
// scheduler to move it to an idle core (2 to 3 ms on a 2-core machine, as
// long as the chart takes to draw); one made beforehand and waiting wakes
// there in microseconds.

// Makes a helper thread now, ahead of the first work; it waits for it.
void prepareHelperThread();

// Runs fn on a free helper thread, made now if none is free and there are
// fewer than the cores but one; false, and fn not run, when none can be
// had. fn says itself when it is done.
bool runBeside(std::function<void()> fn);

} // namespace chart
